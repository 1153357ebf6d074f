// What is under a pixel of the picture: the ray from the eye through the
// pixel's centre, and the first sphere it meets, found by walking the ray
// across the columns of the surface rather than by reading a picture back.
// No OpenGL; the same camera values the renderers draw with.
#pragma once

#include <cstdint>

#include "camera/frame_view.h"
#include "survey/point_survey.h"
#include "survey/point_view.h"
#include "vec3.h"

// The points origin + t * direction. The direction's part along the view
// axis is 1, so t is the depth in front of the eye that the clipping planes
// are measured in; the ray is what lies between them.
struct PixelRay {
    Point3 origin{};
    Point3 direction{};
    double nearest = 0;
    double farthest = 0;
};

// The ray through the centre of pixel (x, y) of the whole picture `view`
// draws, counted from its top left corner as a picture is read.
PixelRay RayThroughPixel(const FrameView& view, int x, int y);

struct SpherePick {
    bool hit = false;
    // The sphere's centre: its column's grid coordinates and its level.
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::int32_t level = 0;
    // Where the ray enters it, and that point's depth in front of the eye.
    Point3 point{};
    double depth = 0;
};

// The first sphere of radius `radius` the ray enters between its planes, of
// those the survey keeps (none below its floor). With the survey's columns
// the walk goes cell by cell along the ray and tests, in each, only the
// levels of the nearby columns the ray passes within `radius` of, so it
// costs the cells along the ray times the levels tested. Without columns
// every point of `points` is tried.
SpherePick FirstSphereOnRay(const PixelRay& ray, const PointSurvey& survey, const PointView& points, double radius);

// The two together: what pixel (x, y) of `view` shows.
SpherePick PickPixel(const FrameView& view, int x, int y, const PointSurvey& survey, const PointView& points,
                     double radius);
