#include "true_sphere_cull.h"

#include <cmath>

#include "viewer_cull.h"

bool NeighboursEncloseTrueSphere(double radius) { return radius > std::sqrt(0.5) && radius < 1; }

std::vector<bool> EnclosedTrueSpheres(const SurfData& points, double radius) {
    if (!NeighboursEncloseTrueSphere(radius)) return {};
    return SurroundedPoints(points);
}
