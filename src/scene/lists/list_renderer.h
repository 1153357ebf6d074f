// The display-list renderer: one sphere list, and a scene list that calls it
// once per point, translated there. A frame costs one call of the scene list.
#pragma once

#include <cstddef>

#include "lists/sphere_mesh.h"
#include "survey/point_view.h"

struct DisplayOptions;
struct PointSurvey;

// The sphere call's cost grows with the square of the tessellation, and the
// configuration may ask for any int: the value handed to the sphere call is
// capped at this.
constexpr int sphereTeselCap = 64;

class ListRenderer {
public:
    explicit ListRenderer(SphereDrawer drawSphere) : drawSphere_(drawSphere) {}

    // Compiles a new sphere list and a new scene list for the points, and
    // releases the previous pair, which nothing refers to any more. With
    // cull-hidden the spheres enclosed by their neighbours are left out;
    // with colours by height the spheres are grouped by level so the
    // material changes once per level.
    void Build(const PointView& points, const PointSurvey& survey, double radius, int tesel,
               const DisplayOptions& options);

    void Draw() const;

    // The lists of the latest build; the scene list is the sphere list + 1.
    unsigned sphereList() const { return sphereList_; }
    unsigned sceneList() const { return sphereList_ + 1; }
    // Spheres the latest scene list draws, and how many builds there were.
    std::size_t spheres() const { return spheres_; }
    std::size_t builds() const { return builds_; }

private:
    SphereDrawer drawSphere_;
    unsigned sphereList_ = 0;
    std::size_t spheres_ = 0;
    std::size_t builds_ = 0;
};
