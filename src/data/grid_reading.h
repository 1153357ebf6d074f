// A data file read into a grid of heights, whichever its form: numpy's
// binary array by the ".npy" ending, an ESRI ASCII grid by ".asc", else the
// text grid.
#pragma once

#include <cstdint>
#include <istream>
#include <string>

#include "height_grid.h"
#include "level_mapping.h"
#include "point_loader.h"

// Whether `fileName` is read whole into a grid whatever draws it (.npy,
// .asc), never as the text grid's points.
bool IsGridFile(const std::string& fileName);

struct GridReading {
    LoadOutcome outcome;  // of the text; a refused .npy or .asc leaves it complete
    std::string refused;  // why a .npy or .asc was refused, to follow "data file 'NAME': "; else ""
    // Cells left empty because their value maps below level 0 (BelowLevelZeroNote).
    std::uint64_t belowLevelZero = 0;
};

// Values (.asc, a float .npy) become levels through `mapping`; the text
// grid and integer arrays hold levels already.
GridReading ReadGridFile(std::istream& in, const std::string& fileName, HeightGrid& grid, std::uint64_t cellLimit,
                         const LevelMapping& mapping = {});
