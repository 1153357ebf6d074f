#include "grid_mapping.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// size * part / whole cells, rounded, from 1 to size: 1 when the share is no
// number (both sides overflowed), so that no cast ever sees one.
int ShareOfSide(int size, double part, double whole) {
    const double cells = size * (part / whole);
    if (!(cells >= 1)) return 1;
    if (cells >= size) return size;
    return static_cast<int>(std::lround(cells));
}

}  // namespace

int DefaultGridSize(int width, int height, int cap) { return std::min(std::max(width, height), cap); }

int LargestSideWithin(std::uint64_t cellLimit) {
    // Past 2^62 cells a side would not fit an int anyway.
    cellLimit = std::min<std::uint64_t>(cellLimit, std::uint64_t{1} << 62);
    std::uint64_t side = static_cast<std::uint64_t>(std::sqrt(static_cast<double>(cellLimit)));
    // The square root of a double may be one off either way.
    while (side > 0 && side * side > cellLimit) --side;
    while ((side + 1) * (side + 1) <= cellLimit) ++side;
    return static_cast<int>(std::min<std::uint64_t>(side, INT_MAX));
}

GridPlacement FitIntoSquare(int size, double groundWidth, double groundHeight) {
    GridPlacement placement;
    placement.size = size;
    if (groundWidth >= groundHeight) {
        placement.columns = size;
        placement.rows = ShareOfSide(size, groundHeight, groundWidth);
    } else {
        placement.rows = size;
        placement.columns = ShareOfSide(size, groundWidth, groundHeight);
    }
    placement.firstColumn = (size - placement.columns) / 2;
    placement.firstRow = (size - placement.rows) / 2;
    return placement;
}

bool ValidRange(const std::vector<double>& values, double& lowest, double& highest) {
    bool found = false;
    for (double value : values) {
        if (std::isnan(value)) continue;
        if (!found || value < lowest) lowest = value;
        if (!found || value > highest) highest = value;
        found = true;
    }
    return found;
}

bool SpanFits(double lowest, double highest) { return std::isfinite(highest - lowest); }

LevelScale ScaleForLevels(double lowest, double highest, int levels) {
    LevelScale scale;
    scale.lowest = lowest;
    scale.highest = highest;
    scale.topLevel = levels - 1;
    scale.metresPerLevel = (highest - lowest) / std::max(levels - 1, 1);
    return scale;
}

LevelScale ScaleForMetres(double lowest, double highest, double metresPerLevel) {
    LevelScale scale;
    scale.lowest = lowest;
    scale.highest = highest;
    scale.metresPerLevel = metresPerLevel;
    scale.topLevel = std::round((highest - lowest) / metresPerLevel);
    return scale;
}

double LevelOf(double value, const LevelScale& scale) {
    if (!(scale.metresPerLevel > 0)) return 0;
    return std::clamp(std::round((value - scale.lowest) / scale.metresPerLevel), 0.0, scale.topLevel);
}

bool LevelsFit(const LevelScale& scale) {
    return scale.topLevel >= 0 && scale.topLevel <= largestHeight && std::isfinite(scale.metresPerLevel) &&
           scale.metresPerLevel >= 0;
}

bool MapHeights(const std::vector<double>& values, const GridPlacement& placement, bool rowsRunSouth,
                bool columnsRunWest, const LevelScale& scale, LevelGrid& grid) {
    grid = LevelGrid();
    if (!LevelsFit(scale)) return false;
    const std::size_t size = static_cast<std::size_t>(placement.size);
    grid.cells.columns = grid.cells.rows = placement.size;
    grid.cells.heights.assign(size * size, HeightGrid::emptyCell);
    for (int r = 0; r < placement.rows; ++r) {
        const int row = placement.firstRow + (rowsRunSouth ? placement.rows - 1 - r : r);
        const double* rowValues = values.data() + static_cast<std::size_t>(r) * placement.columns;
        std::int32_t* rowCells = grid.cells.heights.data() + static_cast<std::size_t>(row) * size;
        for (int c = 0; c < placement.columns; ++c) {
            const double value = rowValues[c];
            if (std::isnan(value)) continue;
            const int column = placement.firstColumn + (columnsRunWest ? placement.columns - 1 - c : c);
            // From 0 to topLevel, which LevelsFit keeps within an int.
            const int level = static_cast<int>(LevelOf(value, scale));
            rowCells[column] = level;
            grid.highest = std::max(grid.highest, level);
            grid.points += static_cast<std::uint64_t>(level) + 1;
        }
    }
    return true;
}
