#include "viewer_cull.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "surf_data.h"

namespace {

using Vec3 = std::array<double, 3>;

Vec3 Sub(const Vec3& a, const Vec3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Vec3 Cross(const Vec3& a, const Vec3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double Dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// Whether `q` lies on the inner side of the plane through a, b, c, by at
// least `margin`. A degenerate triangle (at a pole) says nothing.
bool InsidePlane(const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& q, double margin) {
    Vec3 normal = Cross(Sub(b, a), Sub(c, a));
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

std::vector<bool> EnclosedPoints(const SurfData& points, double radius, int tesel) {
    if (!NeighboursEncloseSphere(radius, tesel)) return {};
    return SurroundedPoints(points);
}

std::vector<bool> SurroundedPoints(const SurfData& points) {
    const std::size_t count = points.x.size();
    if (count == 0) return {};

    // The columns' bounding box, for a table of column tops.
    const double limit = 1 << 24;
    double minX = points.x[0], maxX = minX, minY = points.y[0], maxY = minY;
    for (std::size_t i = 0; i < count; ++i) {
        const double x = points.x[i], y = points.y[i], z = points.z[i];
        if (!(std::fabs(x) < limit && std::fabs(y) < limit && std::fabs(z) < limit) || x != std::floor(x) ||
            y != std::floor(y) || z != std::floor(z)) {
            return {};
        }
        minX = std::min(minX, x), maxX = std::max(maxX, x);
        minY = std::min(minY, y), maxY = std::max(maxY, y);
    }
    // One more column on every side, always empty, spares bounds checks.
    const std::int64_t width = static_cast<std::int64_t>(maxX - minX) + 3;
    const std::int64_t depth = static_cast<std::int64_t>(maxY - minY) + 3;
    if (width * depth > 16 * static_cast<std::int64_t>(count) + 1024) return {};
    auto column = [&](std::size_t i) {
        return static_cast<std::size_t>((static_cast<std::int64_t>(points.y[i] - minY) + 1) * width +
                                        static_cast<std::int64_t>(points.x[i] - minX) + 1);
    };

    // Each column must be one run of levels 0, 1, ..., h; then a level is
    // present exactly when it is between 0 and the column's top.
    std::vector<std::int32_t> top(static_cast<std::size_t>(width * depth), -1);
    for (std::size_t i = 0; i < count;) {
        const std::size_t cell = column(i);
        if (top[cell] != -1) return {};
        std::int32_t level = 0;
        for (; i < count && column(i) == cell; ++i, ++level) {
            if (points.z[i] != level) return {};
        }
        top[cell] = level - 1;
    }

    // Levels 1 .. m-1 of a column are enclosed, m being the lowest top among
    // it and its eight neighbours: the levels below, at and above are there.
    // Level 0 never is: nothing lies below the ground layer.
    std::vector<bool> enclosed(count, false);
    for (std::size_t i = 0; i < count;) {
        const std::size_t cell = column(i);
        std::int32_t lowest = std::numeric_limits<std::int32_t>::max();
        for (std::int64_t dy = -1; dy <= 1; ++dy) {
            for (std::int64_t dx = -1; dx <= 1; ++dx) {
                lowest = std::min(lowest, top[static_cast<std::size_t>(static_cast<std::int64_t>(cell) + dy * width + dx)]);
            }
        }
        for (std::int32_t level = 0; i < count && column(i) == cell; ++i, ++level) {
            enclosed[i] = level >= 1 && level <= lowest - 1;
        }
    }
    return enclosed;
}
