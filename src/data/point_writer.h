// The second pass of loading a grid: the points of a recorded grid written
// into the three coordinate arrays.
#pragma once

#include <vector>

#include "grid_record.h"

// Appends the points of every cell of `record` to the empty arrays x, y and z,
// reserved once for exactly the record's point count. Large grids are written
// by two threads when the system lets a thread start.
void WritePoints(const GridRecord& record, std::vector<double>& x, std::vector<double>& y,
                  std::vector<double>& z);
