#include "grid_reading.h"

#include "asc_grid.h"
#include "npy_grid.h"

bool IsGridFile(const std::string& fileName) { return IsNpyFile(fileName) || IsAscFile(fileName); }

GridReading ReadGridFile(std::istream& in, const std::string& fileName, HeightGrid& grid, std::uint64_t cellLimit,
                         const LevelMapping& mapping) {
    GridReading reading;
    if (IsNpyFile(fileName)) {
        const NpyRead read = ReadNpyGrid(in, grid, cellLimit, npyBlockBytes, mapping);
        reading.refused = read.refused;
        reading.belowLevelZero = read.belowLevelZero;
    } else if (IsAscFile(fileName)) {
        const AscRead read = ReadAscGrid(in, grid, cellLimit, mapping);
        reading.refused = read.refused;
        reading.belowLevelZero = read.belowLevelZero;
    } else {
        reading.outcome = LoadGrid(in, grid, cellLimit);
    }
    return reading;
}
