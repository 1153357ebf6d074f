// Whole numbers of a text matrix taken one level a unit, unless that makes a
// needle; and the ground size of cells that --cell-metres gives.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "config_store.h"
#include "fixtures.h"
#include "temp_files.h"

namespace {

struct NeedleCase {
    const char* name;
    std::string text;
    std::vector<std::string> options;
    std::string heights;  // how the "wrote" line ends
    std::string warning;  // what follows the input's name in the warning; empty for none
};

void PrintTo(const NeedleCase& needle, std::ostream* out) { *out << needle.name; }

class Needles : public ::testing::TestWithParam<NeedleCase> {};

TEST_P(Needles, AreScaledWithAWarningUnlessKeptAsIs) {
    const NeedleCase& needle = GetParam();
    const TempDir dir("import-needle");
    WriteFile(dir / "in.txt", needle.text);
    std::vector<std::string> arguments = {dir / "in.txt", dir / "out"};
    arguments.insert(arguments.end(), needle.options.begin(), needle.options.end());

    const ImportRun run = Import(arguments);
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_GT(run.out.size(), needle.heights.size());
    EXPECT_EQ(run.out.substr(run.out.size() - needle.heights.size()), needle.heights);
    EXPECT_EQ(run.err, needle.warning.empty() ? "" : "warning: '" + (dir / "in.txt") + "'" + needle.warning + "\n");
}

// A 3 x 3 grid is a needle from level 24 up.
const std::string needleOf230 = "0 230 100\n50 0 0\n0 0 0\n";

INSTANTIATE_TEST_SUITE_P(
    Import, Needles,
    ::testing::Values(
        NeedleCase{"WholeMetresAreScaled", needleOf230, {}, "heights 0 to 23 (10 matrix units per level)\n",
                   ": heights of 0 to 230 on a 3 x 3 grid would stand as a needle at one level a unit; scaled to "
                   "24 levels (10 matrix units per level); --levels-as-is keeps one level a unit"},
        NeedleCase{"LevelsAsIsKeepsThem", needleOf230, {"--levels-as-is"},
                   "heights 0 to 230 (1 matrix unit per level)\n", ""},
        NeedleCase{"EightTimesTheSideIsANeedle", "0 24 1\n0 0 0\n0 0 0\n", {},
                   "heights 0 to 23 (1.04348 matrix units per level)\n",
                   ": heights of 0 to 24 on a 3 x 3 grid would stand as a needle at one level a unit; scaled to "
                   "24 levels (1.04348 matrix units per level); --levels-as-is keeps one level a unit"},
        NeedleCase{"JustShortOfANeedleKeepsItsUnits", "0 23 1\n0 0 0\n0 0 0\n", {},
                   "heights 0 to 23 (1 matrix unit per level)\n", ""},
        NeedleCase{"TheOutputSizeDecides", needleOf230, {"--size", "30"},
                   "heights 0 to 230 (1 matrix unit per level)\n", ""},
        // 24 levels would stand taller still.
        NeedleCase{"ANeedleScalingWouldNotLowerKeepsItsUnits", "0 20\n", {},
                   "heights 0 to 20 (1 matrix unit per level)\n", ""}),
    [](const auto& paramInfo) { return std::string(paramInfo.param.name); });

TEST(Needles, ASeriesIsScaledAsAWhole) {
    const TempDir dir("import-needle-series");
    WriteFile(dir / "h-1.txt", "0 0 0\n0 0 0\n0 0 0\n");
    WriteFile(dir / "h-2.txt", needleOf230);
    const ImportRun run = Import({dir / "h-1.txt", dir / "h-2.txt", dir / "out"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "warning: the series '" + (dir / "h-1.txt") + "' to '" + (dir / "h-2.txt") +
                           "': heights of 0 to 230 on a 3 x 3 grid would stand as a needle at one level a unit; "
                           "scaled to 24 levels (10 matrix units per level); --levels-as-is keeps one level a unit\n");
    EXPECT_EQ(LoadGrid(dir / "out/frame-00002.txt").heights[2], (std::vector<int>{0, 23, 10}));
}

struct CellCase {
    const char* name;
    std::string input;  // a text matrix, or the name of a raster the test writes
    std::vector<std::string> options;
    double cellMetres;  // data/cell-metres; 0 when config.txt gives none
};

void PrintTo(const CellCase& cells, std::ostream* out) { *out << cells.name; }

class CellMetres : public ::testing::TestWithParam<CellCase> {};

// 4 x 4 cells of 10 by 10 metres, with and without a coordinate system.
Raster TenMetreCells(int epsg) {
    Raster raster = Filled(4, 4, 5);
    raster.transform = std::array<double, 6>{500000, 10, 0, 5000000, 0, -10};
    raster.epsg = epsg;
    return raster;
}

TEST_P(CellMetres, ReachConfig) {
    const CellCase& cells = GetParam();
    const TempDir dir("import-cell-metres");
    std::string input = dir / "in.txt";
    if (cells.input == "utm.tif") {
        input = dir / cells.input;
        WriteRaster(input, "GTiff", TenMetreCells(32632));
    } else if (cells.input == "plain.tif") {
        input = dir / cells.input;
        WriteRaster(input, "GTiff", TenMetreCells(0));
    } else {
        WriteFile(input, cells.input);
    }
    std::vector<std::string> arguments = {input, dir / "out"};
    arguments.insert(arguments.end(), cells.options.begin(), cells.options.end());

    const ImportRun run = Import(arguments);
    ASSERT_EQ(run.status, 0) << run.err;
    const ConfigStore config((dir / "out/config.txt").c_str());
    EXPECT_EQ(config.lookup("data/cell-metres", 0.0), cells.cellMetres);
}

const std::string matrix = "1 2 3\n4 5 6\n7 8 9\n";

INSTANTIATE_TEST_SUITE_P(
    Import, CellMetres,
    ::testing::Values(CellCase{"MatrixWithout", matrix, {}, 0}, CellCase{"Matrix", matrix, {"--cell-metres", "30"}, 30},
                      // 3 cells of 30 metres over 6 grid cells.
                      CellCase{"MatrixResampled", matrix, {"--cell-metres=30", "--size", "6"}, 15},
                      CellCase{"NoCoordinateSystem", "plain.tif", {"--cell-metres", "2.5"}, 2.5},
                      CellCase{"CoordinateSystemAlone", "utm.tif", {}, 10},
                      CellCase{"WinOverACoordinateSystem", "utm.tif", {"--cell-metres", "25"}, 25}),
    [](const auto& paramInfo) { return std::string(paramInfo.param.name); });

}  // namespace
