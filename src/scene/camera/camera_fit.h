// Framing the whole point set ("display/fit-view"), and clipping planes that
// hold it wherever the eye goes.
#pragma once

#include "camera/camera.h"
#include "vec3.h"

struct PointSurvey;

// The box that holds every sphere: the points' extent grown by the radius.
struct Bounds {
    Point3 lowest{};
    Point3 highest{};
    bool empty = true;

    Point3 middle() const;
};

Bounds SphereBounds(const PointSurvey& survey, double radius);

// The share of the half-width kept free at each edge of a fitted view.
constexpr double fitMargin = 0.05;

// How far from the box's middle an eye at azimuth `theta` and polar angle
// `phi` must be for the whole box to fit in a view of `fovyDegrees` and
// `aspect`, keeping `margin` (a share of the half-width, say 0.05) free at
// every edge.
double FitDistance(const Bounds& box, double theta, double phi, double fovyDegrees, double aspect, double margin);

// `camera` centred on the box's middle with its angles kept, and backed off
// just far enough for the whole box to be in view. An empty box keeps it.
OrbitCamera FittedCamera(OrbitCamera camera, const Bounds& box, double fovyDegrees, double aspect);

struct ClipPlanes {
    double nearPlane;
    double farPlane;
};

// Near and far planes for an eye at `eye` looking at `centre` that hold the
// whole box between them, as tight as the box allows so the depth buffer
// keeps its precision. When the eye is inside or beside the box the near
// plane stays at a fixed share of the far one.
ClipPlanes ClipPlanesFor(const Bounds& box, const Point3& eye, const Point3& centre);

// `projection` with the planes that hold the box as seen from `eye`; an
// empty box keeps its planes.
Projection ProjectionHolding(Projection projection, const Bounds& box, const Point3& eye, const Point3& centre);
