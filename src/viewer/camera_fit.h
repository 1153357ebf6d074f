// Framing the whole point set: "display/fit-view".
#pragma once

#include <array>

class SurfData;

using Point3 = std::array<double, 3>;

// The box that holds every sphere: the points' extent grown by the radius.
struct Bounds {
    Point3 lowest{};
    Point3 highest{};
    bool empty = true;

    Point3 middle() const;
};

Bounds SphereBounds(const SurfData& points, double radius);

// How far from the box's middle an eye at azimuth `theta` and polar angle
// `phi` must be for the whole box to fit in a view of `fovyDegrees` and
// `aspect`, keeping `margin` (a share of the half-width, say 0.05) free at
// every edge.
double FitDistance(const Bounds& box, double theta, double phi, double fovyDegrees, double aspect, double margin);

struct ClipPlanes {
    double nearPlane;
    double farPlane;
};

// Near and far planes for an eye at `eye` looking at `centre` that hold the
// whole box between them, as tight as the box allows so the depth buffer
// keeps its precision. When the eye is inside or beside the box the near
// plane stays at a fixed share of the far one.
ClipPlanes ClipPlanesFor(const Bounds& box, const Point3& eye, const Point3& centre);
