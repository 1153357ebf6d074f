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
    // Row by row; empty cells hold -1. Empty when the grid views cells
    // it does not own (Viewing).
    std::vector<std::int32_t> heights;

    static constexpr std::int32_t emptyCell = -1;

    // A grid of the `columns` x `rows` cells at `cells`, row by row, which
    // it does not own: an array a caller already holds is drawn without a
    // copy of it. The cells must outlive the grid and hold no level below
    // emptyCell.
    static HeightGrid Viewing(const std::int32_t* cells, std::int64_t columns, std::int64_t rows);

    // The cells, row by row, whether owned or viewed.
    const std::int32_t* cells() const { return viewed_ != nullptr ? viewed_ : heights.data(); }
    std::size_t cellCount() const {
        return viewed_ != nullptr ? static_cast<std::size_t>(columns * rows) : heights.size();
    }
    bool empty() const { return cellCount() == 0; }
    std::int32_t at(std::int64_t column, std::int64_t row) const {
        return cells()[static_cast<std::size_t>(row * columns + column)];
    }
    // The spheres the cells stand for: the sum of h + 1 over cells of
    // height h >= 0.
    std::uint64_t spheres() const;

private:
    // Null for a grid that owns its cells.
    const std::int32_t* viewed_ = nullptr;
};

// Columns this many times taller than the grid is wide stand as a needle:
// most often heights in metres (or finer) on cells far larger than that.
constexpr long long needleProportion = 8;

// Writes the spheres of `grid` as points, cell by cell in row order and
// each column from level 0 up, into the empty arrays x, y and z.
void WriteGridPoints(const HeightGrid& grid, std::vector<double>& x, std::vector<double>& y, std::vector<double>& z);
