#include "survey/hidden_spheres.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "survey/point_survey.h"
#include "survey/point_view.h"

namespace {

using Vec3 = Point3;

// Whether `q` lies on the inner side of the plane through a, b, c, by at
// least `margin`. A degenerate triangle (at a pole) says nothing.
bool InsidePlane(const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& q, double margin) {
    Vec3 normal = Cross(Minus(b, a), Minus(c, a));
    const double length = std::sqrt(Dot(normal, normal));
    if (length < 1e-12) return true;
    double offset = Dot(normal, a) / length;
    if (offset < 0) offset = -offset, normal = {-normal[0], -normal[1], -normal[2]};
    return Dot(normal, q) / length <= offset - margin;
}

}  // namespace

std::array<double, 3> SphereCorner(double radius, int tesel, int slice, int stack) {
    const double azimuth = 2 * M_PI * slice / tesel;
    const double polar = M_PI * stack / tesel;
    return {radius * std::cos(azimuth) * std::sin(polar), radius * std::sin(azimuth) * std::sin(polar),
            radius * std::cos(polar)};
}

bool NeighboursEncloseSphere(double radius, int tesel) {
    // Below 3 slices the sphere is flat; at 1 or more the sphere pokes out
    // of the cube whose surface the neighbours must cover.
    if (!(radius > 0 && radius < 1) || tesel < 3) return false;
    // The sphere call computes its vertices in single precision; the margin
    // keeps the answer on the safe side of that rounding.
    const double margin = 1e-5 * radius;
    std::array<Vec3, 12> probes;
    std::size_t n = 0;
    for (double s : {-0.5, 0.5}) {
        for (double t : {-0.5, 0.5}) {
            probes[n++] = {s, t, 0};
            probes[n++] = {s, 0, t};
            probes[n++] = {0, s, t};
        }
    }
    // Each band of four ring vertices is planar in exact arithmetic; both of
    // its triangles are tested so the answer holds however it is split. The
    // region inside every face plane lies inside the polyhedron, convex or
    // not, so the test can only err towards keeping spheres.
    for (int stack = 0; stack < tesel; ++stack) {
        for (int slice = 0; slice < tesel; ++slice) {
            const Vec3 a = SphereCorner(radius, tesel, slice, stack);
            const Vec3 b = SphereCorner(radius, tesel, slice + 1, stack);
            const Vec3 c = SphereCorner(radius, tesel, slice + 1, stack + 1);
            const Vec3 d = SphereCorner(radius, tesel, slice, stack + 1);
            for (const Vec3& q : probes) {
                if (!InsidePlane(a, b, c, q, margin) || !InsidePlane(a, c, d, q, margin) ||
                    !InsidePlane(a, b, d, q, margin) || !InsidePlane(b, c, d, q, margin)) {
                    return false;
                }
            }
        }
    }
    return true;
}

bool NeighboursEncloseTrueSphere(double radius) { return radius > std::sqrt(0.5) && radius < 1; }

std::vector<bool> EnclosedPoints(const PointView& points, const PointSurvey& survey, double radius, int tesel) {
    if (!NeighboursEncloseSphere(radius, tesel)) return {};
    return SurroundedPoints(points, survey);
}

std::vector<bool> SurroundedPoints(const PointView& points, const PointSurvey& survey) {
    const ColumnTable& columns = survey.columns;
    if (columns.empty()) return {};
    const std::size_t count = points.count;
    const std::int64_t width = columns.width;
    // Levels 1 .. m-1 of a column are enclosed, m being the lowest top among
    // it and its eight neighbours: the levels below, at and above are there.
    // Level 0 never is: nothing lies below the ground layer.
    std::vector<bool> enclosed(count, false);
    for (std::size_t i = 0; i < count;) {
        const std::size_t cell = columns.CellOf(points.x[i], points.y[i]);
        std::int32_t lowest = std::numeric_limits<std::int32_t>::max();
        for (std::int64_t dy = -1; dy <= 1; ++dy) {
            for (std::int64_t dx = -1; dx <= 1; ++dx) {
                lowest = std::min(lowest, columns.top[static_cast<std::size_t>(static_cast<std::int64_t>(cell) + dy * width + dx)]);
            }
        }
        const std::int32_t top = columns.top[cell];
        for (std::int32_t level = 0; level <= top; ++i, ++level) enclosed[i] = level >= 1 && level <= lowest - 1;
    }
    return enclosed;
}
