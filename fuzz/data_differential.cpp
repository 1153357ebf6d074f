// The fast point data loader against the word-for-word stream reading on the
// same bytes: any difference in outcome or arrays is a finding. The fast
// loader reads the file as the program does, and once more from memory in
// tiny blocks, so that cells straddling block ends are compared too.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "point_loader.h"
#include "reference_loader.h"

namespace {

struct Loaded {
    LoadOutcome outcome;
    std::vector<double> x, y, z;
};

void compare(const Loaded& fast, const Loaded& reference, const char* how) {
    if (fast.outcome != reference.outcome) {
        std::fprintf(stderr, "%s: fast end %d at row %lld column %lld needed %llu; stream end %d at row %lld column %lld needed %llu\n",
                     how, static_cast<int>(fast.outcome.end), fast.outcome.row, fast.outcome.column,
                     static_cast<unsigned long long>(fast.outcome.needed),
                     static_cast<int>(reference.outcome.end), reference.outcome.row,
                     reference.outcome.column, static_cast<unsigned long long>(reference.outcome.needed));
        finding("the outcomes differ");
    }
    // A refused grid ends the program: its arrays are never used.
    if (fast.outcome.end == LoadOutcome::End::refused) return;
    if (fast.x != reference.x || fast.y != reference.y || fast.z != reference.z) {
        std::fprintf(stderr, "%s: fast %zu points, stream %zu points\n", how, fast.x.size(), reference.x.size());
        finding("the arrays differ");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    Loaded reference;
    {
        std::istringstream in(bytes);
        reference.outcome = reference_load_points(in, reference.x, reference.y, reference.z, fuzzPointLimit);
    }

    Loaded from_file;
    {
        std::ifstream in(write_input_file(data, size));
        from_file.outcome = LoadPoints(in, from_file.x, from_file.y, from_file.z, fuzzPointLimit);
    }
    compare(from_file, reference, "from the file");

    Loaded in_small_blocks;
    {
        std::istringstream in(bytes);
        std::size_t block = 1 + size % 7;
        in_small_blocks.outcome = LoadPoints(in, in_small_blocks.x, in_small_blocks.y, in_small_blocks.z,
                                              fuzzPointLimit, block);
    }
    compare(in_small_blocks, reference, "in small blocks");
    return 0;
}
