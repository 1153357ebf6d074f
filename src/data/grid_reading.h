// A data file read into a grid of heights, whichever its form: numpy's
// binary array by the ".npy" ending, else the text grid.
#pragma once

#include <cstdint>
#include <istream>
#include <string>

#include "height_grid.h"
#include "point_loader.h"

struct GridReading {
    LoadOutcome outcome;  // of the text; a refused .npy leaves it complete
    std::string refused;  // why a .npy was refused, to follow "data file 'NAME': "; else ""
};

GridReading ReadGridFile(std::istream& in, const std::string& fileName, HeightGrid& grid, std::uint64_t cellLimit);
