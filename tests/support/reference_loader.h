// The loader written word for word as the stream reading: `>> double` for the
// header, then `>> int`, `get()` and `peek()` for every cell, appending point
// by point. Slow, but plainly right: the tests, the differential fuzz target
// and the benchmarks hold the fast loader to it.
#pragma once

#include <cstdint>
#include <istream>
#include <vector>

#include "point_loader.h"

// Same contract as LoadPoints. On refusal the arrays keep the points read
// before the refused height.
LoadOutcome reference_load_points(std::istream& file, std::vector<double>& x, std::vector<double>& y,
                                  std::vector<double>& z, std::uint64_t pointLimit);
