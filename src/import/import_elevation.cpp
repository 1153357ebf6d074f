#include "import_elevation.h"

#include <cpl_error.h>
#include <gdal_priv.h>
#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "atomic_files.h"
#include "grid_mapping.h"
#include "import_options.h"
#include "messages.h"
#include "output_files.h"
#include "point_limit.h"
#include "raster_source.h"
#include "read_progress.h"

namespace {

// GDAL's own messages would go to standard error; the importer says what
// went wrong in its one "error:" line instead.
class QuietGdal {
public:
    QuietGdal() {
        GDALAllRegister();
        CPLPushErrorHandler(CPLQuietErrorHandler);
    }
    ~QuietGdal() { CPLPopErrorHandler(); }
    QuietGdal(const QuietGdal&) = delete;
    QuietGdal& operator=(const QuietGdal&) = delete;
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

int Fail(std::ostream& err, const std::string& message) {
    err << "error: " << message << std::endl;
    return 1;
}

}  // namespace

std::uint64_t ImportPointLimit() { return std::min<std::uint64_t>(max_loadable_points(), INT_MAX); }

int RunImport(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    const ParsedOptions parsed = ParseImportOptions(argc, argv);
    if (parsed.options.help) {
        out << ImportUsage() << std::flush;
        return 0;
    }
    if (!parsed.error.empty()) return Fail(err, parsed.error);
    const ImportOptions& options = parsed.options;

    QuietGdal quiet;
    std::string error;
    const std::unique_ptr<RasterSource> source = RasterSource::Open(options.input, error);
    if (!source) return Fail(err, error);
    const RasterInfo& info = source->info();

    // Refused before the read, which may take a while.
    const std::vector<std::string> existing = ExistingFiles(options.output_dir, {"data.txt", "config.txt"});
    if (!options.force && !existing.empty()) return Fail(err, OverwriteRefusal(existing.front()));

    const int size =
        options.size > 0 ? options.size : DefaultGridSize(info.width, info.height, kDefaultGridSizeCap);
    const GridPlacement placement =
        FitIntoSquare(size, info.width * info.cell_width, info.height * info.cell_height);

    std::vector<double> values;
    {
        ReadProgress progress("reading " + options.input, StandardErrorIsTerminal());
        if (!source->Read(placement.columns, placement.rows, options.resampling, ReadProgress::Report, &progress,
                          values, error))
            return Fail(err, error);
    }

    double lowest = 0;
    double highest = 0;
    if (!ValidRange(values, lowest, highest))
        return Fail(err, Quoted(options.input) + ": band 1 holds no valid cell");
    const LevelScale scale = options.metres_per_level > 0
                                 ? ScaleForMetres(lowest, highest, options.metres_per_level)
                                 : ScaleForLevels(lowest, highest, options.levels);

    HeightGrid grid;
    if (!MapHeights(values, placement, info.rows_run_south, info.columns_run_west, scale, ImportPointLimit(), grid))
        return Fail(err, "the grid would hold " + std::to_string(grid.points) + " points, more than the " +
                             std::to_string(ImportPointLimit()) +
                             " this machine's memory allows; give a smaller --size, fewer --levels or a "
                             "larger --metres-per-level");
    std::vector<double>().swap(values);

    SourceSummary summary;
    summary.name = SourceName(options.input);
    summary.driver = info.driver;
    summary.width = info.width;
    summary.height = info.height;
    summary.cell_width = info.cell_width;
    summary.cell_height = info.cell_height;
    summary.grid_cell = std::max(info.width * info.cell_width, info.height * info.cell_height) / size;
    summary.georeferenced = info.georeferenced;
    summary.geographic = info.geographic;
    summary.lowest = lowest;
    summary.highest = highest;
    summary.metres_per_level = scale.metres_per_level;

    const std::vector<NamedText> files = {{"data.txt", DataText(grid)}, {"config.txt", ConfigText(summary, grid)}};
    if (!WriteFilesAtomically(options.output_dir, files, options.force, error)) return Fail(err, error);

    const std::string side = std::to_string(grid.size);
    out << "wrote " << PathInFolder(options.output_dir, "data.txt") << ": " << side << " x " << side << " cells, " << grid.points
        << " points, heights 0 to " << grid.highest << " (" << FormatNumber(scale.metres_per_level)
        << " metres per level)" << std::endl;
    return 0;
}
