// The .npy grid reader on raw bytes, read from a file as the program reads
// its data file. Crashes, leaks, undefined behaviour and hangs are findings,
// and so is a grid that breaks what the viewer relies on, or one that
// depends on where the blocks of cells were cut.
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "fuzz_support.h"
#include "npy_grid.h"

namespace {

// Small enough that every block boundary is crossed by ordinary inputs.
constexpr std::size_t smallBlockBytes = 7;

void CheckInvariants(const NpyRead& read, const HeightGrid& grid) {
    if (!read.refused.empty()) {
        if (!grid.heights.empty() || grid.rows != 0 || grid.columns != 0) finding("kept a grid after refusing");
        if (grid.heights.capacity() != 0) finding("kept memory after refusing");
        return;
    }
    if (grid.rows < 0 || grid.columns < 0) finding("a negative dimension");
    if (static_cast<std::uint64_t>(grid.heights.size()) != static_cast<std::uint64_t>(grid.rows * grid.columns))
        finding("cells and dimensions disagree");
    if (grid.heights.size() > fuzzPointLimit) finding("more cells than the limit");
    for (std::int32_t height : grid.heights) {
        if (height < HeightGrid::emptyCell) finding("a height below the empty cell");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = write_input_file(data, size);
    std::ifstream file(path, std::ios::binary);
    HeightGrid grid;
    const NpyRead read = ReadNpyGrid(file, grid, fuzzPointLimit);
    CheckInvariants(read, grid);

    std::istringstream bytes(std::string(reinterpret_cast<const char*>(data), size));
    HeightGrid again;
    const NpyRead readAgain = ReadNpyGrid(bytes, again, fuzzPointLimit, smallBlockBytes);
    if (readAgain.refused != read.refused) finding("the outcome depends on the block size");
    if (again.heights != grid.heights || again.rows != grid.rows || again.columns != grid.columns)
        finding("the grid depends on the block size");
    return 0;
}
