// Fitting into the square, values to levels, and the point limit.
#include <gtest/gtest.h>

#include <cmath>

#include "grid_mapping.h"
#include "raster_source.h"

namespace {

TEST(Fit, TheLongerSideTakesEveryCellAndTheShorterItsShareCentred) {
    const GridPlacement wide = FitIntoSquare(30, 300, 100);
    EXPECT_EQ(wide.columns, 30);
    EXPECT_EQ(wide.rows, 10);
    EXPECT_EQ(wide.first_column, 0);
    EXPECT_EQ(wide.first_row, 10);
    const GridPlacement tall = FitIntoSquare(95, 56.9, 83.5);
    EXPECT_EQ(tall.rows, 95);
    EXPECT_EQ(tall.columns, 65);
    EXPECT_EQ(tall.first_column, 15);
    EXPECT_EQ(FitIntoSquare(10, 1000, 1).rows, 1);  // never less than one row
    EXPECT_EQ(DefaultGridSize(5000, 200, 1024), 1024);
    EXPECT_EQ(DefaultGridSize(95, 90, 1024), 95);
}

TEST(Fit, DegreesOfLongitudeShrinkWithTheCosineOfTheLatitude) {
    const double radius = 6378137;
    EXPECT_NEAR(GeographicStepMetres(0, 1, 45, radius), 111319.49, 0.01);
    EXPECT_NEAR(GeographicStepMetres(1, 0, 60, radius), 111319.49 / 2, 0.01);
    EXPECT_NEAR(GeographicStepMetres(1, 0, 0, radius), 111319.49, 0.01);
}

TEST(Levels, LevelsRunFromZeroAtTheLowestToLevelsLessOneAtTheHighest) {
    const LevelScale scale = ScaleForLevels(100, 340, 25);
    EXPECT_EQ(scale.metres_per_level, 10);
    EXPECT_EQ(LevelOf(100, scale), 0);
    EXPECT_EQ(LevelOf(340, scale), 24);
    EXPECT_EQ(LevelOf(104.9, scale), 0);  // rounded to the nearest level
    EXPECT_EQ(LevelOf(105, scale), 1);
    const LevelScale one = ScaleForLevels(100, 340, 1);
    EXPECT_EQ(LevelOf(340, one), 0);
    const LevelScale flat = ScaleForLevels(7, 7, 24);
    EXPECT_EQ(flat.metres_per_level, 0);
    EXPECT_EQ(LevelOf(7, flat), 0);
}

TEST(Levels, MetresPerLevelCountFromTheLowestValue) {
    const LevelScale scale = ScaleForMetres(-20, 480, 50);
    EXPECT_EQ(LevelOf(-20, scale), 0);
    EXPECT_EQ(LevelOf(480, scale), 10);
    EXPECT_EQ(LevelOf(6, scale), 1);
}

TEST(Heights, RowsRunNorthColumnsEastAndTheRestAreHoles) {
    // Two rows of two in a 3 x 3 grid, stored north first.
    const GridPlacement placement{3, 2, 2, 0, 1};
    const std::vector<double> values = {1, 2, 3, NAN};
    HeightGrid grid;
    ASSERT_TRUE(MapHeights(values, placement, true, false, ScaleForMetres(0, 3, 1), 100, grid));
    EXPECT_EQ(grid.heights, (std::vector<int>{-1, -1, -1, 3, -1, -1, 1, 2, -1}));
    EXPECT_EQ(grid.points, 9u);
    EXPECT_EQ(grid.highest, 3);
    ASSERT_TRUE(MapHeights(values, placement, false, true, ScaleForMetres(0, 3, 1), 100, grid));
    EXPECT_EQ(grid.heights, (std::vector<int>{-1, -1, -1, 2, 1, -1, -1, 3, -1}));
}

TEST(Heights, AGridPastThePointLimitIsRefusedWithoutItsMemory) {
    const GridPlacement placement{4096, 4096, 1, 0, 0};
    const std::vector<double> values(4096, 1e6);
    HeightGrid grid;
    EXPECT_FALSE(MapHeights(values, placement, true, false, ScaleForMetres(0, 1e6, 1e-6), 1000000, grid));
    EXPECT_EQ(grid.points, 4096u * 1000000000001u);
    EXPECT_TRUE(grid.heights.empty());
    EXPECT_TRUE(MapHeights({0, 0}, GridPlacement{2, 2, 1, 0, 0}, true, false, ScaleForMetres(0, 0, 1), 2, grid));
    EXPECT_FALSE(MapHeights({0, 1}, GridPlacement{2, 2, 1, 0, 0}, true, false, ScaleForMetres(0, 1, 1), 2, grid));
}

}  // namespace
