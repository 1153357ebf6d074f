// Grids of heights as numpy's binary array files (.npy): a 2-D integer
// array of levels, or a float one of values mapped to levels
// (level_mapping), row by row, read straight into the grid with no text
// between.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>

#include "height_grid.h"
#include "level_mapping.h"

// Whether `fileName` names a .npy file (by its ending, in any case).
bool IsNpyFile(const std::string& fileName);

// Writes `grid` as a 2-D array of little-endian 32-bit signed integers,
// C order, rows as the first dimension. Returns why it could not, or "".
std::string WriteNpyGrid(const std::string& fileName, const HeightGrid& grid);

// How reading a .npy grid ended: "" or the reason it was refused, a phrase
// fit to follow "data file 'NAME': ", and the cells of a float array left
// empty because their value maps below level 0.
struct NpyRead {
    std::string refused;
    std::uint64_t belowLevelZero = 0;
};

// The bytes of array data read and converted at a time: large enough that
// the stream costs nothing per cell, small enough to stay in cache while a
// block is converted.
constexpr std::size_t npyBlockBytes = std::size_t{1} << 22;

// Reads a 2-D array from `in` (at the start of the file) into `grid`:
// shape (rows, columns), rows first, in C order, little-endian. Integers
// of 8 to 64 bits, signed or unsigned, are levels as they are; float32 and
// float64 values go through `mapping`, NaN an empty cell. A level below 0
// becomes an empty cell; one above the largest int32 refuses the file. A
// grid of more than `cellLimit` cells is refused before any memory is taken
// for it. After a refusal `grid` is empty. The data is read `blockBytes` at
// a time.
NpyRead ReadNpyGrid(std::istream& in, HeightGrid& grid, std::uint64_t cellLimit,
                    std::size_t blockBytes = npyBlockBytes, const LevelMapping& mapping = {});
