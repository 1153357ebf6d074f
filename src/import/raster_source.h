// One band of a raster opened through GDAL, or a plain text matrix held as
// one: its size, the ground size of its cells, its orientation, the unit of
// its values, and reading it into a grid of another size.
#pragma once

#include <gdal_priv.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "import_options.h"

struct RasterInfo {
    int width = 0;   // cells per row
    int height = 0;  // rows
    std::string driver;  // GDAL's short name: "GTiff", "AAIGrid", ...
    int band = 1;   // the band read, from 1
    int bands = 1;  // the bands the raster has
    // Ground size of one cell along a row and down a column, in metres when
    // the raster is georeferenced (degrees are converted at the raster's
    // centre), else 1 by 1.
    double cellWidth = 1;
    double cellHeight = 1;
    bool georeferenced = false;
    bool geographic = false;  // coordinates in degrees of latitude and longitude
    // A geotransform without a coordinate system: taken as degrees when its
    // extent is one of longitude and latitude (and then geographic), else
    // its cells as square, of unknown size.
    bool degreesAssumed = false;
    bool cellUnitUnknown = false;
    // The geotransform, when the raster has one, and its coordinate system
    // as WKT ("" for none): what frames of a series must share.
    bool hasTransform = false;
    std::array<double, 6> transform{};
    std::string coordinateSystem;
    // Raster row 0 is the northern edge (or, without georeferencing, the top
    // of the picture): the rows are turned over so that y runs north.
    bool rowsRunSouth = true;
    bool columnsRunWest = false;  // columns are turned over so that x runs east
    // What the band's values are measured in: "metres" when its unit, or a
    // vertical coordinate system, says metres; else the unit the band
    // names, or "" when it names none.
    std::string valueUnit;
    // A text matrix: values of no known unit, cells square of no known size,
    // the first line as the northern edge (as a picture's top row).
    bool text_matrix = false;
    bool wholeValues = false;  // a text matrix whose every finite value is a whole number
    // How the raster was taken where it could be taken more than one way,
    // each the text of a "warning:" line.
    std::vector<std::string> warnings;
};

// Ground metres of a step of (dx, dy) degrees, the radius being the
// ellipsoid's semi-major axis and the degrees of longitude shrunk by the
// cosine of `latitude` (degrees).
double GeographicStepMetres(double dx, double dy, double latitude, double semiMajorMetres);

// The coordinate system of `wkt` named shortly, for config.txt:
// "EPSG:32631" where the system has an authority's code or is found to be
// one that has, else its name; "" for none or for GDAL's stand-in name.
std::string ShortCoordinateName(const std::string& wkt);

class RasterSource {
public:
    // Opens `path` read-only as a raster, to read its band `band` (from 1),
    // or with `band` 0 its band 1 unless it is a colour or palette image; a
    // file that GDAL cannot open and that starts as a text matrix does (see
    // StartsLikeMatrix) is read as one, into memory. A classic netCDF file
    // shorter than its header says is refused. On failure gives nothing and
    // sets `error` to the text of an "error:" line.
    static std::unique_ptr<RasterSource> Open(const std::string& path, int band, std::string& error);

    const RasterInfo& info() const { return info_; }

    // Reads the band resampled to `columns` x `rows` cells in raster order
    // (row 0 first, as stored), the band's scale and offset applied. Cells
    // that are nodata, NaN, infinite or masked give NaN; with the averaging methods a
    // cell is NaN only when no valid source cell falls into it, and nodata
    // never enters a valid cell's value. `progress` (a GDALProgressFunc and
    // its data) is called as the read goes on. On failure, including one
    // that GDAL only reports to its error handler, returns false and sets
    // `error`.
    bool Read(int columns, int rows, Resampling resampling, GDALProgressFunc progress, void* progressData,
              std::vector<double>& values, std::string& error) const;

private:
    RasterSource() = default;
    // The text matrix in the file `path`; nothing, with `error` set, when it
    // is malformed or when it is no matrix (then `error` is `gdalError`).
    static std::unique_ptr<RasterSource> OpenMatrix(const std::string& path, const std::string& gdalError,
                                                    std::string& error);

    GDALDatasetUniquePtr dataset_;
    // A virtual copy of the band whose nodata is NaN, for floating-point bands
    // that declare none, so that GDAL's resampling leaves NaN cells out.
    GDALDatasetUniquePtr nan_view_;
    std::string path_;
    RasterInfo info_;
};
