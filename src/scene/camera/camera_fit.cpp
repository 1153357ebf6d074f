#include "camera/camera_fit.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "survey/point_survey.h"

namespace {

std::array<Point3, 8> Corners(const Bounds& box) {
    std::array<Point3, 8> corners;
    for (std::size_t i = 0; i < 8; ++i) {
        corners[i] = {(i & 1) ? box.highest[0] : box.lowest[0], (i & 2) ? box.highest[1] : box.lowest[1],
                      (i & 4) ? box.highest[2] : box.lowest[2]};
    }
    return corners;
}

// The hull of a grid follows its shape in at most this many blocks along
// each side.
const std::int64_t hullBlocks = 16;

// Depth precision: the far plane is at most this many times the near one.
const double farToNearLimit = 4096;

}  // namespace

Point3 Bounds::middle() const {
    return {(lowest[0] + highest[0]) / 2, (lowest[1] + highest[1]) / 2, (lowest[2] + highest[2]) / 2};
}

Bounds SphereBounds(const PointSurvey& survey, double radius) {
    Bounds box;
    if (survey.empty()) return box;
    box.empty = false;
    const double grow = std::fabs(radius);
    for (std::size_t axis = 0; axis < 3; ++axis) {
        box.lowest[axis] = survey.lowest[axis] - grow;
        box.highest[axis] = survey.highest[axis] + grow;
    }
    return box;
}

namespace {

// The screen's axes for an eye at azimuth `theta` and polar angle `phi`,
// as the look-at with +z up makes them.
struct ViewAxes {
    Point3 toEye, side, upward;
};

ViewAxes AxesFor(double theta, double phi) {
    ViewAxes axes;
    axes.toEye = {std::sin(phi) * std::cos(theta), std::sin(phi) * std::sin(theta), std::cos(phi)};
    const Point3 forward = Scaled(axes.toEye, -1);
    axes.side = Normalised(Cross(forward, {0, 0, 1}));
    axes.upward = Cross(axes.side, forward);
    return axes;
}

// A corner of the box seen along one screen axis: how far it lies across
// (from the box's middle, along the axis) and towards the eye.
struct SeenCorner {
    double across = 0, towardsEye = 0;
};
using SeenCorners = std::vector<SeenCorner>;

SeenCorners Seen(const std::vector<Point3>& hull, const Point3& middle, const Point3& axis, const Point3& toEye) {
    SeenCorners seen;
    seen.reserve(hull.size());
    for (const Point3& point : hull) {
        const Point3 r = Minus(point, middle);
        seen.push_back({Dot(r, axis), Dot(r, toEye)});
    }
    return seen;
}

// Where the corners land along the axis, as the tangent of their angle off
// the view's axis, for an eye `distance` from the middle, its look-at point
// moved `shift` along the axis.
struct Spread {
    double low = HUGE_VAL, high = -HUGE_VAL;
};

Spread SpreadAt(const SeenCorners& corners, double distance, double shift) {
    Spread spread;
    for (const SeenCorner& c : corners) {
        const double at = (c.across - shift) / (distance - c.towardsEye);
        spread.low = std::min(spread.low, at);
        spread.high = std::max(spread.high, at);
    }
    return spread;
}

// Halving an interval this often leaves it as narrow as doubles allow
// (each halving stops sooner once its ends are neighbouring doubles).
const int halvings = 200;

// The shift that centres the corners on `target`. Every corner's place
// falls as the shift grows, so the middle of the lowest and highest does
// too: halving finds it between a shift that puts every corner at or past
// the target and one that puts every corner at or before it.
double CentringShift(const SeenCorners& corners, double distance, double target) {
    double low = HUGE_VAL, high = -HUGE_VAL;
    for (const SeenCorner& c : corners) {
        const double putHere = c.across - target * (distance - c.towardsEye);
        low = std::min(low, putHere);
        high = std::max(high, putHere);
    }
    for (int i = 0; i < halvings && low < high; ++i) {
        const double mid = low + (high - low) / 2;
        if (mid <= low || mid >= high) break;
        const Spread spread = SpreadAt(corners, distance, mid);
        ((spread.low + spread.high) / 2 > target ? low : high) = mid;
    }
    return low + (high - low) / 2;
}

// One screen axis of the fit: the corners along it, and the middle and
// half-size of the area they are to fill, in tangents.
struct FitAxis {
    SeenCorners corners;
    double middle = 0, half = 0;
};

// How many times the centred corners overfill the area, the worse axis.
double Overfill(const std::array<FitAxis, 2>& axes, double distance) {
    double worst = 0;
    for (const FitAxis& axis : axes) {
        const Spread spread = SpreadAt(axis.corners, distance, CentringShift(axis.corners, distance, axis.middle));
        worst = std::max(worst, (spread.high - spread.low) / (2 * axis.half));
    }
    return worst;
}

}  // namespace

std::vector<Point3> SphereHull(const PointSurvey& survey, double radius) {
    const Bounds box = SphereBounds(survey, radius);
    if (box.empty) return {};
    const std::array<Point3, 8> corners = Corners(box);
    const ColumnTable& columns = survey.columns;
    if (columns.empty() || columns.width < 3 || columns.depth < 3) return {corners.begin(), corners.end()};
    // The table's border is empty; its inner columns go in blocks, at most
    // hullBlocks of them along each side.
    const std::int64_t inner = std::max(columns.width, columns.depth) - 2;
    const std::int64_t side = std::max<std::int64_t>(1, (inner + hullBlocks - 1) / hullBlocks);
    const double grow = std::fabs(radius);
    std::vector<Point3> hull;
    for (std::int64_t y0 = 1; y0 < columns.depth - 1; y0 += side) {
        for (std::int64_t x0 = 1; x0 < columns.width - 1; x0 += side) {
            std::int32_t top = -1;
            std::int64_t xLow = -1, xHigh = -1, yLow = -1, yHigh = -1;
            for (std::int64_t y = y0; y < std::min(y0 + side, columns.depth - 1); ++y) {
                for (std::int64_t x = x0; x < std::min(x0 + side, columns.width - 1); ++x) {
                    const std::int32_t level = columns.top[static_cast<std::size_t>(y * columns.width + x)];
                    if (level < 0) continue;
                    top = std::max(top, level);
                    xLow = xLow < 0 ? x : std::min(xLow, x);
                    xHigh = std::max(xHigh, x);
                    yLow = yLow < 0 ? y : std::min(yLow, y);
                    yHigh = std::max(yHigh, y);
                }
            }
            if (top < 0) continue;
            Bounds block;
            block.lowest = {static_cast<double>(columns.lowestX + xLow - 1) - grow,
                            static_cast<double>(columns.lowestY + yLow - 1) - grow, box.lowest[2]};
            block.highest = {static_cast<double>(columns.lowestX + xHigh - 1) + grow,
                             static_cast<double>(columns.lowestY + yHigh - 1) + grow,
                             std::min(static_cast<double>(top) + grow, box.highest[2])};
            for (const Point3& corner : Corners(block)) hull.push_back(corner);
        }
    }
    if (hull.empty()) return {corners.begin(), corners.end()};
    return hull;
}

OrbitCamera FittedCamera(OrbitCamera camera, const std::vector<Point3>& hull, double fovyDegrees, double aspect,
                         const ScreenRect& area) {
    if (hull.empty()) return camera;
    Bounds box;
    box.empty = false;
    box.lowest = box.highest = hull.front();
    for (const Point3& point : hull) {
        for (std::size_t axis = 0; axis < 3; ++axis) {
            box.lowest[axis] = std::min(box.lowest[axis], point[axis]);
            box.highest[axis] = std::max(box.highest[axis], point[axis]);
        }
    }
    const Point3 middle = box.middle();
    camera.centre = middle;
    const double size = std::sqrt(Dot(Minus(box.highest, box.lowest), Minus(box.highest, box.lowest)));
    if (!(size > 0) || !std::isfinite(size)) return camera;

    const ViewAxes view = AxesFor(camera.theta, camera.phi);
    const double tangent = std::tan(fovyDegrees * M_PI / 360.0);
    // A share of the picture is twice that of the view's -1 to 1 across.
    std::array<FitAxis, 2> axes;
    axes[0].corners = Seen(hull, middle, view.side, view.toEye);
    axes[0].middle = (area.left + area.right - 1) * tangent * aspect;
    axes[0].half = (area.right - area.left) * (1 - fitMargin) * tangent * aspect;
    axes[1].corners = Seen(hull, middle, view.upward, view.toEye);
    axes[1].middle = (area.bottom + area.top - 1) * tangent;
    axes[1].half = (area.top - area.bottom) * (1 - fitMargin) * tangent;
    if (!(axes[0].half > 0) || !(axes[1].half > 0)) return camera;

    // Just past the nearest corner the picture is endlessly large, and far
    // enough away it fits: halve between the two.
    double nearest = 0;
    for (const SeenCorner& c : axes[0].corners) nearest = std::max(nearest, c.towardsEye);
    double near = nearest, far = nearest + size;
    for (int i = 0; i < halvings && Overfill(axes, far) > 1; ++i) {
        near = far;
        far = nearest + (far - nearest) * 2;
    }
    for (int i = 0; i < halvings; ++i) {
        const double mid = near + (far - near) / 2;
        if (mid <= near || mid >= far) break;
        (Overfill(axes, mid) > 1 ? near : far) = mid;
    }
    camera.distance = far;
    camera.centre = Plus(middle, Plus(Scaled(view.side, CentringShift(axes[0].corners, far, axes[0].middle)),
                                      Scaled(view.upward, CentringShift(axes[1].corners, far, axes[1].middle))));
    return camera;
}

double SeenAspect(const Bounds& box, double theta, double phi) {
    if (box.empty) return 1;
    const ViewAxes view = AxesFor(theta, phi);
    const Point3 middle = box.middle();
    double wide = 0, high = 0;
    for (const Point3& corner : Corners(box)) {
        const Point3 r = Minus(corner, middle);
        wide = std::max(wide, std::fabs(Dot(r, view.side)));
        high = std::max(high, std::fabs(Dot(r, view.upward)));
    }
    if (!(wide > 0)) return 1;
    return high > 0 ? wide / high : 1e6;
}

ClipPlanes ClipPlanesFor(const Bounds& box, const Point3& eye, const Point3& centre) {
    const Point3 forward = Normalised(Minus(centre, eye));
    double nearest = HUGE_VAL, farthest = 0;
    for (const Point3& corner : Corners(box)) {
        const double depth = Dot(Minus(corner, eye), forward);
        nearest = std::min(nearest, depth);
        farthest = std::max(farthest, depth);
    }
    // A little room on both sides, so a surface exactly on the box's edge is
    // not clipped by rounding.
    const double farPlane = std::max(farthest * 1.01, 1e-3);
    const double nearPlane = std::max(nearest * 0.99, farPlane / farToNearLimit);
    return {nearPlane, farPlane};
}

Projection ProjectionHolding(Projection projection, const Bounds& box, const Point3& eye, const Point3& centre) {
    if (box.empty) return projection;
    const ClipPlanes planes = ClipPlanesFor(box, eye, centre);
    projection.nearPlane = static_cast<float>(planes.nearPlane);
    projection.farPlane = static_cast<float>(planes.farPlane);
    return projection;
}
