// What the conversions do not reach: rounding between levels, one level, a
// flat raster, rasters whose columns run west, and a very thin raster.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

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
    LevelGrid grid;
    ASSERT_TRUE(MapHeights(values, GridPlacement{3, 2, 2, 0, 1}, false, true, ScaleForMetres(0, 3, 1), grid));
    EXPECT_EQ(grid.cells.heights, (std::vector<std::int32_t>{-1, -1, -1, 2, 1, -1, -1, 3, -1}));
    EXPECT_EQ(grid.points, 9u);
    EXPECT_EQ(FitIntoSquare(10, 1000, 1).rows, 1);
}

// Levels that a 32-bit cell cannot hold, or that are no number (values a
// double's whole range apart make infinity over infinity), are refused
// before anything is allocated; the largest one is taken, its points counted
// exactly.
TEST(Heights, LevelsPastTheLargestHeightOrOfNoNumberAreRefused) {
    const GridPlacement row = {2, 2, 1, 0, 0};
    const struct {
        LevelScale scale;
        bool fits;
    } cases[] = {
        {ScaleForLevels(-1e308, 1.7e308, 24), false},
        {ScaleForMetres(0, 1, 1e-300), false},
        {ScaleForMetres(0, 1, 1e-10), false},
        {ScaleForMetres(0, 2147483648.0, 1), false},
        {ScaleForMetres(0, 2147483647.0, 1), true},
    };
    for (const auto& level : cases) {
        LevelGrid grid;
        const double highest = level.scale.highest;
        EXPECT_EQ(MapHeights({level.scale.lowest, highest}, row, false, false, level.scale, grid), level.fits)
            << highest;
        EXPECT_EQ(grid.cells.heights.empty(), !level.fits) << highest;
    }
    LevelGrid grid;
    ASSERT_TRUE(MapHeights({0, 2147483647.0}, row, false, false, ScaleForMetres(0, 2147483647.0, 1), grid));
    EXPECT_EQ(grid.highest, largestHeight);
    EXPECT_EQ(grid.points, 2147483649u);
}

TEST(Sizes, TheLargestSquareWithinACellLimit) {
    for (const auto& [limit, side] : std::vector<std::pair<std::uint64_t, int>>{
             {0, 0}, {1, 1}, {3, 1}, {4, 2}, {99, 9}, {100, 10}, {(1u << 31), 46340}, {UINT64_MAX, INT_MAX}})
        EXPECT_EQ(LargestSideWithin(limit), side) << limit;
}

}  // namespace
