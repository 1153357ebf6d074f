#include "camera/camera_fit.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

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

OrbitCamera FittedCamera(OrbitCamera camera, const Bounds& box, double fovyDegrees, double aspect) {
    if (box.empty) return camera;
    camera.centre = box.middle();
    camera.distance = FitDistance(box, camera.theta, camera.phi, fovyDegrees, aspect, fitMargin);
    return camera;
}

double FitDistance(const Bounds& box, double theta, double phi, double fovyDegrees, double aspect, double margin) {
    // The eye looks back along `toEye`; `side` and `upward` span the screen.
    const Point3 toEye = {std::sin(phi) * std::cos(theta), std::sin(phi) * std::sin(theta), std::cos(phi)};
    const Point3 side = Normalised(Cross({-toEye[0], -toEye[1], -toEye[2]}, {0, 0, 1}));
    const Point3 upward = Cross(side, {-toEye[0], -toEye[1], -toEye[2]});
    const double halfHeight = std::tan(fovyDegrees * M_PI / 360.0) * (1 - margin);
    const double halfWidth = halfHeight * aspect;
    const Point3 middle = box.middle();
    // A corner r from the middle, at depth d - r.toEye in front of the eye,
    // is inside the view when |r.side| <= halfWidth * depth, and likewise
    // upward; each corner thus sets a least distance.
    double distance = 0;
    for (const Point3& corner : Corners(box)) {
        const Point3 r = Minus(corner, middle);
        const double towardsEye = Dot(r, toEye);
        distance = std::max({distance, towardsEye + std::fabs(Dot(r, side)) / halfWidth,
                             towardsEye + std::fabs(Dot(r, upward)) / halfHeight});
    }
    return distance;
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
