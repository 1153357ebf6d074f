#include "reference_loader.h"

namespace {

// Grows the three arrays so that `needed` points fit, never past `limit`, so a
// doubling step cannot take more memory than the limit allows.
void MakeRoom(std::vector<double>& x, std::vector<double>& y, std::vector<double>& z,
               std::uint64_t needed, std::uint64_t limit) {
    std::uint64_t capacity = x.capacity();
    if (needed <= capacity) return;
    std::uint64_t grown = capacity * 2 > needed ? capacity * 2 : needed;
    if (grown > limit) grown = limit;
    x.reserve(grown);
    y.reserve(grown);
    z.reserve(grown);
}

// Capacity for a square grid of the first row's width, two points a cell; a
// request beyond the limit is skipped, as it only saves regrowth.
void ReserveFirstGrid(std::vector<double>& x, std::vector<double>& y, std::vector<double>& z,
                        long long width, std::uint64_t limit) {
    std::uint64_t wanted = 2 * static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(width);
    if (wanted > limit) return;
    x.reserve(wanted);
    y.reserve(wanted);
    z.reserve(wanted);
}

}  // namespace

LoadOutcome reference_load_points(std::istream& file, std::vector<double>& x, std::vector<double>& y,
                                  std::vector<double>& z, std::uint64_t pointLimit) {
    LoadOutcome outcome;
    double header = 0;
    file >> header;

    x.reserve(500);
    y.reserve(500);
    z.reserve(500);

    long long row = 0, column = 0, rowLimit = 1;
    do {
        int height = 0;
        if (!(file >> height)) {
            outcome.end = LoadOutcome::End::dataEnded;
            outcome.row = row;
            outcome.column = column;
            break;
        }
        if (height >= 0) {
            std::uint64_t needed = x.size() + static_cast<std::uint64_t>(height) + 1;
            if (needed > pointLimit) {
                outcome.end = LoadOutcome::End::refused;
                outcome.row = row;
                outcome.column = column;
                outcome.needed = needed;
                return outcome;
            }
            MakeRoom(x, y, z, needed, pointLimit);
            for (long long level = 0; level <= height; ++level) {
                x.push_back(static_cast<double>(column));
                y.push_back(static_cast<double>(row));
                z.push_back(static_cast<double>(level));
            }
        }
        file.get();  // the separator, whatever it is
        ++column;

        int next = file.peek();
        if (next == '\r' || next == '\n') {
            rowLimit = column;
            if (row == 0) ReserveFirstGrid(x, y, z, column, pointLimit);
            ++row;
            column = 0;
        }
    } while (row < rowLimit);
    return outcome;
}
