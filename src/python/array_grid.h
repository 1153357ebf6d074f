// A grid of heights from an integer array in memory, as numpy holds one:
// C order, rows first, in the machine's byte order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "height_grid.h"

struct ArrayCells {
    const void* data = nullptr;
    char kind = 'i';  // 'i' signed, 'u' unsigned
    std::size_t itemSize = 4;
    std::int64_t rows = 0;
    std::int64_t columns = 0;
};

struct ArrayGrid {
    HeightGrid grid;
    // Why the array cannot be a grid, in the words a .npy file of it gets
    // ("the height at row 2, column 3 is ..."); else "".
    std::string refused;
};

// The grid of `cells`: a view of them, with no copy, where they are 32-bit
// signed heights none of which is below an empty cell's -1; otherwise
// converted once, exactly as a .npy file of them is read (a negative level
// is an empty cell, one beyond the largest height refuses the array).
ArrayGrid GridOfArray(const ArrayCells& cells);
