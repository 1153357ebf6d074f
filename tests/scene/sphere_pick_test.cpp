// What a pixel shows: the first sphere on the ray through it, found by the
// walk across the columns, against hand-made grids with known answers and
// against every sphere of a small grid tried one by one.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "height_grids.h"
#include "picking/pick_line.h"
#include "picking/sphere_pick.h"
#include "survey/point_survey.h"

namespace {

const double radius = 0.75;

PointSurvey Surveyed(const HeightGrid& grid, std::int32_t floor = 0) {
    PointSurvey survey = SurveyGrid(grid);
    ApplyFloor(survey, floor);
    return survey;
}

PixelRay Ray(const Point3& origin, const Point3& direction) { return {origin, direction, 0.1, 1000}; }

// A peak of 6 at column 2, row 2 of a flat 5 x 5 grid; a pit of 0 in a
// plateau of 3; a low column at x = 0 behind a tall one at x = 3, seen
// along -x.
const HeightGrid peak = GridOf({{0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}, {0, 0, 6, 0, 0}, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}});
const HeightGrid pit = GridOf({{3, 3, 3, 3, 3}, {3, 3, 3, 3, 3}, {3, 3, 0, 3, 3}, {3, 3, 3, 3, 3}, {3, 3, 3, 3, 3}});
const HeightGrid hidden = GridOf({{1, -1, -1, 8, -1}});

struct PickCase {
    const char* name;
    const HeightGrid* grid;
    std::int32_t floor;
    PixelRay ray;
    bool hit;
    std::int64_t x, y;
    std::int32_t level;
};

TEST(SpherePick, FindsTheFirstSphereOnTheRay) {
    const PickCase cases[] = {
        {"peak from above", &peak, 0, Ray({2, 2, 40}, {0, 0, -1}), true, 2, 2, 6},
        {"flat beside the peak", &peak, 0, Ray({0, 4, 40}, {0, 0, -1}), true, 0, 4, 0},
        {"peak's side, level by level", &peak, 0, Ray({20, 2, 4}, {-1, 0, 0}), true, 2, 2, 4},
        {"slanting onto the peak", &peak, 0, Ray({12, 2, 16}, {-1, 0, -1}), true, 2, 2, 6},
        {"pit's floor", &pit, 0, Ray({2, 2, 40}, {0, 0, -1}), true, 2, 2, 0},
        {"pit's rim, slanting", &pit, 0, Ray({2, -8, 11}, {0, 1, -1}), true, 2, 0, 3},
        {"low column hidden behind a tall one", &hidden, 0, Ray({20, 0, 1}, {-1, 0, 0}), true, 3, 0, 1},
        {"low column seen from its own side", &hidden, 0, Ray({-20, 0, 1}, {1, 0, 0}), true, 0, 0, 1},
        {"background: looking away", &peak, 0, Ray({2, 2, 40}, {0, 0, 1}), false, 0, 0, 0},
        {"background: passing by", &peak, 0, Ray({20, 20, 3}, {-1, 1, 0}), false, 0, 0, 0},
        {"floor removes the flat", &peak, 4, Ray({0, 4, 40}, {0, 0, -1}), false, 0, 0, 0},
        {"floor keeps the peak's top", &peak, 4, Ray({2, 2, 40}, {0, 0, -1}), true, 2, 2, 6},
        {"floor removes the peak's foot", &peak, 4, Ray({20, 2, 2}, {-1, 0, 0}), false, 0, 0, 0},
    };
    for (const PickCase& c : cases) {
        SCOPED_TRACE(c.name);
        const SpherePick pick = FirstSphereOnRay(c.ray, Surveyed(*c.grid, c.floor), {}, radius);
        ASSERT_EQ(pick.hit, c.hit);
        if (!c.hit) continue;
        EXPECT_EQ(pick.x, c.x);
        EXPECT_EQ(pick.y, c.y);
        EXPECT_EQ(pick.level, c.level);
    }
}

// Brute force over every sphere: the depth at which the ray enters the
// nearest one, by the sphere's distance from the line, or infinity.
double NearestEntry(const PixelRay& ray, const HeightGrid& grid, std::int32_t floor) {
    const double length = std::sqrt(Dot(ray.direction, ray.direction));
    const Point3 unit = Scaled(ray.direction, 1 / length);
    double nearest = INFINITY;
    for (std::int64_t y = 0; y < grid.rows; ++y) {
        for (std::int64_t x = 0; x < grid.columns; ++x) {
            for (std::int32_t level = floor; level <= grid.at(x, y); ++level) {
                const Point3 toCentre = Minus({double(x), double(y), double(level)}, ray.origin);
                const double along = Dot(toCentre, unit);
                const double apart = Dot(toCentre, toCentre) - along * along;
                if (apart > radius * radius) continue;
                const double depth = (along - std::sqrt(radius * radius - apart)) / length;
                if (depth >= ray.nearest && depth <= ray.farthest) nearest = std::min(nearest, depth);
            }
        }
    }
    return nearest;
}

// Where `point` falls in the picture, in pixels from its top left, through
// the matrices the renderers draw with.
std::array<double, 2> Projected(const FrameView& view, const Point3& point) {
    const Matrix4 m = Multiply(ProjectionMatrix(view), ModelviewMatrix(view));
    double clip[4];
    for (int row = 0; row < 4; ++row) {
        clip[row] = m[row] * point[0] + m[4 + row] * point[1] + m[8 + row] * point[2] + m[12 + row];
    }
    return {(clip[0] / clip[3] + 1) / 2 * view.width, (1 - clip[1] / clip[3]) / 2 * view.height};
}

TEST(SpherePick, EveryPixelAgreesWithEverySphereTriedInTurn) {
    const HeightGrid grid = RandomGrid(7, 5, 0, 5, 6);
    for (std::int32_t floor : {0, 2}) {
        const PointSurvey survey = Surveyed(grid, floor);
        FrameView view;
        view.camera = {{3, 2, 1}, 11, 5 * M_PI / 4 + 0.3, M_PI / 3};
        view.width = 80;
        view.height = 60;
        view.projection = {40.0f, 0.5f, 100.0f};
        int hits = 0;
        for (int py = 0; py < view.height; ++py) {
            for (int px = 0; px < view.width; ++px) {
                SCOPED_TRACE(std::to_string(px) + "," + std::to_string(py) + " floor " + std::to_string(floor));
                const PixelRay ray = RayThroughPixel(view, px, py);
                const SpherePick pick = FirstSphereOnRay(ray, survey, {}, radius);
                const double nearest = NearestEntry(ray, grid, floor);
                ASSERT_EQ(pick.hit, std::isfinite(nearest));
                if (!pick.hit) continue;
                ++hits;
                EXPECT_NEAR(pick.depth, nearest, 1e-9);
                EXPECT_GE(pick.level, floor);
                EXPECT_LE(pick.level, grid.at(pick.x, pick.y));
                const Point3 centre{double(pick.x), double(pick.y), double(pick.level)};
                const Point3 off = Minus(pick.point, centre);
                EXPECT_NEAR(Dot(off, off), radius * radius, 1e-9);
                const auto spot = Projected(view, pick.point);
                EXPECT_NEAR(spot[0], px + 0.5, 1e-6);
                EXPECT_NEAR(spot[1], py + 0.5, 1e-6);
            }
        }
        // Most of the picture is terrain, and some is sky.
        EXPECT_GT(hits, view.width * view.height / 4);
        EXPECT_LT(hits, view.width * view.height);
    }
}

struct LineCase {
    const char* name;
    SpherePick pick;
    PickTerms terms;
    const char* line;
};

TEST(PickLine, NamesTheCellAsTheFileCountsIt) {
    const SpherePick found{true, 3, 1, 6, {}, 0};
    const std::array<double, 2> corner{291230.25, 5501256.75};
    const std::array<double, 2> cells{30, 15};
    // 30 arc-seconds, from 5.85 east and 49.5125 south.
    const std::array<double, 2> degrees{5.85, -49.5125};
    const std::array<double, 2> arcSeconds{1 / 120.0, 1 / 120.0};
    const LineCase cases[] = {
        {"background", {}, {}, "pick 7,9: background"},
        {"rows from the first line", found, {4, false, 0, 0, 0, {}, {}, ""}, "pick 7,9: column 4, row 2, level 6"},
        {"rows from the north", found, {4, true, 0, 0, 0, {}, {}, ""}, "pick 7,9: column 4, row 3, level 6"},
        {"height in metres", found, {4, false, 2.5, 100, 0, {}, {}, ""}, "pick 7,9: column 4, row 2, level 6, 115 m"},
        {"below level 0's metres", found, {4, false, 0.125, -10, 0, {}, {}, ""},
         "pick 7,9: column 4, row 2, level 6, -9.25 m"},
        {"ground position", found, {4, false, 0, 0, 30, {}, {}, ""},
         "pick 7,9: column 4, row 2, level 6, 105 m east, 45 m north of the grid's corner"},
        // The cell's centre on the map: column 3 and row 1 from 0, half a
        // cell in from the corner.
        {"map position in metres", found, {4, false, 0, 0, 30, corner, cells, "EPSG:32631"},
         "pick 7,9: column 4, row 2, level 6, 105 m east, 45 m north of the grid's corner, "
         "at 291335.25 5501279.25 (EPSG:32631)"},
        {"map position without a name", found, {4, false, 0, 0, 0, corner, cells, ""},
         "pick 7,9: column 4, row 2, level 6, at 291335.25 5501279.25"},
        {"degrees to six decimals", found, {4, false, 0, 0, 0, degrees, arcSeconds, "EPSG:4326"},
         "pick 7,9: column 4, row 2, level 6, at 5.879167 -49.5 (EPSG:4326)"},
        {"origin alone", found, {4, false, 0, 0, 0, corner, {}, "EPSG:32631"}, "pick 7,9: column 4, row 2, level 6"},
        {"cell size alone", found, {4, false, 0, 0, 0, {}, cells, "EPSG:32631"}, "pick 7,9: column 4, row 2, level 6"},
        {"a name that would move the cursor", found, {4, false, 0, 0, 0, corner, cells, "grid\x1b[2J"},
         "pick 7,9: column 4, row 2, level 6, at 291335.25 5501279.25 (grid\\x1b[2J)"},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PickLine(7, 9, c.pick, c.terms), c.line);
    }
}

}  // namespace
