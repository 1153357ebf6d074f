// The hidden-sphere rule for true spheres, as the impostors draw them: a
// sphere with all 26 neighbours is shut inside them when each neighbour holds
// the square of half-side 1/2 about its centre in every face of the cube of
// half-side 1 through it, which for a true sphere means a radius above
// sqrt(2)/2, the distance to the square's corners; and the sphere must fit in
// that cube, a radius below 1. Unlike the faceted spheres no tessellation
// enters, and no picture changes: any ray from outside meets a neighbour
// before it can reach the enclosed sphere.
#pragma once

#include <vector>

class SurfData;

bool NeighboursEncloseTrueSphere(double radius);

// For each point, whether its true sphere of `radius` is enclosed; empty when
// none is.
std::vector<bool> EnclosedTrueSpheres(const SurfData& points, double radius);
