#include "raster_source.h"

#include <gdal_utils.h>
#include <ogr_spatialref.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <fstream>

#include "messages.h"
#include "point_limit.h"
#include "text_matrix.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

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

// Sets the cells' ground size and orientation from the geotransform; leaves
// the defaults when the raster has no usable georeferencing.
void MeasureCells(GDALDataset& dataset, RasterInfo& info) {
    double transform[6];
    if (dataset.GetGeoTransform(transform) != CE_None) return;
    // Steps along a row (x) and down a column (y) in the raster's units.
    const double row_step[2] = {transform[1], transform[4]};
    const double column_step[2] = {transform[2], transform[5]};
    const OGRSpatialReference* srs = dataset.GetSpatialRef();
    double width = std::hypot(row_step[0], row_step[1]);
    double height = std::hypot(column_step[0], column_step[1]);
    if (srs != nullptr && srs->IsGeographic()) {
        // Degrees (or another angle) to metres along the ground, at the
        // raster's centre.
        const double unit_degrees = srs->GetAngularUnits(nullptr) * 180 / kPi;
        const double latitude =
            (transform[3] + transform[4] * info.width / 2 + transform[5] * info.height / 2) * unit_degrees;
        const double radius = srs->GetSemiMajor(nullptr);
        width = GeographicStepMetres(row_step[0] * unit_degrees, row_step[1] * unit_degrees, latitude, radius);
        height =
            GeographicStepMetres(column_step[0] * unit_degrees, column_step[1] * unit_degrees, latitude, radius);
        info.geographic = true;
    } else if (srs != nullptr && srs->IsProjected()) {
        const double metres = srs->GetLinearUnits(nullptr);
        width *= metres;
        height *= metres;
    }
    if (!(width > 0 && height > 0 && std::isfinite(width) && std::isfinite(height))) {
        info.geographic = false;
        return;
    }
    info.cell_width = width;
    info.cell_height = height;
    info.georeferenced = true;
    info.rows_run_south = transform[5] <= 0;
    info.columns_run_west = transform[1] < 0;
}

enum class MatrixText { not_a_matrix, too_large, read };

// The whole of the regular file `path` in `text` when it starts as a text
// matrix does, and is at most `byte_limit` bytes long. Only its start is read
// to find out, so that a large file of another kind is not read whole.
MatrixText ReadMatrixText(const std::string& path, std::uint64_t byte_limit, std::string& text) {
    struct stat status;
    std::ifstream in(path, std::ios::binary);
    if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode) || !in) return MatrixText::not_a_matrix;
    constexpr std::size_t kStart = 1 << 16;
    text.resize(kStart);
    in.read(text.data(), kStart);
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (!StartsLikeMatrix(text)) return MatrixText::not_a_matrix;
    // Read to the end, however long the file has grown meanwhile.
    char block[kStart];
    while (in.read(block, kStart) || in.gcount() > 0) {
        if (text.size() + static_cast<std::uint64_t>(in.gcount()) > byte_limit) return MatrixText::too_large;
        text.append(block, static_cast<std::size_t>(in.gcount()));
    }
    return MatrixText::read;
}

}  // namespace

double GeographicStepMetres(double dx, double dy, double latitude, double semi_major_metres) {
    const double metres_per_degree = semi_major_metres * kPi / 180;
    return metres_per_degree * std::hypot(dx * std::cos(latitude * kPi / 180), dy);
}

std::unique_ptr<RasterSource> RasterSource::Open(const std::string& path, std::string& error) {
    GDALDatasetUniquePtr dataset(
        GDALDataset::Open(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY | GDAL_OF_VERBOSE_ERROR));
    if (!dataset) return OpenMatrix(path, OpenError(path), error);
    if (dataset->GetRasterCount() < 1) {
        error = NoBandError(*dataset, path);
        return nullptr;
    }
    std::unique_ptr<RasterSource> source(new RasterSource);
    source->path_ = path;
    RasterInfo& info = source->info_;
    info.width = dataset->GetRasterXSize();
    info.height = dataset->GetRasterYSize();
    info.driver = dataset->GetDriverName();
    MeasureCells(*dataset, info);

    GDALRasterBand* band = dataset->GetRasterBand(1);
    int has_nodata = 0;
    band->GetNoDataValue(&has_nodata);
    if (!has_nodata && IsFloatingPoint(band->GetRasterDataType()) &&
        (band->GetMaskFlags() & GMF_ALL_VALID) != 0) {
        const char* arguments[] = {"-of", "VRT", "-b", "1", "-a_nodata", "nan", nullptr};
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

std::unique_ptr<RasterSource> RasterSource::OpenMatrix(const std::string& path, const std::string& gdal_error,
                                                       std::string& error) {
    // The text, and then the values, 8 bytes each, may each take a quarter
    // of the physical memory, as the viewer's points may; and every side
    // must fit a GDAL raster's.
    const std::uint64_t byte_limit = max_loadable_points() * 24;
    const std::uint64_t cell_limit = std::min<std::uint64_t>(byte_limit / 8, INT_MAX);
    std::string text;
    const MatrixText read = ReadMatrixText(path, byte_limit, text);
    if (read == MatrixText::not_a_matrix) {
        error = gdal_error;
        return nullptr;
    }
    if (read == MatrixText::too_large) {
        error = Quoted(path) + ": a text matrix of more than " + std::to_string(byte_limit) +
                " bytes, more than this machine's memory allows";
        return nullptr;
    }
    MatrixShape shape;
    if (!ReadMatrix(text, cell_limit, shape, nullptr, error)) {
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
    ReadMatrix(text, cell_limit, shape, store, error);
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
    info.whole_values = shape.whole_values;
    source->dataset_ = std::move(dataset);
    return source;
}

bool RasterSource::Read(int columns, int rows, Resampling resampling, GDALProgressFunc progress,
                        void* progress_data, std::vector<double>& values, std::string& error) const {
    GDALRasterBand* band = (nan_view_ ? nan_view_ : dataset_)->GetRasterBand(1);
    const std::size_t cells = static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows);
    values.assign(cells, 0.0);

    GDALRasterIOExtraArg extra;
    INIT_RASTERIO_EXTRA_ARG(extra);
    extra.eResampleAlg = GdalAlgorithm(resampling);
    if (progress == nullptr) progress = GDALDummyProgress;

    // The values take the first half of the progress, the validity mask
    // (read with the same method, so a cell is valid exactly where GDAL gave
    // it a value from valid cells) the second.
    const bool all_valid = band->GetMaskFlags() == GMF_ALL_VALID;
    void* scaled = GDALCreateScaledProgress(0, all_valid ? 1 : 0.5, progress, progress_data);
    extra.pfnProgress = GDALScaledProgress;
    extra.pProgressData = scaled;
    CPLErr status = band->RasterIO(GF_Read, 0, 0, info_.width, info_.height, values.data(), columns, rows,
                                   GDT_Float64, 0, 0, &extra);
    GDALDestroyScaledProgress(scaled);

    std::vector<GByte> mask;
    if (status == CE_None && !all_valid) {
        mask.assign(cells, 0);
        scaled = GDALCreateScaledProgress(0.5, 1, progress, progress_data);
        extra.pProgressData = scaled;
        status = band->GetMaskBand()->RasterIO(GF_Read, 0, 0, info_.width, info_.height, mask.data(), columns,
                                               rows, GDT_Byte, 0, 0, &extra);
        GDALDestroyScaledProgress(scaled);
    }
    if (status != CE_None) {
        error = Quoted(path_) + ": reading band 1 failed: " + CPLGetLastErrorMsg();
        return false;
    }

    int has_scale = 0;
    int has_offset = 0;
    const double scale = band->GetScale(&has_scale);
    const double offset = band->GetOffset(&has_offset);
    const bool rescale = (has_scale && scale != 1) || (has_offset && offset != 0);
    for (std::size_t i = 0; i < cells; ++i) {
        if (!mask.empty() && mask[i] == 0)
            values[i] = NAN;
        else if (rescale)
            values[i] = values[i] * scale + offset;
        if (!std::isfinite(values[i])) values[i] = NAN;
    }
    return true;
}
