#include "height_grid.h"

HeightGrid HeightGrid::Viewing(const std::int32_t* cells, std::int64_t columns, std::int64_t rows) {
    HeightGrid grid;
    grid.columns = columns;
    grid.rows = rows;
    grid.viewed_ = cells;
    return grid;
}

std::uint64_t HeightGrid::spheres() const {
    std::uint64_t count = 0;
    const std::int32_t* cell = cells();
    for (std::size_t i = 0, n = cellCount(); i < n; ++i) {
        if (cell[i] >= 0) count += static_cast<std::uint64_t>(cell[i]) + 1;
    }
    return count;
}

void WriteGridPoints(const HeightGrid& grid, std::vector<double>& x, std::vector<double>& y, std::vector<double>& z) {
    const std::uint64_t count = grid.spheres();
    x.reserve(count), y.reserve(count), z.reserve(count);
    for (std::int64_t row = 0; row < grid.rows; ++row) {
        for (std::int64_t column = 0; column < grid.columns; ++column) {
            const std::int32_t top = grid.at(column, row);
            for (std::int32_t level = 0; level <= top; ++level) {
                x.push_back(static_cast<double>(column));
                y.push_back(static_cast<double>(row));
                z.push_back(static_cast<double>(level));
            }
        }
    }
}
