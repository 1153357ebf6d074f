// A surface as a grid of column heights: the cell at column c and row r
// of height h stands for the spheres (c, r, 0) ... (c, r, h), and a cell
// below 0 for none. Four bytes a cell, whatever the heights, so memory
// follows the surface and not the volume under it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct HeightGrid {
    // Cells across (columns) and down (rows); every row has `columns`
    // cells, those a shorter row of the file lacks being empty.
    std::int64_t columns = 0;
    std::int64_t rows = 0;
    // Row by row; empty cells hold -1.
    std::vector<std::int32_t> heights;

    static constexpr std::int32_t emptyCell = -1;

    bool empty() const { return heights.empty(); }
    std::int32_t at(std::int64_t column, std::int64_t row) const {
        return heights[static_cast<std::size_t>(row * columns + column)];
    }
    // The spheres the cells stand for: the sum of h + 1 over cells of
    // height h >= 0.
    std::uint64_t spheres() const;
};

// Columns this many times taller than the grid is wide stand as a needle:
// most often heights in metres (or finer) on cells far larger than that.
constexpr long long needleProportion = 8;

// Writes the spheres of `grid` as points, cell by cell in row order and
// each column from level 0 up, into the empty arrays x, y and z.
void WriteGridPoints(const HeightGrid& grid, std::vector<double>& x, std::vector<double>& y, std::vector<double>& z);
