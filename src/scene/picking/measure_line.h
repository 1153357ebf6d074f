// The line that says how far apart two picked spheres' cells are: along the
// ground, in space and in height, in metres where config.txt gives them and
// otherwise in the grid's own units, a cell across and a level up, as the
// picture draws them.
#pragma once

#include <string>

#include "picking/pick_line.h"
#include "picking/sphere_pick.h"

// "measure column C, row R to column C, row R: ground G, 3-D D, height H",
// from `from` to `to`; the height is that of `to` over `from`, signed.
std::string MeasureLine(const SpherePick& from, const SpherePick& to, const PickTerms& terms);
