#include "fixtures.h"

#include <gdal_priv.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "import_elevation.h"
#include "surf_data.h"

Raster Filled(int width, int height, double fill, GDALDataType type) {
    Raster raster;
    raster.width = width;
    raster.height = height;
    raster.type = type;
    raster.values.assign(static_cast<std::size_t>(width) * height, fill);
    return raster;
}

void WriteRaster(const std::string& path, const std::string& driver, const Raster& raster) {
    GDALAllRegister();
    // Some drivers only copy: build the raster in memory first.
    GDALDriver* memory = GetGDALDriverManager()->GetDriverByName("MEM");
    const int bands = std::max<int>(1, static_cast<int>(raster.colours.size()));
    GDALDatasetUniquePtr dataset(memory->Create("", raster.width, raster.height, bands, raster.type, nullptr));
    GDALRasterBand* band = dataset->GetRasterBand(1);
    if (raster.nodata) band->SetNoDataValue(*raster.nodata);
    if (raster.transform) dataset->SetGeoTransform(const_cast<double*>(raster.transform->data()));
    if (raster.epsg != 0 || !raster.srs.empty()) {
        OGRSpatialReference srs;
        ASSERT_EQ(raster.epsg != 0 ? srs.importFromEPSG(raster.epsg) : srs.SetFromUserInput(raster.srs.c_str()),
                  OGRERR_NONE);
        dataset->SetSpatialRef(&srs);
    }
    band->SetUnitType(raster.unit.c_str());
    if (raster.palette) {
        GDALColorTable table;
        for (short i = 0; i < 256; ++i) {
            const GDALColorEntry grey = {i, i, i, 255};
            table.SetColorEntry(i, &grey);
        }
        band->SetColorTable(&table);
    }
    for (int b = 1; b <= bands; ++b) {
        if (!raster.colours.empty()) dataset->GetRasterBand(b)->SetColorInterpretation(raster.colours[b - 1]);
        ASSERT_EQ(dataset->GetRasterBand(b)->RasterIO(GF_Write, 0, 0, raster.width, raster.height,
                                                      const_cast<double*>(raster.values.data()), raster.width,
                                                      raster.height, GDT_Float64, 0, 0, nullptr),
                  CE_None);
    }
    GDALDatasetUniquePtr copy(GetGDALDriverManager()->GetDriverByName(driver.c_str())
                                  ->CreateCopy(path.c_str(), dataset.get(), TRUE, nullptr, nullptr, nullptr));
    ASSERT_TRUE(copy) << CPLGetLastErrorMsg();
}

LoadedGrid LoadGrid(const std::string& data_file) {
    LoadedGrid grid;
    std::ifstream(data_file) >> grid.size;
    grid.heights.assign(grid.size, std::vector<int>(grid.size, -1));
    const SurfData data(data_file);
    grid.points = data.x.size();
    for (std::size_t i = 0; i < data.x.size(); ++i) {
        int& height = grid.heights.at(static_cast<int>(data.y[i])).at(static_cast<int>(data.x[i]));
        height = std::max(height, static_cast<int>(data.z[i]));
    }
    return grid;
}

ImportRun Import(const std::vector<std::string>& arguments, const ImportLimits& limits) {
    std::vector<const char*> argv = {"pelorin-import"};
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    std::ostringstream out;
    std::ostringstream err;
    ImportRun run;
    StreamDiagnostics report(err);
    run.status = RunImport(static_cast<int>(argv.size()), argv.data(), out, report, limits);
    run.out = out.str();
    run.err = err.str();
    return run;
}

NpyGrid ReadNpy(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    NpyGrid grid;
    // Magic, version 1.0, the header's length in two little-endian bytes.
    if (bytes.size() < 10 || bytes.compare(0, 8, std::string("\x93NUMPY\x01\x00", 8)) != 0) {
        ADD_FAILURE() << path << ": no .npy 1.0 file";
        return grid;
    }
    const std::size_t headerLength =
        static_cast<unsigned char>(bytes[8]) | static_cast<std::size_t>(static_cast<unsigned char>(bytes[9])) << 8;
    const std::size_t start = 10 + headerLength;
    const std::string header = bytes.substr(10, headerLength);
    long long rows = -1;
    long long columns = -1;
    const std::size_t shape = header.find("'shape': (");
    if (start > bytes.size() || start % 64 != 0 || header.empty() || header.back() != '\n' ||
        header.find("'descr': '<i4'") == std::string::npos ||
        header.find("'fortran_order': False") == std::string::npos || shape == std::string::npos ||
        std::sscanf(header.c_str() + shape, "'shape': (%lld, %lld)", &rows, &columns) != 2 ||
        bytes.size() - start != static_cast<std::size_t>(rows * columns) * 4) {
        ADD_FAILURE() << path << ": not a 2-D '<i4' array in C order: " << header;
        return grid;
    }
    grid.rows = rows;
    grid.columns = columns;
    grid.cells.resize(static_cast<std::size_t>(rows * columns));
    for (std::size_t i = 0; i < grid.cells.size(); ++i) {
        std::uint32_t cell = 0;
        for (int b = 3; b >= 0; --b) cell = cell << 8 | static_cast<unsigned char>(bytes[start + i * 4 + b]);
        grid.cells[i] = static_cast<std::int32_t>(cell);
    }
    return grid;
}

std::vector<std::string> Entries(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}
