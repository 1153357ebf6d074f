#include "import_elevation.h"

#include <cpl_error.h>
#include <gdal_priv.h>
#include <glob.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "atomic_files.h"
#include "frame_agreement.h"
#include "grid_mapping.h"
#include "height_grid.h"
#include "import_options.h"
#include "messages.h"
#include "npy_grid.h"
#include "output_files.h"
#include "point_limit.h"
#include "raster_source.h"
#include "read_progress.h"
#include "series_files.h"

namespace {

// GDAL's own messages would go to standard error; the importer says what
// went wrong in its one "error:" line instead.
class QuietGdal {
public:
    QuietGdal() {
        GDALAllRegister();
        CPLPushErrorHandler(CPLQuietErrorHandler);
        // A JPEG cut short is otherwise only a warning, its missing rows grey.
        const char* jpeg = CPLGetThreadLocalConfigOption(jpegErrors, nullptr);
        if (jpeg != nullptr) jpeg_errors_ = jpeg;
        CPLSetThreadLocalConfigOption(jpegErrors, "TRUE");
    }
    ~QuietGdal() {
        CPLSetThreadLocalConfigOption(jpegErrors, jpeg_errors_ ? jpeg_errors_->c_str() : nullptr);
        CPLPopErrorHandler();
    }
    QuietGdal(const QuietGdal&) = delete;
    QuietGdal& operator=(const QuietGdal&) = delete;

private:
    static constexpr const char* jpegErrors = "GDAL_ERROR_ON_LIBJPEG_WARNING";
    std::optional<std::string> jpeg_errors_;
};

// The input as the configuration's comment names it: a local file by its
// absolute path, anything else (a GDAL connection string) as given.
std::string SourceName(const std::string& input) {
    struct stat status;
    if (stat(input.c_str(), &status) != 0) return input;
    std::error_code ignored;
    const std::filesystem::path absolute = std::filesystem::absolute(input, ignored);
    return absolute.empty() ? input : absolute.lexically_normal().string();
}

int Fail(Diagnostics& report, const std::string& message) {
    report.Error(message);
    return 1;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Whether a comes before b with the runs of digits in both compared as
// numbers (frame-2 before frame-10), as the viewer orders a glob's matches.
bool NumericallyBefore(const std::string& a, const std::string& b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (!IsDigit(a[i]) || !IsDigit(b[j])) {
            if (a[i] != b[j]) return a[i] < b[j];
            ++i, ++j;
            continue;
        }
        while (i + 1 < a.size() && a[i] == '0' && IsDigit(a[i + 1])) ++i;
        while (j + 1 < b.size() && b[j] == '0' && IsDigit(b[j + 1])) ++j;
        std::size_t endA = i;
        std::size_t endB = j;
        while (endA < a.size() && IsDigit(a[endA])) ++endA;
        while (endB < b.size() && IsDigit(b[endB])) ++endB;
        if (endA - i != endB - j) return endA - i < endB - j;
        const int order = a.compare(i, endA - i, b, j, endB - j);
        if (order != 0) return order < 0;
        i = endA;
        j = endB;
    }
    return a.size() - i < b.size() - j;
}

// An input that names no file but holds a wildcard is a glob to expand.
bool IsGlob(const std::string& input) {
    struct stat status;
    return input.find_first_of("*?[") != std::string::npos && lstat(input.c_str(), &status) != 0;
}

// The inputs with every glob replaced by its matches, in the order of the
// numbers in their names; `globbed` tells whether there was a glob.
bool ExpandInputs(const std::vector<std::string>& operands, std::vector<std::string>& inputs, bool& globbed,
                  std::string& error) {
    globbed = false;
    for (const std::string& operand : operands) {
        if (!IsGlob(operand)) {
            inputs.push_back(operand);
            continue;
        }
        globbed = true;
        glob_t found{};
        const int status = glob(operand.c_str(), 0, nullptr, &found);
        std::vector<std::string> matches(found.gl_pathv, found.gl_pathv + (status == 0 ? found.gl_pathc : 0));
        globfree(&found);
        if (status != 0 && status != GLOB_NOMATCH) {
            error = "cannot list the files of " + Quoted(operand);
            return false;
        }
        if (matches.empty()) {
            error = Quoted(operand) + " matches no file";
            return false;
        }
        std::sort(matches.begin(), matches.end(), NumericallyBefore);
        inputs.insert(inputs.end(), matches.begin(), matches.end());
    }
    return true;
}

// A shell lists a glob's matches in the order of their characters, where
// frame-10 comes before frame-2; such a series would play out of order.
// Inputs in another order were put so on purpose.
void WarnOfOrder(const std::vector<std::string>& operands, Diagnostics& report) {
    for (std::size_t i = 1; i < operands.size(); ++i)
        if (operands[i - 1] < operands[i] && NumericallyBefore(operands[i], operands[i - 1])) {
            report.Warning("the inputs are taken in the order given, " + Quoted(operands[i - 1]) + " before " +
                           Quoted(operands[i]) + "; quote a glob to have them in the order of the numbers in their names");
            return;
        }
}

std::string NoValidCell(const std::string& input, const RasterInfo& info) {
    return Quoted(input) + (info.text_matrix ? ": every number is NaN or infinite"
                                             : ": band " + std::to_string(info.band) + " holds no valid cell");
}

void Warn(Diagnostics& report, const RasterInfo& info) {
    for (const std::string& warning : info.warnings) report.Warning(warning);
}

// A level as a whole number where it has few enough digits to read.
std::string FormatLevel(double level) {
    if (!(level < 1e18)) return FormatNumber(level);
    char text[32];
    std::snprintf(text, sizeof text, "%.0f", level);
    return text;
}

std::string LevelsTooHigh(const LevelScale& scale) {
    return "the highest level would be " + FormatLevel(scale.topLevel) + ", more than " +
           std::to_string(largestHeight) +
           ", the highest a data file holds; give fewer --levels or a larger --metres-per-level";
}

std::string TooManyCells(int size, std::uint64_t cellLimit) {
    return "--size " + std::to_string(size) + " makes a grid of " +
           std::to_string(static_cast<std::uint64_t>(size) * static_cast<std::uint64_t>(size)) +
           " cells, more than the " + std::to_string(cellLimit) + " this machine's memory allows; give --size " +
           std::to_string(LargestSideWithin(cellLimit)) + " or less";
}

bool ReadValues(const RasterSource& source, const GridPlacement& placement, const ImportOptions& options,
                const std::string& input, std::vector<double>& values, std::string& error) {
    ReadProgress progress("reading " + input, StandardErrorIsTerminal());
    return source.Read(placement.columns, placement.rows, options.resampling, ReadProgress::Report, &progress, values,
                       error);
}

// The levels chosen, and whether one level per unit was let go for them
// because its columns would stand as a needle.
struct ScaleChoice {
    LevelScale scale;
    bool needleAvoided = false;
};

// Whether columns up to `topLevel` on a grid of `size` cells a side stand as
// a needle, as pelorin-check calls one.
bool StandsAsNeedle(double topLevel, int size) {
    return topLevel >= static_cast<double>(needleProportion) * size;
}

// A text matrix of whole numbers, such as a simulation's counts of layers,
// keeps them: one level per unit, unless the levels were asked for. Whole
// metres of a terrain would stand as a needle that way, thousands of levels
// on cells far wider than a metre: those get the levels any raster gets,
// where that makes them lower.
ScaleChoice ChooseScale(double lowest, double highest, const ImportOptions& options, bool wholeMatrix, int size) {
    if (options.metresPerLevel > 0) return {ScaleForMetres(lowest, highest, options.metresPerLevel)};
    const LevelScale asIs = ScaleForMetres(lowest, highest, 1);
    if (options.levelsAsIs) return {asIs};
    const LevelScale levels = ScaleForLevels(lowest, highest, options.levels);
    if (!wholeMatrix || options.levelsGiven) return {levels};
    if (StandsAsNeedle(asIs.topLevel, size) && asIs.topLevel > levels.topLevel) return {levels, true};
    return {asIs};
}

// Says that one level per unit was let go for a needle, and how to keep it.
std::string NeedleAvoided(const std::string& where, int size, const LevelScale& scale, const SourceSummary& summary) {
    const std::string side = std::to_string(size);
    return where + ": heights of " + FormatNumber(scale.lowest) + " to " + FormatNumber(scale.highest) + " on a " +
           side + " x " + side + " grid would stand as a needle at one level a unit; scaled to " +
           FormatLevel(scale.topLevel + 1) + " levels (" + PerLevel(summary) +
           "); --levels-as-is keeps one level a unit";
}

// The source's cells as --cell-metres measures them, when it was given: the
// longer side of a cell that many metres and the shape the input gives its
// cells kept, so that the grid stays as it is and only config.txt changes.
RasterInfo WithCellMetres(RasterInfo info, double cellMetres) {
    if (!(cellMetres > 0)) return info;
    const double longer = std::max(info.cellWidth, info.cellHeight);
    info.cellWidth = cellMetres * (info.cellWidth / longer);
    info.cellHeight = cellMetres * (info.cellHeight / longer);
    return info;
}

// The ground size of a cell of the square grid of `size` cells a side.
double GridCellMetres(const RasterInfo& info, int size) {
    return std::max(info.width * info.cellWidth, info.height * info.cellHeight) / size;
}

SourceSummary Summarize(const std::string& input, const RasterInfo& source, int size, const LevelScale& scale,
                        const ImportOptions& options) {
    const RasterInfo info = WithCellMetres(source, options.cellMetres);
    SourceSummary summary;
    summary.name = SourceName(input);
    summary.driver = info.driver;
    summary.band = info.band;
    summary.width = info.width;
    summary.height = info.height;
    summary.cellWidth = info.cellWidth;
    summary.cellHeight = info.cellHeight;
    summary.gridCell = GridCellMetres(info, size);
    summary.georeferenced = info.georeferenced;
    summary.geographic = info.geographic;
    summary.degreesAssumed = info.degreesAssumed;
    summary.cellUnitUnknown = info.cellUnitUnknown;
    summary.cellMetresGiven = options.cellMetres > 0;
    summary.text_matrix = info.text_matrix;
    summary.metresKnown = info.valueUnit == "metres" || options.metresPerLevel > 0;
    summary.valueUnit = info.valueUnit;
    summary.lowest = scale.lowest;
    summary.highest = scale.highest;
    summary.metresPerLevel = scale.metresPerLevel;
    return summary;
}

// Where the grid lies in the raster's coordinates: only for a raster with a
// geotransform and a coordinate system to read them in.
GridLocation LocationOf(const RasterInfo& info, const GridPlacement& placement) {
    if (!info.hasTransform || info.coordinateSystem.empty()) return {};
    GridLocation location = LocateGrid(info.transform, info.width, info.height, placement);
    if (location.known) location.coordinateSystem = ShortCoordinateName(info.coordinateSystem);
    return location;
}

// Whether one level per grid cell's ground size, what the configuration's
// comments advise, keeps the levels within a cell; true where they advise
// nothing.
bool TrueScaleFits(const SourceSummary& summary) {
    return !CellsMeasured(summary) ||
           LevelsFit(ScaleForMetres(summary.lowest, summary.highest, summary.gridCell));
}

// The cells per side: --size, or the raster's larger side, its full
// resolution, as far as the cell limit allows. Where it does not, `warnings`
// gets a line that says so.
int GridSize(const ImportOptions& options, const std::string& input, const RasterInfo& info,
             std::uint64_t cellLimit, std::vector<std::string>& warnings) {
    if (options.size > 0) return options.size;
    const int cap = std::min(maxGridSize, LargestSideWithin(cellLimit));
    const int size = DefaultGridSize(info.width, info.height, cap);
    if (std::max(info.width, info.height) > cap)
        warnings.push_back(Quoted(input) + ": its " + std::to_string(info.width) + " x " +
                           std::to_string(info.height) + " cells are resampled to a grid of " +
                           std::to_string(size) + " x " + std::to_string(size) + ", the largest within the " +
                           std::to_string(cellLimit) + " cells this machine's memory allows");
    return size;
}

// The data file's name for one input: data.txt or data.npy.
std::string DataFileName(DataFormat format) { return std::string("data") + DataEnding(format); }

// Writes the grid as an .npy file at the path given.
FileFiller NpyFiller(const LevelGrid& grid) {
    return [&grid](const std::string& path) { return WriteNpyGrid(path, grid.cells); };
}

// The ground extent in units of the larger cell side, which no product of
// cells and metres can overflow.
GridPlacement PlaceInSquare(int size, const RasterInfo& info) {
    const double unit = std::max(info.cellWidth, info.cellHeight);
    return FitIntoSquare(size, info.width * (info.cellWidth / unit), info.height * (info.cellHeight / unit));
}

// Values near a double's limits lie too far apart to subtract.
std::string SpanTooWide(const std::string& where, double lowest, double highest) {
    return where + "values from " + FormatNumber(lowest) + " to " + FormatNumber(highest) +
           " lie too far apart to map to levels";
}

void WarnOfCellSize(Diagnostics& report, const std::string& input, const SourceSummary& summary) {
    if (CellsMeasured(summary) && !IsGroundSize(summary.gridCell))
        report.Warning(Quoted(input) + ": a grid cell of " + FormatNumber(summary.gridCell) +
                       " metres on the ground is larger than the Earth's circumference; config.txt gets no "
                       "data/cell-metres");
}

int ImportOne(const ImportOptions& options, const ImportLimits& limits, const std::string& input, std::ostream& out,
              Diagnostics& report) {
    std::string error;
    const std::unique_ptr<RasterSource> source = RasterSource::Open(input, options.band, error);
    if (!source) return Fail(report, error);
    const RasterInfo& info = source->info();

    // Refused before the read, which may take a while.
    const std::string dataFile = DataFileName(options.format);
    const std::vector<std::string> existing = ExistingFiles(options.outputDir, {dataFile, "config.txt"});
    if (!options.force && !existing.empty()) return Fail(report, OverwriteRefusal(existing.front()));
    if (const std::string refusal = NotRegularRefusal(options.outputDir, {dataFile, "config.txt"});
        !refusal.empty())
        return Fail(report, refusal);

    std::vector<std::string> warnings;
    const int size = GridSize(options, input, info, limits.cells, warnings);
    const GridPlacement placement = PlaceInSquare(size, info);
    std::vector<double> values;
    if (!ReadValues(*source, placement, options, input, values, error)) return Fail(report, error);

    double lowest = 0;
    double highest = 0;
    if (!ValidRange(values, lowest, highest)) return Fail(report, NoValidCell(input, info));
    if (!SpanFits(lowest, highest)) return Fail(report, SpanTooWide(Quoted(input) + ": ", lowest, highest));
    const ScaleChoice choice = ChooseScale(lowest, highest, options, info.text_matrix && info.wholeValues, size);
    const LevelScale& scale = choice.scale;

    LevelGrid grid;
    if (!MapHeights(values, placement, info.rowsRunSouth, info.columnsRunWest, scale, grid))
        return Fail(report, LevelsTooHigh(scale));
    std::vector<double>().swap(values);

    SourceSummary summary = Summarize(input, info, size, scale, options);
    summary.location = LocationOf(info, placement);
    summary.trueScaleFits = TrueScaleFits(summary);
    if (choice.needleAvoided) warnings.push_back(NeedleAvoided(Quoted(input), size, scale, summary));
    WrittenGrids written;
    written.dataFile = dataFile;
    written.size = size;
    written.highest = grid.highest;
    written.fewestPoints = written.mostPoints = grid.points;
    written.pointLimit = limits.points;
    // The text of a data file is made only for its writing, and let go then.
    FolderWriter writer(options.outputDir, options.force);
    const bool dataWritten = options.format == DataFormat::npy ? writer.Add(dataFile, NpyFiller(grid), error)
                                                               : writer.Add({dataFile, DataText(grid)}, error);
    if (!dataWritten || !writer.Add({"config.txt", ConfigText(summary, written)}, error) || !writer.Commit(error))
        return Fail(report, error);
    for (const std::string& warning : warnings) report.Warning(warning);
    Warn(report, info);
    WarnOfCellSize(report, input, summary);

    const std::string side = std::to_string(size);
    out << "wrote " << PathInFolder(options.outputDir, dataFile) << ": " << side << " x " << side << " cells, "
        << grid.points << " points, heights 0 to " << grid.highest << " (" << PerLevel(summary) << ")" << std::endl;
    return 0;
}

// Frames left from another series would play as frames of this one.
std::string SeriesOverwriteRefusal(const std::string& dir, DataFormat format) {
    if (ExistingFiles(dir, {"config.txt"}).size() == 1) return OverwriteRefusal(PathInFolder(dir, "config.txt"));
    const std::vector<std::string> frames = UsualFrameNames(format).In(dir);
    return frames.empty() ? "" : OverwriteRefusal(PathInFolder(dir, frames.front()));
}

// The lowest and highest value of a whole series, and the frames that hold them.
struct SeriesRange {
    double lowest = 0;
    double highest = 0;
    std::size_t lowestFrame = 0;
    std::size_t highestFrame = 0;

    void Take(std::size_t frame, double frameLowest, double frameHighest) {
        if (frame == 0 || frameLowest < lowest) {
            lowest = frameLowest;
            lowestFrame = frame;
        }
        if (frame == 0 || frameHighest > highest) {
            highest = frameHighest;
            highestFrame = frame;
        }
    }
};

std::string SeriesSpanTooWide(const std::vector<std::string>& inputs, const SeriesRange& range) {
    return "values from " + FormatNumber(range.lowest) + " in " + Quoted(inputs[range.lowestFrame]) + " to " +
           FormatNumber(range.highest) + " in " + Quoted(inputs[range.highestFrame]) +
           " lie too far apart to map to levels";
}

// Every input is read twice: once for the lowest and highest value of the
// whole series, which make its one mapping to levels, and once to map and
// write it. Only one frame's values are held at a time.
int ImportSeries(const ImportOptions& options, const ImportLimits& limits, const std::vector<std::string>& inputs,
                 std::ostream& out, Diagnostics& report) {
    // Refused before the reads, which may take a while.
    if (const std::string refusal = SeriesOverwriteRefusal(options.outputDir, options.format);
        !options.force && !refusal.empty())
        return Fail(report, refusal);
    if (const std::string refusal = NotRegularRefusal(options.outputDir, {"config.txt"}); !refusal.empty())
        return Fail(report, refusal);

    std::string error;
    RasterInfo first;
    int size = 0;
    GridPlacement placement;
    SeriesRange range;
    bool wholeMatrices = true;
    std::vector<std::string> warnings;
    std::vector<double> values;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        const std::unique_ptr<RasterSource> source = RasterSource::Open(inputs[i], options.band, error);
        if (!source) return Fail(report, error);
        const RasterInfo& info = source->info();
        if (i == 0) {
            first = info;
            size = GridSize(options, inputs[i], info, limits.cells, warnings);
            placement = PlaceInSquare(size, info);
        } else if (const std::string mismatch = FrameMismatch(inputs[i], info, inputs[0], first); !mismatch.empty()) {
            return Fail(report, mismatch);
        }
        if (!ReadValues(*source, placement, options, inputs[i], values, error)) return Fail(report, error);
        double frameLowest = 0;
        double frameHighest = 0;
        if (!ValidRange(values, frameLowest, frameHighest)) return Fail(report, NoValidCell(inputs[i], info));
        range.Take(i, frameLowest, frameHighest);
        wholeMatrices = wholeMatrices && info.text_matrix && info.wholeValues;
    }
    if (!SpanFits(range.lowest, range.highest)) return Fail(report, SeriesSpanTooWide(inputs, range));
    const ScaleChoice choice = ChooseScale(range.lowest, range.highest, options, wholeMatrices, size);
    const LevelScale& scale = choice.scale;
    // Refused before any frame is written: the scale is the whole series'.
    if (!LevelsFit(scale)) return Fail(report, LevelsTooHigh(scale));

    SeriesWriter writer(options.outputDir, options.force, {}, options.format);
    WrittenGrids written;
    written.size = size;
    written.pointLimit = limits.points;
    LevelGrid grid;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        const std::unique_ptr<RasterSource> source = RasterSource::Open(inputs[i], options.band, error);
        if (!source || !ReadValues(*source, placement, options, inputs[i], values, error)) return Fail(report, error);
        const RasterInfo& info = source->info();
        if (!MapHeights(values, placement, info.rowsRunSouth, info.columnsRunWest, scale, grid))
            return Fail(report, LevelsTooHigh(scale));
        const bool frameWritten = options.format == DataFormat::npy ? writer.Add(NpyFiller(grid), error)
                                                                    : writer.Add(DataText(grid), error);
        if (!frameWritten) return Fail(report, error);
        written.highest = std::max(written.highest, grid.highest);
        written.fewestPoints = i == 0 ? grid.points : std::min(written.fewestPoints, grid.points);
        written.mostPoints = std::max(written.mostPoints, grid.points);
    }

    std::vector<double>().swap(values);
    grid = LevelGrid();

    SourceSummary summary = Summarize(inputs.front(), first, size, scale, options);
    summary.location = LocationOf(first, placement);
    summary.trueScaleFits = TrueScaleFits(summary);
    if (choice.needleAvoided)
        warnings.push_back(NeedleAvoided("the series " + Quoted(inputs.front()) + " to " + Quoted(inputs.back()), size,
                                         scale, summary));
    summary.inputs = static_cast<int>(inputs.size());
    summary.lastName = SourceName(inputs.back());
    const auto configText = [&](const std::string& pattern) {
        written.seriesPattern = pattern;
        return ConfigText(summary, written);
    };
    if (!writer.Commit(configText, error)) return Fail(report, error);
    for (const std::string& warning : warnings) report.Warning(warning);
    Warn(report, first);
    WarnOfCellSize(report, inputs.front(), summary);
    for (const std::string& warning : writer.warnings()) report.Warning(warning);

    const FrameNames& names = writer.names();
    const std::string side = std::to_string(size);
    out << "wrote " << PathInFolder(options.outputDir, names.Name(1))
        << (summary.inputs > 1 ? " to " + names.Name(summary.inputs) : "") << " and config.txt: " << summary.inputs
        << (summary.inputs > 1 ? " frames" : " frame") << " of " << side << " x " << side << " cells, "
        << written.fewestPoints
        << (written.mostPoints != written.fewestPoints ? " to " + std::to_string(written.mostPoints) : "")
        << " points a frame, heights 0 to " << written.highest << " (" << PerLevel(summary) << ")" << std::endl;
    return 0;
}

}  // namespace

std::uint64_t ImportCellLimit() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    // Unknown memory size: a modest 4 GiB machine, as the viewer assumes.
    const std::uint64_t memory = pages > 0 && pageSize > 0
                                     ? static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize)
                                     : std::uint64_t{4} << 30;
    return std::min(memory / 32, std::uint64_t{1} << 31);
}

std::uint64_t ImportPointLimit() { return MaxLoadablePoints(); }

int RunImport(int argc, const char* const* argv, std::ostream& out, Diagnostics& report,
              const ImportLimits& limits) {
    const ParsedOptions parsed = ParseImportOptions(argc, argv);
    if (parsed.options.help) {
        out << ImportUsage() << std::flush;
        return 0;
    }
    if (!parsed.error.empty()) return Fail(report, parsed.error);
    const ImportOptions& options = parsed.options;
    if (options.size > 0 &&
        static_cast<std::uint64_t>(options.size) * static_cast<std::uint64_t>(options.size) > limits.cells)
        return Fail(report, TooManyCells(options.size, limits.cells));

    // More than one input, or a glob even of one match, makes a series.
    std::vector<std::string> inputs;
    bool globbed = false;
    std::string error;
    if (!ExpandInputs(options.inputs, inputs, globbed, error)) return Fail(report, error);
    if (!globbed) WarnOfOrder(inputs, report);

    QuietGdal quiet;
    if (globbed || inputs.size() > 1) return ImportSeries(options, limits, inputs, out, report);
    return ImportOne(options, limits, inputs.front(), out, report);
}
