#include "raster_source.h"

#include <gdal_utils.h>
#include <ogr_spatialref.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <fstream>

#include "input_file.h"
#include "messages.h"
#include "netcdf_length.h"
#include "point_limit.h"
#include "text_matrix.h"

namespace {

constexpr double pi = 3.14159265358979323846;

GDALRIOResampleAlg GdalAlgorithm(Resampling resampling) {
    switch (resampling) {
        case Resampling::average: return GRIORA_Average;
        case Resampling::bilinear: return GRIORA_Bilinear;
        case Resampling::cubic: return GRIORA_Cubic;
        case Resampling::nearest: return GRIORA_NearestNeighbour;
        case Resampling::mode: return GRIORA_Mode;
    }
    return GRIORA_Average;
}

// Why GDAL could not open `path`, as the text of an "error:" line.
std::string OpenError(const std::string& path) {
    struct stat status;
    if (stat(path.c_str(), &status) != 0 && errno == ENOENT && VSIStatL(path.c_str(), nullptr) != 0)
        return Quoted(path) + ": no such file";
    return Quoted(path) + ": not a raster that GDAL can read";
}

// A container such as a netCDF file with several variables opens with no
// band; its first subdataset is the name to give instead.
std::string NoBandError(GDALDataset& dataset, const std::string& path) {
    std::string error = Quoted(path) + ": no raster band";
    const char* first = CSLFetchNameValue(dataset.GetMetadata("SUBDATASETS"), "SUBDATASET_1_NAME");
    if (first != nullptr) error += std::string("; it holds subdatasets: name one, such as ") + first;
    return error;
}

bool IsFloatingPoint(GDALDataType type) {
    return type == GDT_Float32 || type == GDT_Float64 || type == GDT_CFloat32 || type == GDT_CFloat64;
}

constexpr double wgs84SemiMajorMetres = 6378137;
// A geotransform without a coordinate system is taken as longitude and
// latitude only with cells of at most this many degrees. Global models and
// climatologies come in cells of a few degrees at most; coarser cells within
// the range of longitudes are more likely counted in some other unit.
constexpr double mostDegreesPerCell = 5;

// The lowest and highest x and y of the centres of a raster's cells.
struct Extent {
    double xLow = INFINITY;
    double xHigh = -INFINITY;
    double yLow = INFINITY;
    double yHigh = -INFINITY;
};

Extent CellCentres(const double transform[6], int width, int height) {
    Extent extent;
    for (double column : {0.5, width - 0.5})
        for (double row : {0.5, height - 0.5}) {
            const double x = transform[0] + column * transform[1] + row * transform[2];
            const double y = transform[3] + column * transform[4] + row * transform[5];
            extent.xLow = std::min(extent.xLow, x);
            extent.xHigh = std::max(extent.xHigh, x);
            extent.yLow = std::min(extent.yLow, y);
            extent.yHigh = std::max(extent.yHigh, y);
        }
    return extent;
}

// A coordinate in a message: exact enough to tell apart metres of a UTM
// northing, without the noise of the last binary digits.
std::string Coordinate(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

// Whether cells of `width` x `height` whose centres span `centres` can be
// degrees of longitude and latitude: latitudes within the poles, longitudes
// within one turn of the Earth anywhere from -360 to 720 (data sets count
// from -180, from 0, or on past 360 to keep an ocean whole), cells of at
// most mostDegreesPerCell.
bool FitsLongitudeLatitude(const Extent& centres, double width, double height) {
    return centres.yLow >= -90 && centres.yHigh <= 90 && centres.xLow >= -360 && centres.xHigh <= 720 &&
           centres.xHigh - centres.xLow <= 360 && width <= mostDegreesPerCell && height <= mostDegreesPerCell;
}

// Sets the cells' ground size and orientation from the geotransform; leaves
// the defaults when the raster has no usable georeferencing. A geotransform
// without a coordinate system adds a warning saying how it was taken.
void MeasureCells(GDALDataset& dataset, const std::string& path, RasterInfo& info) {
    double transform[6];
    if (dataset.GetGeoTransform(transform) != CE_None) return;
    // GDAL's stand-in for no geotransform: cells counted from the top left.
    const double none[6] = {0, 1, 0, 0, 0, 1};
    if (std::equal(transform, transform + 6, none)) return;
    info.hasTransform = true;
    std::copy(transform, transform + 6, info.transform.begin());
    // Steps along a row (x) and down a column (y) in the raster's units.
    const double rowStep[2] = {transform[1], transform[4]};
    const double columnStep[2] = {transform[2], transform[5]};
    double width = std::hypot(rowStep[0], rowStep[1]);
    double height = std::hypot(columnStep[0], columnStep[1]);
    if (!(width > 0 && height > 0 && std::isfinite(width) && std::isfinite(height))) return;
    info.rowsRunSouth = transform[5] <= 0;
    info.columnsRunWest = transform[1] < 0;

    const OGRSpatialReference* srs = dataset.GetSpatialRef();
    char* wkt = nullptr;
    if (srs != nullptr && srs->exportToWkt(&wkt) == OGRERR_NONE) info.coordinateSystem = wkt;
    CPLFree(wkt);
    const bool linear = srs != nullptr && (srs->IsProjected() || srs->IsLocal());
    double unitDegrees = 1;
    double radius = wgs84SemiMajorMetres;
    if (srs != nullptr && srs->IsGeographic()) {
        unitDegrees = srs->GetAngularUnits(nullptr) * 180 / pi;
        radius = srs->GetSemiMajor(nullptr);
    } else if (!linear) {
        // Units that nothing names: netCDF files often give coordinate
        // variables in degrees and no coordinate system.
        const Extent centres = CellCentres(transform, info.width, info.height);
        const std::string where = "its cell centres, x " + Coordinate(centres.xLow) + " to " +
                                  Coordinate(centres.xHigh) + " and y " + Coordinate(centres.yLow) + " to " +
                                  Coordinate(centres.yHigh);
        if (!FitsLongitudeLatitude(centres, width, height)) {
            info.cellUnitUnknown = true;
            info.warnings.push_back(Quoted(path) + " has no coordinate system, and " + where +
                                    ", are not longitude and latitude; its cells are taken as square, of "
                                    "unknown size");
            return;
        }
        info.degreesAssumed = true;
        info.warnings.push_back(Quoted(path) + " has no coordinate system; " + where +
                                ", fit longitude and latitude, so they are taken as degrees");
    }
    if (!linear) {
        // Degrees (or another angle) to metres along the ground, at the
        // raster's centre.
        const double latitude =
            (transform[3] + transform[4] * info.width / 2 + transform[5] * info.height / 2) * unitDegrees;
        width = GeographicStepMetres(rowStep[0] * unitDegrees, rowStep[1] * unitDegrees, latitude, radius);
        height =
            GeographicStepMetres(columnStep[0] * unitDegrees, columnStep[1] * unitDegrees, latitude, radius);
    } else {
        const double metres = srs->GetLinearUnits(nullptr);
        width *= metres;
        height *= metres;
    }
    if (!(width > 0 && height > 0 && std::isfinite(width) && std::isfinite(height))) return;
    info.cellWidth = width;
    info.cellHeight = height;
    info.georeferenced = true;
    info.geographic = !linear;
}

// What a band's values are measured in (see RasterInfo::valueUnit), kept
// on one line.
std::string ValueUnit(GDALRasterBand& band, const OGRSpatialReference* srs) {
    std::string unit = band.GetUnitType();
    for (char& c : unit)
        if (static_cast<unsigned char>(c) < ' ') c = ' ';
    unit.erase(0, std::min(unit.size(), unit.find_first_not_of(' ')));
    unit.erase(unit.find_last_not_of(' ') + 1);
    std::string lower = unit;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const char* metres : {"m", "metre", "metres", "meter", "meters"})
        if (lower == metres) return "metres";
    if (unit.empty() && srs != nullptr && srs->IsVertical() && srs->GetTargetLinearUnits("VERT_CS", nullptr) == 1)
        return "metres";
    return unit;
}

// Why a raster of colours is not read as heights without --band, or "".
std::string ColourRefusal(GDALDataset& dataset, const std::string& path) {
    const int bands = dataset.GetRasterCount();
    for (int b = 1; b <= bands; ++b) {
        GDALRasterBand* band = dataset.GetRasterBand(b);
        if (band->GetColorTable() != nullptr || band->GetColorInterpretation() == GCI_PaletteIndex)
            return Quoted(path) + ": a palette image (band " + std::to_string(b) +
                   " holds indexes into a colour table), not heights; give --band " + std::to_string(b) +
                   " to read the indexes as heights anyway";
    }
    bool colour = false;
    std::string names;
    for (int b = 1; b <= bands; ++b) {
        const GDALColorInterp meaning = dataset.GetRasterBand(b)->GetColorInterpretation();
        // Red, green, blue, alpha and the other colour models' components.
        colour = colour || (meaning >= GCI_RedBand && meaning <= GCI_YCbCr_CrBand);
        std::string name = GDALGetColorInterpretationName(meaning);
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        names += (b > 1 ? ", " : "") + name;
    }
    if (bands < 2 || !colour) return "";
    return Quoted(path) + ": a colour image (bands " + names +
           "), not heights; give --band N to read band N as heights anyway";
}

std::string NoSuchBand(const std::string& path, int band, int bands) {
    return Quoted(path) + ": no band " + std::to_string(band) + "; it has " + std::to_string(bands) + " band" +
           (bands == 1 ? "" : "s");
}

// Why a file of the dataset is too short for what its header describes, or
// "". Only classic netCDF is checked: other formats' readers fail on the
// missing bytes themselves.
std::string CutShort(GDALDataset& dataset) {
    const CPLStringList files(dataset.GetFileList());
    for (int i = 0; i < files.size(); ++i) {
        std::uint64_t needed = 0;
        VSIStatBufL status;
        if (!ClassicNetcdfLength(files[i], needed) || VSIStatL(files[i], &status) != 0) continue;
        const std::uint64_t size = static_cast<std::uint64_t>(status.st_size);
        if (size < needed)
            return Quoted(files[i]) + ": cut short: it holds " + std::to_string(size) +
                   " bytes where its netCDF header needs " + std::to_string(needed) +
                   "; the missing cells would read as 0";
    }
    return "";
}

// The failures GDAL reports while this is in scope. Some readers report a
// block they could not read only so, and go on with its cells left at 0.
class FailureRecorder {
public:
    FailureRecorder() { CPLPushErrorHandlerEx(Record, this); }
    ~FailureRecorder() { CPLPopErrorHandler(); }
    FailureRecorder(const FailureRecorder&) = delete;
    FailureRecorder& operator=(const FailureRecorder&) = delete;

    bool failed() const { return failed_; }
    const std::string& message() const { return message_; }  // the last failure's

private:
    static void CPL_STDCALL Record(CPLErr level, CPLErrorNum, const char* message) {
        if (level < CE_Failure) return;
        auto* self = static_cast<FailureRecorder*>(CPLGetErrorHandlerUserData());
        self->failed_ = true;
        self->message_ = message != nullptr ? message : "";
    }

    bool failed_ = false;
    std::string message_;
};

enum class MatrixText { notAMatrix, tooLarge, read };

// The whole of the regular file `path` in `text` when it starts as a text
// matrix does, and is at most `byteLimit` bytes long. Only its start is read
// to find out, so that a large file of another kind is not read whole.
MatrixText ReadMatrixText(const std::string& path, std::uint64_t byteLimit, std::string& text) {
    std::ifstream in;
    if (OpenInput(in, path) != InputOpening::opened) return MatrixText::notAMatrix;
    constexpr std::size_t startSize = 1 << 16;
    text.resize(startSize);
    in.read(text.data(), startSize);
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (!StartsLikeMatrix(text)) return MatrixText::notAMatrix;
    // Read to the end, however long the file has grown meanwhile.
    char block[startSize];
    while (in.read(block, startSize) || in.gcount() > 0) {
        if (text.size() + static_cast<std::uint64_t>(in.gcount()) > byteLimit) return MatrixText::tooLarge;
        text.append(block, static_cast<std::size_t>(in.gcount()));
    }
    return MatrixText::read;
}

}  // namespace

double GeographicStepMetres(double dx, double dy, double latitude, double semiMajorMetres) {
    const double metresPerDegree = semiMajorMetres * pi / 180;
    return metresPerDegree * std::hypot(dx * std::cos(latitude * pi / 180), dy);
}

namespace {

// "AUTHORITY:CODE" of the system itself (not of its datum or unit), or "".
std::string AuthorityCode(const OGRSpatialReference& srs) {
    const char* authority = srs.GetAuthorityName(nullptr);
    const char* code = srs.GetAuthorityCode(nullptr);
    if (authority == nullptr || code == nullptr || *authority == '\0' || *code == '\0') return "";
    return std::string(authority) + ":" + code;
}

// The code of the one system of GDAL's database that `srs` is: GDAL rates
// each candidate, 70 and up meaning the same definition (a GeoTIFF of a UTM
// zone often holds only the parameters, under no name). Two candidates
// rated alike leave it open, and so "".
std::string MatchingCode(const OGRSpatialReference& srs) {
    int count = 0;
    int* confidences = nullptr;
    OGRSpatialReferenceH* matches = srs.FindMatches(nullptr, &count, &confidences);
    std::string code;
    const bool unique = count == 1 || (count > 1 && confidences[1] < confidences[0]);
    if (count > 0 && unique && confidences[0] >= 70) code = AuthorityCode(*OGRSpatialReference::FromHandle(matches[0]));
    OSRFreeSRSArray(matches);
    CPLFree(confidences);
    return code;
}

}  // namespace

std::string ShortCoordinateName(const std::string& wkt) {
    OGRSpatialReference srs;
    if (wkt.empty() || srs.importFromWkt(wkt.c_str()) != OGRERR_NONE) return "";
    std::string name = AuthorityCode(srs);
    if (name.empty()) name = MatchingCode(srs);
    if (!name.empty()) return name;
    const char* own = srs.GetName();
    // GDAL names a system it has no name for "unknown": no name to give.
    if (own == nullptr || std::string(own) == "unknown") return "";
    return own;
}

namespace {

// Whether `path` names something on disk that is neither a file nor a
// folder: GDAL would wait for ever to open a FIFO, or read a device without
// end. Other names (GDAL's own, such as NETCDF:"file.nc":elevation) pass.
// GDAL opens the name itself, so this is a look before it, not a guarantee.
bool NamesSpecialFile(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode);
}

}  // namespace

std::unique_ptr<RasterSource> RasterSource::Open(const std::string& path, int band, std::string& error) {
    if (NamesSpecialFile(path)) {
        error = Quoted(path) + ": not a regular file";
        return nullptr;
    }
    GDALDatasetUniquePtr dataset(
        GDALDataset::Open(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY | GDAL_OF_VERBOSE_ERROR));
    if (!dataset) {
        std::unique_ptr<RasterSource> matrix = OpenMatrix(path, OpenError(path), error);
        if (matrix && band > 1) {
            error = NoSuchBand(path, band, 1);
            return nullptr;
        }
        return matrix;
    }
    const int bands = dataset->GetRasterCount();
    if (bands < 1) {
        error = NoBandError(*dataset, path);
        return nullptr;
    }
    if (band > bands) {
        error = NoSuchBand(path, band, bands);
        return nullptr;
    }
    
    if (band == 0) error = ColourRefusal(*dataset, path);
    if (error.empty()) error = CutShort(*dataset);
    if (!error.empty()) return nullptr;

    std::unique_ptr<RasterSource> source(new RasterSource);
    source->path_ = path;
    RasterInfo& info = source->info_;
    info.width = dataset->GetRasterXSize();
    info.height = dataset->GetRasterYSize();
    info.driver = dataset->GetDriverName();
    info.band = std::max(band, 1);
    info.bands = bands;
    if (band == 0 && bands > 1)
        info.warnings.push_back(Quoted(path) + " has " + std::to_string(bands) +
                                " bands; band 1 is read (give --band N for another)");
    MeasureCells(*dataset, path, info);

    GDALRasterBand* rasterBand = dataset->GetRasterBand(info.band);
    info.valueUnit = ValueUnit(*rasterBand, dataset->GetSpatialRef());
    int hasNodata = 0;
    rasterBand->GetNoDataValue(&hasNodata);
    if (!hasNodata && IsFloatingPoint(rasterBand->GetRasterDataType()) &&
        (rasterBand->GetMaskFlags() & GMF_ALL_VALID) != 0) {
        const std::string number = std::to_string(info.band);
        const char* arguments[] = {"-of", "VRT", "-b", number.c_str(), "-a_nodata", "nan", nullptr};
        GDALTranslateOptions* options = GDALTranslateOptionsNew(const_cast<char**>(arguments), nullptr);
        source->nan_view_.reset(
            GDALDataset::FromHandle(GDALTranslate("", GDALDataset::ToHandle(dataset.get()), options, nullptr)));
        GDALTranslateOptionsFree(options);
        if (!source->nan_view_) {
            error = Quoted(path) + ": " + CPLGetLastErrorMsg();
            return nullptr;
        }
    }
    source->dataset_ = std::move(dataset);
    return source;
}

std::unique_ptr<RasterSource> RasterSource::OpenMatrix(const std::string& path, const std::string& gdalError,
                                                       std::string& error) {
    // The text, and then the values, 8 bytes each, may each take a quarter
    // of the physical memory, as the viewer's points may; and every side
    // must fit a GDAL raster's.
    const std::uint64_t byteLimit = MaxLoadablePoints() * 24;
    const std::uint64_t cellLimit = std::min<std::uint64_t>(byteLimit / 8, INT_MAX);
    std::string text;
    const MatrixText read = ReadMatrixText(path, byteLimit, text);
    if (read == MatrixText::notAMatrix) {
        error = gdalError;
        return nullptr;
    }
    if (read == MatrixText::tooLarge) {
        error = Quoted(path) + ": a text matrix of more than " + std::to_string(byteLimit) +
                " bytes, more than this machine's memory allows";
        return nullptr;
    }
    MatrixShape shape;
    if (!ReadMatrix(text, cellLimit, shape, nullptr, error)) {
        error = Quoted(path) + ": " + error;
        return nullptr;
    }
    if (shape.rows == 0) {
        error = Quoted(path) + ": holds no numbers and is not a raster that GDAL can read";
        return nullptr;
    }
    GDALDriver* memory = GetGDALDriverManager()->GetDriverByName("MEM");
    GDALDatasetUniquePtr dataset(
        memory != nullptr ? memory->Create("", shape.columns, shape.rows, 1, GDT_Float64, nullptr) : nullptr);
    if (!dataset) {
        error = Quoted(path) + ": cannot hold its " + std::to_string(shape.columns) + " x " +
                std::to_string(shape.rows) + " numbers in memory";
        return nullptr;
    }
    // NaN as nodata: holes stay out of the resampled cells, as a raster's do.
    GDALRasterBand* band = dataset->GetRasterBand(1);
    band->SetNoDataValue(NAN);
    CPLErr status = CE_None;
    const auto store = [&](int row, const std::vector<double>& values) {
        if (status == CE_None)
            status = band->RasterIO(GF_Write, 0, row, shape.columns, 1, const_cast<double*>(values.data()),
                                    shape.columns, 1, GDT_Float64, 0, 0, nullptr);
    };
    ReadMatrix(text, cellLimit, shape, store, error);
    if (status != CE_None) {
        error = Quoted(path) + ": " + CPLGetLastErrorMsg();
        return nullptr;
    }

    std::unique_ptr<RasterSource> source(new RasterSource);
    source->path_ = path;
    RasterInfo& info = source->info_;
    info.width = shape.columns;
    info.height = shape.rows;
    info.driver = "text matrix";
    info.text_matrix = true;
    info.wholeValues = shape.wholeValues;
    source->dataset_ = std::move(dataset);
    return source;
}

bool RasterSource::Read(int columns, int rows, Resampling resampling, GDALProgressFunc progress,
                        void* progressData, std::vector<double>& values, std::string& error) const {
    GDALRasterBand* band = nan_view_ ? nan_view_->GetRasterBand(1) : dataset_->GetRasterBand(info_.band);
    const std::size_t cells = static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows);
    values.assign(cells, 0.0);

    GDALRasterIOExtraArg extra;
    INIT_RASTERIO_EXTRA_ARG(extra);
    extra.eResampleAlg = GdalAlgorithm(resampling);
    if (progress == nullptr) progress = GDALDummyProgress;

    // The values take the first half of the progress, the validity mask
    // (read with the same method, so a cell is valid exactly where GDAL gave
    // it a value from valid cells) the second.
    const bool allValid = band->GetMaskFlags() == GMF_ALL_VALID;
    const FailureRecorder failures;
    void* scaled = GDALCreateScaledProgress(0, allValid ? 1 : 0.5, progress, progressData);
    extra.pfnProgress = GDALScaledProgress;
    extra.pProgressData = scaled;
    CPLErr status = band->RasterIO(GF_Read, 0, 0, info_.width, info_.height, values.data(), columns, rows,
                                   GDT_Float64, 0, 0, &extra);
    GDALDestroyScaledProgress(scaled);

    std::vector<GByte> mask;
    if (status == CE_None && !allValid) {
        mask.assign(cells, 0);
        scaled = GDALCreateScaledProgress(0.5, 1, progress, progressData);
        extra.pProgressData = scaled;
        status = band->GetMaskBand()->RasterIO(GF_Read, 0, 0, info_.width, info_.height, mask.data(), columns,
                                               rows, GDT_Byte, 0, 0, &extra);
        GDALDestroyScaledProgress(scaled);
    }
    if (status != CE_None || failures.failed()) {
        error = Quoted(path_) + ": reading band " + std::to_string(info_.band) +
                " failed: " + (failures.failed() ? failures.message() : std::string(CPLGetLastErrorMsg()));
        return false;
    }

    int hasScale = 0;
    int hasOffset = 0;
    const double scale = band->GetScale(&hasScale);
    const double offset = band->GetOffset(&hasOffset);
    const bool rescale = (hasScale && scale != 1) || (hasOffset && offset != 0);
    for (std::size_t i = 0; i < cells; ++i) {
        if (!mask.empty() && mask[i] == 0)
            values[i] = NAN;
        else if (rescale)
            values[i] = values[i] * scale + offset;
        if (!std::isfinite(values[i])) values[i] = NAN;
    }
    return true;
}
