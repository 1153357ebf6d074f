// Rasters made with GDAL for the importer's tests, and the importer's output
// read back through the viewer's loader.
#pragma once

#include <gdal.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "import_elevation.h"

struct Raster {
    int width = 0;
    int height = 0;
    std::vector<double> values;  // row 0 (the northern edge) first
    GDALDataType type = GDT_Int16;
    std::optional<double> nodata;
    std::optional<std::array<double, 6>> transform;  // GDAL's geotransform
    int epsg = 0;                                     // 0: no coordinate system
    std::string srs;   // instead of epsg, as a user gives one ("EPSG:4326+5773")
    std::string unit;  // the unit of band 1's values
    // Every band holds the values; this is their colour meaning, one a band.
    // Empty: one band of heights.
    std::vector<GDALColorInterp> colours;
    bool palette = false;  // band 1 indexes a colour table
};

// A raster of `width` x `height` cells, value `fill` everywhere.
Raster Filled(int width, int height, double fill, GDALDataType type = GDT_Int16);

// Writes `raster` with the GDAL driver `driver` ("GTiff", "AAIGrid", "PNG",
// "netCDF").
void WriteRaster(const std::string& path, const std::string& driver, const Raster& raster);

// The grid of an imported data file: heights[row][column], row 0 the first
// row of the file, -1 for a cell without points; rebuilt from the points the
// viewer's SurfData loads, the size taken from the header.
struct LoadedGrid {
    int size = 0;
    std::vector<std::vector<int>> heights;
    std::size_t points = 0;
};
LoadedGrid LoadGrid(const std::string& data_file);

// Runs the importer in this process, with `limits` in place of this
// machine's; gives the status, with its standard output and error.
struct ImportRun {
    int status = 0;
    std::string out;
    std::string err;
};
ImportRun Import(const std::vector<std::string>& arguments, const ImportLimits& limits = ImportLimits());

// An .npy file of a 2-D '<i4' array in C order, as the importer writes it:
// its shape and cells, row by row. Fails the test (and gives an empty grid)
// where the header is not such an array's, the data does not start on a
// multiple of 64 bytes, or the data is not as long as the shape says.
struct NpyGrid {
    std::int64_t rows = 0;
    std::int64_t columns = 0;
    std::vector<std::int32_t> cells;
};
NpyGrid ReadNpy(const std::string& path);

// The names in folder `dir`, sorted.
std::vector<std::string> Entries(const std::string& dir);
