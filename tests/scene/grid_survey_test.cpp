// The scene drawn from a grid of heights: the survey its points would give,
// exactly the spheres a camera can see, the floor, and the colours of the
// top surface.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "height_grids.h"
#include "impostors/impostor_tiles.h"
#include "shading/height_colours.h"
#include "survey/point_survey.h"

namespace {

PointSurvey SurveyOfPoints(const HeightGrid& grid) {
    std::vector<double> x, y, z;
    WriteGridPoints(grid, x, y, z);
    return SurveyPoints(PointView(x, y, z));
}

struct NamedGrid {
    std::string name;
    HeightGrid grid;
};

const std::vector<NamedGrid>& SurveyedGrids() {
    static const std::vector<NamedGrid> grids = {
        {"small", GridOf({{1, 0, -1}, {0, 3, 0}, {0, 0, 2}})},
        {"leading empty row and column", GridOf({{-1, -1, -1}, {-1, 5, 0}, {-1, 2, -1}})},
        {"nothing", GridOf({{-1, -1}})},
        {"one sphere", GridOf({{0}})},
        {"random with holes", RandomGrid(17, 9, 0, 6, 5)},
    };
    return grids;
}

TEST(GridSurvey, MatchesTheSurveyOfItsPoints) {
    for (const NamedGrid& c : SurveyedGrids()) {
        const PointSurvey fromGrid = SurveyGrid(c.grid);
        const PointSurvey fromPoints = SurveyOfPoints(c.grid);
        EXPECT_EQ(fromGrid.count, fromPoints.count) << c.name;
        EXPECT_EQ(fromGrid.lowest, fromPoints.lowest) << c.name;
        EXPECT_EQ(fromGrid.highest, fromPoints.highest) << c.name;
        EXPECT_EQ(fromGrid.wholeLevels, fromPoints.wholeLevels) << c.name;
        EXPECT_EQ(fromGrid.columns.top, fromPoints.columns.top) << c.name;
        EXPECT_EQ(fromGrid.columns.lowestX, fromPoints.columns.lowestX) << c.name;
        EXPECT_EQ(fromGrid.columns.lowestY, fromPoints.columns.lowestY) << c.name;
        EXPECT_EQ(fromGrid.columns.width, fromPoints.columns.width) << c.name;
    }
}

// The spheres a camera can see, counted sphere by sphere: every level of a
// column from the floor up, kept where it is the floor's or not below the
// lowest top of the nine columns around it (a missing column, or one
// below the floor, counts as open).
std::uint64_t OpenSpheres(const HeightGrid& grid, std::int32_t floor) {
    auto top = [&](std::int64_t c, std::int64_t r) -> std::int64_t {
        if (c < 0 || r < 0 || c >= grid.columns || r >= grid.rows) return -1;
        const std::int32_t h = grid.at(c, r);
        return h < floor ? -1 : h;
    };
    std::uint64_t count = 0;
    for (std::int64_t r = 0; r < grid.rows; ++r) {
        for (std::int64_t c = 0; c < grid.columns; ++c) {
            std::int64_t lowest = top(c, r);
            for (int dr = -1; dr <= 1; ++dr) {
                for (int dc = -1; dc <= 1; ++dc) lowest = std::min(lowest, top(c + dc, r + dr));
            }
            for (std::int64_t z = floor; z <= top(c, r); ++z) count += z == floor || z >= lowest;
        }
    }
    return count;
}

std::uint64_t AllSpheres(const HeightGrid& grid, std::int32_t floor) {
    std::uint64_t count = 0;
    for (std::int32_t h : grid.heights) count += h >= floor ? static_cast<std::uint64_t>(h - floor) + 1 : 0;
    return count;
}

TEST(GridSurvey, ImpostorsHoldExactlyTheOpenSpheres) {
    struct Case {
        std::string name;
        HeightGrid grid;
        std::int32_t floor;
    };
    const std::vector<Case> cases = {
        {"low relief", RandomGrid(23, 19, 0, 4), 0},
        {"holes", RandomGrid(23, 19, 2, 5, 4), 0},
        {"tall", RandomGrid(40, 33, 1000, 3), 0},
        {"tall with a floor", RandomGrid(40, 33, 1000, 3), 1001},
        {"floor above some columns", RandomGrid(16, 16, 10, 8, 6), 14},
        {"floor above all", RandomGrid(8, 8, 10, 3), 20},
        {"the highest heights", RandomGrid(9, 7, 2147483647 - 4, 5), 2147483647 - 10},
    };
    for (const Case& c : cases) {
        PointSurvey survey = SurveyGrid(c.grid);
        ApplyFloor(survey, c.floor);
        EXPECT_EQ(survey.count, AllSpheres(c.grid, c.floor)) << c.name;
        EXPECT_EQ(SphereLayout(survey, true).spheres(), OpenSpheres(c.grid, c.floor)) << c.name;
        EXPECT_EQ(SphereLayout(survey, false).spheres(), AllSpheres(c.grid, c.floor)) << c.name;
    }
}

TEST(GridSurvey, AFloorFramesOnlyWhatIsLeft) {
    PointSurvey survey = SurveyGrid(GridOf({{5000, 5003}, {4990, 5001}}));
    ApplyFloor(survey, 4995);
    EXPECT_EQ(survey.lowest[2], 4995);
    EXPECT_EQ(survey.highest[2], 5003);
    EXPECT_EQ(survey.columns.top[survey.columns.CellOf(0, 1)], HeightGrid::emptyCell);
}

TEST(ColourRange, AutoSpansTheTopSurfaceNotItsOutliers) {
    HeightGrid grid = RandomGrid(30, 30, 5000, 3);
    grid.heights[17] = 9000;
    grid.heights[400] = 0;
    const PointSurvey survey = SurveyGrid(grid);
    DisplayOptions options;
    const ColourRange whole = ColoursOf(options, survey);
    EXPECT_EQ(whole.lowest, 0);
    EXPECT_EQ(whole.highest, 9000);
    options.colourRangeAuto = true;
    const ColourRange top = ColoursOf(options, survey);
    EXPECT_EQ(top.lowest, 5000);
    EXPECT_EQ(top.highest, 5002);
    // A flat top still spans a level, so the colours have a range to run over.
    options.colourRangeAuto = true;
    const ColourRange flat = ColoursOf(options, SurveyGrid(RandomGrid(5, 5, 7, 1)));
    EXPECT_EQ(flat.lowest, 7);
    EXPECT_EQ(flat.highest, 8);
}

}  // namespace
