// From resampled raster values to the square grid of whole levels: where the
// raster sits in the square, how values become levels, and the point count.
#pragma once

#include <climits>
#include <cstdint>
#include <vector>

#include "height_grid.h"

// The raster's place in the square grid: `columns` x `rows` cells from
// (firstColumn, firstRow), centred; the rest of the square is holes.
struct GridPlacement {
    int size = 0;
    int columns = 0;
    int rows = 0;
    int firstColumn = 0;
    int firstRow = 0;
};

// The default cells per side: the raster's larger side, at most `cap`.
int DefaultGridSize(int width, int height, int cap);

// The largest side of a square grid of at most `cellLimit` cells.
int LargestSideWithin(std::uint64_t cellLimit);

// Fits ground extent `groundWidth` x `groundHeight` into `size` x `size`
// square cells with its shape kept: the longer side takes all `size` cells,
// the shorter one its share, rounded, at least 1.
GridPlacement FitIntoSquare(int size, double groundWidth, double groundHeight);

// How values become levels: level = round((value - lowest) / metresPerLevel),
// at most topLevel. A metresPerLevel of 0 (a flat raster) makes every
// level 0.
struct LevelScale {
    double lowest = 0;
    double highest = 0;
    double metresPerLevel = 0;
    double topLevel = 0;  // the highest level any value may take
};

// The lowest and highest value that is not NaN; false when every value is NaN.
bool ValidRange(const std::vector<double>& values, double& lowest, double& highest);

// Whether values from `lowest` to `highest` can be mapped to levels: near a
// double's limits their difference is infinite.
bool SpanFits(double lowest, double highest);

// `levels` levels from lowest to highest: heights 0 to levels - 1, the lowest
// value at 0 and the highest at levels - 1 (at 0 when levels is 1).
LevelScale ScaleForLevels(double lowest, double highest, int levels);

// One level per `metresPerLevel` (> 0) above the lowest value.
LevelScale ScaleForMetres(double lowest, double highest, double metresPerLevel);

// The level of a valid value, as a real number that is whole.
double LevelOf(double value, const LevelScale& scale);

// The largest height a data file, and a cell of an .npy grid, can hold.
constexpr int largestHeight = INT_MAX;

// Whether every level of `scale` is a number from 0 to largestHeight, so
// that it fits a cell.
bool LevelsFit(const LevelScale& scale);

// The square grid: placement.size cells a side, row 0 the southern edge,
// each row from the west; -1 marks a hole.
struct LevelGrid {
    HeightGrid cells;
    int highest = 0;           // the highest level of any cell
    std::uint64_t points = 0;  // the sum of height + 1 over the cells that are not holes
};

// Places `values` (placement.columns x placement.rows, raster order, NaN for
// holes) into the square grid, turning rows over when they run south and
// columns when they run west. Returns false, with `grid` empty, when the
// levels of `scale` do not fit (see LevelsFit). The points cannot pass
// 64 bits: at most 2^31 cells of at most 2^31 points each.
bool MapHeights(const std::vector<double>& values, const GridPlacement& placement, bool rowsRunSouth,
                bool columnsRunWest, const LevelScale& scale, LevelGrid& grid);
