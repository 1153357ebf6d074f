// --format npy: the grid as a 2-D '<i4' array, read back byte by byte, for
// one input and for a series, which replaces a series of text frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "config_store.h"
#include "fixtures.h"
#include "temp_files.h"

namespace {

// A 5 x 5 ramp, cell k at level k, two of them holes: the array's rows are
// the data file's, the southern edge first.
TEST(Npy, ARampKeepsItsLevelsHolesAndNorthAtTheLastRow) {
    const TempDir dir("import-npy");
    Raster raster = Filled(5, 5, 0);
    for (int k = 0; k < 25; ++k) raster.values[k] = 100 + 10 * k;
    raster.nodata = -9999;
    const std::vector<int> holes = {1, 18};
    for (int k : holes) raster.values[k] = -9999;
    WriteRaster(dir / "in.tif", "GTiff", raster);

    const ImportRun run = Import({dir / "in.tif", dir / "out", "--levels", "25", "--format", "npy"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("wrote " + (dir / "out/data.npy") + ": 5 x 5 cells, 304 points, heights 0 to 24", 0), 0u)
        << run.out;
    EXPECT_EQ(Entries(dir / "out"), (std::vector<std::string>{"config.txt", "data.npy"}));
    const ConfigStore config((dir / "out/config.txt").c_str());
    EXPECT_STREQ(config.lookup("data/file", ""), "data.npy");

    const NpyGrid grid = ReadNpy(dir / "out/data.npy");
    ASSERT_EQ(grid.rows, 5);
    ASSERT_EQ(grid.columns, 5);
    for (int k = 0; k < 25; ++k) {
        const bool hole = std::find(holes.begin(), holes.end(), k) != holes.end();
        EXPECT_EQ(grid.cells[(4 - k / 5) * 5 + k % 5], hole ? -1 : k) << "raster cell " << k;
    }
}

TEST(Npy, ASeriesSharesItsLevelsAndReplacesTheTextFrames) {
    const TempDir dir("import-npy-series");
    Raster low = Filled(2, 2, 0);
    low.values[3] = 10;
    Raster high = Filled(2, 2, 10);
    high.values[1] = 20;
    WriteRaster(dir / "a.tif", "GTiff", low);
    WriteRaster(dir / "b.tif", "GTiff", high);
    const std::vector<std::string> inputs = {dir / "a.tif", dir / "b.tif", dir / "out", "--metres-per-level", "1"};
    ASSERT_EQ(Import(inputs).status, 0);
    ASSERT_EQ(Entries(dir / "out"), (std::vector<std::string>{"config.txt", "frame-00001.txt", "frame-00002.txt"}));

    std::vector<std::string> npy = inputs;
    npy.insert(npy.end(), {"--format", "npy", "--force"});
    const ImportRun run = Import(npy);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(Entries(dir / "out"), (std::vector<std::string>{"config.txt", "frame-00001.npy", "frame-00002.npy"}));
    const ConfigStore config((dir / "out/config.txt").c_str());
    EXPECT_STREQ(config.lookup("data/series", ""), "frame-%05d.npy");
    // The raster's first row is the north: the array's last.
    EXPECT_EQ(ReadNpy(dir / "out/frame-00001.npy").cells, (std::vector<std::int32_t>{0, 10, 0, 0}));
    EXPECT_EQ(ReadNpy(dir / "out/frame-00002.npy").cells, (std::vector<std::int32_t>{10, 10, 10, 20}));
}

}  // namespace
