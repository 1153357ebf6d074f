// Which spheres of the scene no camera outside the solid can see.
//
// Every sphere is the same faceted polyhedron: the sphere call's vertices lie
// on the true sphere, so its faces sit inside it. A sphere at a grid point
// whose 26 neighbours (offsets in {-1,0,1}^3) are all present is enclosed
// when those neighbours' polyhedra cover the whole surface of the cube of
// half-side 1 about it: the sphere then lies inside that closed shell, and
// every line of sight from outside crosses the shell, that is enters a
// neighbour, first. If a neighbour is itself left out, the first sphere such
// a line meets is still one that is drawn, since a left-out one always has a
// neighbour in front of it.
//
// The cube face through nine neighbours' centres is covered when each of
// their polyhedra holds the square of half-side 1/2 about its centre in that
// plane: every point of the face lies in the quarter of a unit cell nearest
// to one of the nine. By convexity that is the case when the polyhedron
// holds the twelve points (+-1/2, +-1/2, 0), (+-1/2, 0, +-1/2) and
// (0, +-1/2, +-1/2). The sphere itself must fit inside the cube: radius
// below 1. For true spheres this is radius > sqrt(2)/2; the faceted ones
// need more, depending on the tessellation.
#pragma once

#include <array>
#include <vector>
#include "survey/point_view.h"

struct PointSurvey;

// Corner `slice` of ring `stack` of the sphere call's polyhedron (rings of
// equal polar angle from the +z pole, corners of equal azimuth around them),
// the geometry the rule below is worked out for.
std::array<double, 3> SphereCorner(double radius, int tesel, int slice, int stack);

// Whether spheres of this radius, drawn with `tesel` slices and stacks, close
// every gap among the 26 neighbours of a grid point as described above.
bool NeighboursEncloseSphere(double radius, int tesel);

// For each point of `points`, whether its sphere is enclosed by its
// neighbours; empty when no sphere is (the rule does not hold, or the
// survey found no whole-number columns of levels 0..h, which the grid loader
// always gives and which the per-column lookup relies on).
std::vector<bool> EnclosedPoints(const PointView& points, const PointSurvey& survey, double radius, int tesel);

// The same rule for true spheres, as the impostors draw them: a sphere with
// all 26 neighbours is shut inside them when each neighbour holds the square
// of half-side 1/2 about its centre in every face of the cube of half-side 1
// through it, which for a true sphere means a radius above sqrt(2)/2, the
// distance to the square's corners; and the sphere must fit in that cube, a
// radius below 1. No tessellation enters, and no picture changes.
bool NeighboursEncloseTrueSphere(double radius);

// The part of the rule that does not depend on the spheres' shape: for each
// point, whether it stands above the ground layer with all 26 neighbours
// present. Empty when the points are not such columns.
std::vector<bool> SurroundedPoints(const PointView& points, const PointSurvey& survey);
