// Framing a grid: every corner of its box must land inside the window and
// between the clipping planes, for grids small and large, flat and tall.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "camera/camera_fit.h"

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

TEST(CameraFit, WholeBoxInViewAndBetweenThePlanes) {
    const double theta = 5 * M_PI / 4, phi = M_PI / 4, fovy = 40, aspect = 800.0 / 600.0, margin = 0.05;
    for (int size : {1, 2, 7, 64, 344, 1024, 2048}) {
        for (int height : {0, 1, 20, 200}) {
            SCOPED_TRACE(std::to_string(size) + "x" + std::to_string(size) + ", heights to " + std::to_string(height));
            Bounds box;
            box.empty = false;
            box.lowest = {-0.75, -0.75, -0.75};
            box.highest = {size - 1 + 0.75, size - 1 + 0.75, height + 0.75};
            const Point3 centre = box.middle();
            const double distance = FitDistance(box, theta, phi, fovy, aspect, margin);
            const Point3 eye = {centre[0] + distance * std::sin(phi) * std::cos(theta),
                                centre[1] + distance * std::sin(phi) * std::sin(theta),
                                centre[2] + distance * std::cos(phi)};
            const ClipPlanes planes = ClipPlanesFor(box, eye, centre);
            double widest = 0;
            for (int i = 0; i < 8; ++i) {
                const Point3 corner = {i & 1 ? box.highest[0] : box.lowest[0], i & 2 ? box.highest[1] : box.lowest[1],
                                       i & 4 ? box.highest[2] : box.lowest[2]};
                const Projected p = Project(corner, eye, centre, fovy, aspect);
                EXPECT_LE(std::fabs(p.x), 1 - margin + 1e-9) << "corner " << i;
                EXPECT_LE(std::fabs(p.y), 1 - margin + 1e-9) << "corner " << i;
                EXPECT_GT(p.depth, planes.nearPlane) << "corner " << i;
                EXPECT_LT(p.depth, planes.farPlane) << "corner " << i;
                widest = std::fmax(widest, std::fmax(std::fabs(p.x), std::fabs(p.y)));
            }
            // Just large enough: some corner reaches the margin.
            EXPECT_NEAR(widest, 1 - margin, 1e-9);
            EXPECT_LE(planes.farPlane / planes.nearPlane, 4096.0);
        }
    }
}

}  // namespace
