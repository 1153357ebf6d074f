// Framing a grid: every corner of its box must land inside the part of the
// picture it is fitted to, centred there and filling it to the margin in
// width or height, and between the clipping planes, for grids small and
// large, flat and tall, pictures wide and tall; a grid's hull must hold
// every sphere.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "camera/camera_fit.h"
#include "height_grids.h"
#include "survey/point_survey.h"

namespace {

struct Projected {
    double x, y;   // -1..1 across the view
    double depth;  // distance in front of the eye
};

// Where `p` lands for an eye at `eye` looking at `centre` with z up.
Projected Project(const Point3& p, const Point3& eye, const Point3& centre, double fovy, double aspect) {
    auto minus = [](const Point3& a, const Point3& b) { return Point3{a[0] - b[0], a[1] - b[1], a[2] - b[2]}; };
    auto dot = [](const Point3& a, const Point3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; };
    auto unit = [&](const Point3& v) {
        const double n = std::sqrt(dot(v, v));
        return Point3{v[0] / n, v[1] / n, v[2] / n};
    };
    const Point3 forward = unit(minus(centre, eye));
    const Point3 side = unit({forward[1], -forward[0], 0});  // forward x (0, 0, 1)
    const Point3 up = {side[1] * forward[2] - side[2] * forward[1], side[2] * forward[0] - side[0] * forward[2],
                       side[0] * forward[1] - side[1] * forward[0]};
    const Point3 r = minus(p, eye);
    const double depth = dot(r, forward);
    const double t = std::tan(fovy * M_PI / 360.0);
    return {dot(r, side) / (depth * t * aspect), dot(r, up) / (depth * t), depth};
}

Point3 Eye(const OrbitCamera& c) {
    return {c.centre[0] + c.distance * std::sin(c.phi) * std::cos(c.theta),
            c.centre[1] + c.distance * std::sin(c.phi) * std::sin(c.theta), c.centre[2] + c.distance * std::cos(c.phi)};
}

std::vector<Point3> BoxCorners(const Bounds& box) {
    std::vector<Point3> corners;
    for (int i = 0; i < 8; ++i) {
        corners.push_back({i & 1 ? box.highest[0] : box.lowest[0], i & 2 ? box.highest[1] : box.lowest[1],
                           i & 4 ? box.highest[2] : box.lowest[2]});
    }
    return corners;
}

// The extent of `points` in the view, from -1 to 1 across.
struct Extent {
    double left = HUGE_VAL, right = -HUGE_VAL, bottom = HUGE_VAL, top = -HUGE_VAL;
    double nearest = HUGE_VAL, farthest = 0;
};

Extent Seen(const std::vector<Point3>& points, const OrbitCamera& camera, double fovy, double aspect) {
    Extent e;
    for (const Point3& p : points) {
        const Projected q = Project(p, Eye(camera), camera.centre, fovy, aspect);
        e.left = std::min(e.left, q.x);
        e.right = std::max(e.right, q.x);
        e.bottom = std::min(e.bottom, q.y);
        e.top = std::max(e.top, q.y);
        e.nearest = std::min(e.nearest, q.depth);
        e.farthest = std::max(e.farthest, q.depth);
    }
    return e;
}

TEST(CameraFit, BoxCentredInItsAreaFillingItInWidthOrHeight) {
    const double fovy = 40;
    const struct {
        const char* name;
        ScreenRect area;
    } areas[] = {{"whole", {}}, {"left of a legend", {0, 0, 0.8, 1}}, {"above a bar", {0, 0.2, 1, 1}},
                 {"off centre", {0.1, 0.3, 0.55, 0.9}}};
    const struct {
        double theta, phi;
    } angles[] = {{5 * M_PI / 4, M_PI / 4}, {0.3, 1.2}, {2.0, 0.05}};
    for (const auto& area : areas) {
        for (double aspect : {800.0 / 600.0, 1920.0 / 1080.0, 600.0 / 900.0}) {
            for (const auto& angle : angles) {
                for (int size : {1, 7, 344, 2048}) {
                    for (int height : {0, 20, 200}) {
                        SCOPED_TRACE(std::string(area.name) + ", aspect " + std::to_string(aspect) + ", theta " +
                                     std::to_string(angle.theta) + ", " + std::to_string(size) + " cells, heights to " +
                                     std::to_string(height));
                        Bounds box;
                        box.empty = false;
                        box.lowest = {-0.75, -0.75, -0.75};
                        box.highest = {size - 1 + 0.75, size - 1 + 0.75, height + 0.75};
                        const std::vector<Point3> corners = BoxCorners(box);
                        const OrbitCamera start{{1, 2, 3}, 30, angle.theta, angle.phi};
                        const OrbitCamera camera = FittedCamera(start, corners, fovy, aspect, area.area);
                        EXPECT_EQ(camera.theta, start.theta);
                        EXPECT_EQ(camera.phi, start.phi);
                        const Extent e = Seen(corners, camera, fovy, aspect);
                        // The area from -1 to 1, and the room the margin leaves.
                        const double left = 2 * area.area.left - 1, right = 2 * area.area.right - 1;
                        const double bottom = 2 * area.area.bottom - 1, top = 2 * area.area.top - 1;
                        const double width = (right - left) * (1 - fitMargin), height2 = (top - bottom) * (1 - fitMargin);
                        const double tolerance = 1e-9;
                        EXPECT_NEAR((e.left + e.right) / 2, (left + right) / 2, tolerance);
                        EXPECT_NEAR((e.bottom + e.top) / 2, (bottom + top) / 2, tolerance);
                        EXPECT_LE(e.right - e.left, width + tolerance);
                        EXPECT_LE(e.top - e.bottom, height2 + tolerance);
                        const bool fillsWidth = std::fabs(e.right - e.left - width) < tolerance;
                        const bool fillsHeight = std::fabs(e.top - e.bottom - height2) < tolerance;
                        EXPECT_TRUE(fillsWidth || fillsHeight) << e.right - e.left << " of " << width << ", "
                                                               << e.top - e.bottom << " of " << height2;
                        const ClipPlanes planes = ClipPlanesFor(box, Eye(camera), camera.centre);
                        EXPECT_GT(e.nearest, planes.nearPlane);
                        EXPECT_LT(e.farthest, planes.farPlane);
                        EXPECT_LE(planes.farPlane / planes.nearPlane, 4096.0);
                    }
                }
            }
        }
    }
}

// A grid's hull: fitted to it, every sphere (its box of the radius about
// each column's top and foot) lands within the area, and a terrain lower at
// the back than its box fills the area more than its box would.
TEST(CameraFit, GridHullHoldsEverySphereAndFitsCloserThanTheBox) {
    const double fovy = 40, aspect = 1920.0 / 1080.0, radius = 0.6;
    const ScreenRect area{0.05, 0.1, 0.8, 0.95};
    std::vector<std::int32_t> slope;
    for (int row = 0; row < 60; ++row) {
        for (int column = 0; column < 45; ++column) slope.push_back(row < 30 ? 2 : 40 - row / 2);
    }
    HeightGrid sloped;
    sloped.columns = 45;
    sloped.rows = 60;
    sloped.heights = slope;
    const struct {
        const char* name;
        HeightGrid grid;
        std::int32_t floor;
    } grids[] = {{"random with holes", RandomGrid(37, 23, 3, 9, 5), 0},
                 {"random above a floor", RandomGrid(50, 50, 0, 12), 6},
                 {"one column", GridOf({{4}}), 0},
                 {"sloped", sloped, 0}};
    for (const auto& g : grids) {
        SCOPED_TRACE(g.name);
        PointSurvey survey = SurveyGrid(g.grid);
        if (g.floor > 0) ApplyFloor(survey, g.floor);
        const OrbitCamera start{{0, 0, 0}, 30, 5 * M_PI / 4, M_PI / 4};
        const OrbitCamera camera = FittedCamera(start, SphereHull(survey, radius), fovy, aspect, area);
        std::vector<Point3> spheres;
        const ColumnTable& columns = survey.columns;
        for (std::int64_t y = 1; y + 1 < columns.depth; ++y) {
            for (std::int64_t x = 1; x + 1 < columns.width; ++x) {
                const std::int32_t top = columns.top[static_cast<std::size_t>(y * columns.width + x)];
                if (top < 0) continue;
                const double cx = static_cast<double>(columns.lowestX + x - 1), cy = static_cast<double>(columns.lowestY + y - 1);
                for (const double z : {static_cast<double>(top), survey.lowest[2]}) {
                    Bounds sphere;
                    sphere.empty = false;
                    sphere.lowest = {cx - radius, cy - radius, z - radius};
                    sphere.highest = {cx + radius, cy + radius, z + radius};
                    for (const Point3& corner : BoxCorners(sphere)) spheres.push_back(corner);
                }
            }
        }
        ASSERT_FALSE(spheres.empty());
        const Extent e = Seen(spheres, camera, fovy, aspect);
        EXPECT_GE(e.left, 2 * area.left - 1 - 1e-9);
        EXPECT_LE(e.right, 2 * area.right - 1 + 1e-9);
        EXPECT_GE(e.bottom, 2 * area.bottom - 1 - 1e-9);
        EXPECT_LE(e.top, 2 * area.top - 1 + 1e-9);
        const OrbitCamera boxed = FittedCamera(start, BoxCorners(SphereBounds(survey, radius)), fovy, aspect, area);
        EXPECT_LE(camera.distance, boxed.distance * (1 + 1e-9));
        if (std::string(g.name) == "sloped") {
            EXPECT_LT(camera.distance, 0.95 * boxed.distance);
        }
    }
}

TEST(CameraFit, NothingToFitKeepsTheCamera) {
    const OrbitCamera start{{1, 2, 3}, 30, 1, 1};
    const OrbitCamera none = FittedCamera(start, {}, 40, 1.5);
    EXPECT_EQ(none.distance, start.distance);
    EXPECT_EQ(none.centre, start.centre);
    const OrbitCamera point = FittedCamera(start, {{5, 6, 7}, {5, 6, 7}}, 40, 1.5);
    EXPECT_EQ(point.distance, start.distance);
    EXPECT_EQ(point.centre, (Point3{5, 6, 7}));
    EXPECT_TRUE(SphereHull(PointSurvey{}, 0.75).empty());
}

}  // namespace
