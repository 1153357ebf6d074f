// Grids of values as ESRI ASCII grid files (.asc), as models and GIS tools
// write them: a header of keywords and numbers, then the values row by row,
// the northernmost row first. The values are mapped to levels (level_mapping).
#pragma once

#include <cstdint>
#include <istream>
#include <string>

#include "height_grid.h"
#include "level_mapping.h"

// Whether `fileName` names an ESRI ASCII grid (by its ending, in any case).
bool IsAscFile(const std::string& fileName);

// How reading an .asc grid ended: "" or the reason it was refused, a phrase
// fit to follow "data file 'NAME': ", and the cells left empty because
// their value maps below level 0.
struct AscRead {
    std::string refused;
    std::uint64_t belowLevelZero = 0;
};

// Reads an ESRI ASCII grid from `in` into `grid`. The header gives ncols,
// nrows, xllcorner or xllcenter, yllcorner or yllcenter, cellsize and, if
// it likes, NODATA_value, one to a line, in any order and any case. Then
// come nrows x ncols numbers, parted by any white space. The file's first
// row is the north, so it becomes the grid's last row (y runs north, as
// pelorin-import places a raster); its columns run east. NODATA and NaN
// cells are empty. A grid of more than `cellLimit` cells is refused before
// any memory is taken for it; after a refusal `grid` is empty.
AscRead ReadAscGrid(std::istream& in, HeightGrid& grid, std::uint64_t cellLimit, const LevelMapping& mapping);
