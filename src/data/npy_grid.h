// Grids of heights as numpy's binary array files (.npy): a 2-D integer
// array, row by row, read straight into the grid with no text between.
#pragma once

#include <cstdint>
#include <string>

#include "height_grid.h"

// Whether `fileName` names a .npy file (by its ending, in any case).
bool IsNpyFile(const std::string& fileName);

// Writes `grid` as a 2-D array of little-endian 32-bit signed integers,
// C order, rows as the first dimension. Returns why it could not, or "".
std::string WriteNpyGrid(const std::string& fileName, const HeightGrid& grid);
