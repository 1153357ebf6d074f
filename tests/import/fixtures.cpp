#include "fixtures.h"

#include <gdal_priv.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
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

ImportRun Import(const std::vector<std::string>& arguments) {
    std::vector<const char*> argv = {"pelorin-import"};
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    std::ostringstream out;
    std::ostringstream err;
    ImportRun run;
    StreamDiagnostics report(err);
    run.status = RunImport(static_cast<int>(argv.size()), argv.data(), out, report);
    run.out = out.str();
    run.err = err.str();
    return run;
}
