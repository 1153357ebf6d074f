// Framing the whole point set ("display/fit-view"), and clipping planes that
// hold it wherever the eye goes.
#pragma once

#include <vector>

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

// Points whose hull holds every sphere, for framing. For a point set of
// columns the corners of boxes over blocks of columns, at most 16 along
// each side, each as tall as its tallest column, so a fit follows the
// terrain's shape rather than its box; otherwise the box's corners. None
// for no points.
std::vector<Point3> SphereHull(const PointSurvey& survey, double radius);

// The share of the half-width (or half-height) kept free at each edge of a
// fitted view.
constexpr double fitMargin = 0.05;

// A part of the picture in shares of its width and height from its bottom
// left corner; by default the whole picture.
struct ScreenRect {
    double left = 0, bottom = 0, right = 1, top = 1;
};

// `camera` with its angles kept, its look-at point moved across the view
// and its distance chosen so that the points of `hull`, seen in a view of
// `fovyDegrees` and `aspect`, lie centred in `area` and fill it to
// `fitMargin` (a share of the area's half-width or half-height at each
// edge) in width or in height, whichever is reached first. No points keep
// the camera; points all in one place are only looked at.
OrbitCamera FittedCamera(OrbitCamera camera, const std::vector<Point3>& hull, double fovyDegrees, double aspect,
                         const ScreenRect& area = {});

// The box's width over its height as seen from azimuth `theta` and polar
// angle `phi` from far away: the shape of picture it fills best. Large for
// a box seen edge on, 1 for an empty one.
double SeenAspect(const Bounds& box, double theta, double phi);

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
