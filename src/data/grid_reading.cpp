#include "grid_reading.h"

#include "npy_grid.h"

GridReading ReadGridFile(std::istream& in, const std::string& fileName, HeightGrid& grid, std::uint64_t cellLimit) {
    GridReading reading;
    if (IsNpyFile(fileName)) {
        reading.refused = ReadNpyGrid(in, grid, cellLimit).refused;
    } else {
        reading.outcome = LoadGrid(in, grid, cellLimit);
    }
    return reading;
}
