// Grids of heights made in memory, for tests of what is drawn from them.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "height_grid.h"

// `rows` of equal length; negative heights are empty cells.
inline HeightGrid GridOf(const std::vector<std::vector<std::int32_t>>& rows) {
    HeightGrid grid;
    grid.rows = static_cast<std::int64_t>(rows.size());
    grid.columns = rows.empty() ? 0 : static_cast<std::int64_t>(rows[0].size());
    for (const auto& row : rows) {
        for (std::int32_t h : row) grid.heights.push_back(h < 0 ? HeightGrid::emptyCell : h);
    }
    return grid;
}

// A columns x rows grid of heights base + 0 .. spread - 1 at random (a fixed
// seed), and an empty cell in about one of `holeEvery` (none for 0).
inline HeightGrid RandomGrid(std::int64_t columns, std::int64_t rows, std::int64_t base, int spread,
                             int holeEvery = 0, unsigned seed = 7) {
    std::mt19937 random(seed);
    HeightGrid grid;
    grid.columns = columns;
    grid.rows = rows;
    for (std::int64_t i = 0; i < columns * rows; ++i) {
        const bool hole = holeEvery > 0 && random() % static_cast<unsigned>(holeEvery) == 0;
        grid.heights.push_back(hole ? HeightGrid::emptyCell
                                    : static_cast<std::int32_t>(base + static_cast<std::int64_t>(random() % spread)));
    }
    return grid;
}
