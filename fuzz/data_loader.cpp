// The point data loader on raw bytes, read from a file as the program reads
// its data file. Crashes, leaks, undefined behaviour and hangs are findings,
// and so is a result that breaks what the viewer relies on.
#include <cstdint>
#include <fstream>
#include <vector>

#include "fuzz_support.h"
#include "point_loader.h"

namespace {

void check_invariants(const LoadOutcome& outcome, const std::vector<double>& x,
                      const std::vector<double>& y, const std::vector<double>& z) {
    if (outcome.end == LoadOutcome::End::refused) {
        if (outcome.needed <= fuzzPointLimit) finding("refused a grid within the limit");
        if (x.capacity() + y.capacity() + z.capacity() != 0) finding("took array memory before refusing");
        return;
    }
    if (x.size() != y.size() || x.size() != z.size()) finding("arrays of different lengths");
    if (x.size() > fuzzPointLimit) finding("more points than the limit");
    for (std::size_t i = 0; i < x.size(); ++i) {
        if (x[i] < 0 || y[i] < 0 || z[i] < 0) finding("a negative coordinate");
        if (i > 0 && y[i] < y[i - 1]) finding("points out of row order");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = write_input_file(data, size);
    std::ifstream file(path);
    std::vector<double> x, y, z;
    LoadOutcome outcome = LoadPoints(file, x, y, z, fuzzPointLimit);
    check_invariants(outcome, x, y, z);
    return 0;
}
