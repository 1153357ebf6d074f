#include "grid_mapping.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// 2^64: a count from here up does not fit a std::uint64_t.
constexpr double pastUint64 = 18446744073709551616.0;

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

double CountPoints(const std::vector<double>& values, const LevelScale& scale) {
    double total = 0;
    for (double value : values)
        if (!std::isnan(value)) total += LevelOf(value, scale) + 1;
    return total;
}

bool MapHeights(const std::vector<double>& values, const GridPlacement& placement, bool rowsRunSouth,
                bool columnsRunWest, const LevelScale& scale, std::uint64_t pointLimit, HeightGrid& grid) {
    grid = HeightGrid();
    // Counted first, so that a refused grid takes no memory.
    const double total = CountPoints(values, scale);
    // A NaN count (no mapping of such values) is refused too.
    if (!(total <= static_cast<double>(pointLimit))) {
        grid.points = total < pastUint64 ? static_cast<std::uint64_t>(total) : UINT64_MAX;
        return false;
    }
    grid.points = static_cast<std::uint64_t>(total);

    grid.size = placement.size;
    const std::size_t size = static_cast<std::size_t>(placement.size);
    grid.heights.assign(size * size, -1);
    for (int r = 0; r < placement.rows; ++r) {
        const int row = placement.firstRow + (rowsRunSouth ? placement.rows - 1 - r : r);
        for (int c = 0; c < placement.columns; ++c) {
            const double value = values[static_cast<std::size_t>(r) * placement.columns + c];
            if (std::isnan(value)) continue;
            const int column = placement.firstColumn + (columnsRunWest ? placement.columns - 1 - c : c);
            // At most the count, so within an int.
            const int level = static_cast<int>(LevelOf(value, scale));
            grid.heights[row * size + column] = level;
            grid.highest = std::max(grid.highest, level);
        }
    }
    return true;
}
