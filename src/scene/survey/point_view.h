// The point set a scene draws, seen as its three coordinate arrays: the
// viewer's SurfData, or a frame of a series read in the background. The
// arrays are not owned and must outlive the view's use.
#pragma once

#include <cstddef>
#include <vector>

#include "surf_data.h"

struct PointView {
    const double* x = nullptr;
    const double* y = nullptr;
    const double* z = nullptr;
    std::size_t count = 0;

    PointView() = default;
    PointView(const std::vector<double>& xs, const std::vector<double>& ys, const std::vector<double>& zs)
        : x(xs.data()), y(ys.data()), z(zs.data()), count(xs.size()) {}
    // The arrays of a loaded point set.
    PointView(const SurfData& points) : PointView(points.x, points.y, points.z) {}  // NOLINT: a view of it

    bool operator==(const PointView& o) const { return x == o.x && y == o.y && z == o.z && count == o.count; }
    bool operator!=(const PointView& o) const { return !(*this == o); }
};
