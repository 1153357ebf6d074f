// What the conversions do not reach: rounding between levels, one level, a
// flat raster, rasters whose columns run west, and a very thin raster.
#include <gtest/gtest.h>

#include <cmath>

#include "grid_mapping.h"

namespace {

TEST(Levels, ValuesGoToTheNearestLevelAndOneLevelOrAFlatRasterGiveZero) {
    const LevelScale scale = ScaleForLevels(100, 340, 25);
    EXPECT_EQ(LevelOf(104.9, scale), 0);
    EXPECT_EQ(LevelOf(105, scale), 1);
    EXPECT_EQ(LevelOf(340, ScaleForLevels(100, 340, 1)), 0);
    const LevelScale flat = ScaleForLevels(7, 7, 24);
    EXPECT_EQ(flat.metresPerLevel, 0);
    EXPECT_EQ(LevelOf(7, flat), 0);
    EXPECT_EQ(LevelOf(6, ScaleForMetres(-20, 480, 50)), 1);
}

TEST(Heights, ColumnsThatRunWestAreTurnedOverAndAThinRasterKeepsOneRow) {
    // Two rows of two in a 3 x 3 grid from its second row, stored south first.
    const std::vector<double> values = {1, 2, 3, NAN};
    HeightGrid grid;
    ASSERT_TRUE(MapHeights(values, GridPlacement{3, 2, 2, 0, 1}, false, true, ScaleForMetres(0, 3, 1), 100, grid));
    EXPECT_EQ(grid.heights, (std::vector<int>{-1, -1, -1, 2, 1, -1, -1, 3, -1}));
    EXPECT_EQ(grid.points, 9u);
    EXPECT_EQ(FitIntoSquare(10, 1000, 1).rows, 1);
}

// Values a double's whole range apart make levels of infinity over
// infinity; a level of 1e-300 units, a count past 64 bits. Neither is cast.
TEST(Heights, CountsOfNoNumberOrPast64BitsAreRefused) {
    HeightGrid grid;
    const GridPlacement row = {2, 2, 1, 0, 0};
    EXPECT_FALSE(MapHeights({-1e308, 1.7e308}, row, false, false, ScaleForLevels(-1e308, 1.7e308, 24), 100, grid));
    EXPECT_EQ(grid.points, UINT64_MAX);
    EXPECT_FALSE(MapHeights({0, 1}, row, false, false, ScaleForMetres(0, 1, 1e-300), 100, grid));
    EXPECT_EQ(grid.points, UINT64_MAX);
    EXPECT_FALSE(MapHeights({0, 1}, row, false, false, ScaleForMetres(0, 1, 1e-10), 100, grid));
    EXPECT_EQ(grid.points, 10000000002u);
}

}  // namespace
