#include "surf_data.h"

#include <cstdint>
#include <cstdlib>
#include <iostream>

#include "point_limit.h"

namespace {

// Grows the three arrays so that `needed` points fit, never past `limit`, so a
// doubling step cannot take more memory than the limit allows.
void make_room(SurfData& data, std::uint64_t needed, std::uint64_t limit) {
    std::uint64_t capacity = data.x.capacity();
    if (needed <= capacity) return;
    std::uint64_t grown = capacity * 2 > needed ? capacity * 2 : needed;
    if (grown > limit) grown = limit;
    data.x.reserve(grown);
    data.y.reserve(grown);
    data.z.reserve(grown);
}

// Capacity for a square grid of the first row's width, two points a cell; a
// request beyond the memory limit is skipped, as it only saves regrowth.
void reserve_first_grid(SurfData& data, long long width, std::uint64_t limit) {
    std::uint64_t wanted = 2 * static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(width);
    if (wanted > limit) return;
    data.x.reserve(wanted);
    data.y.reserve(wanted);
    data.z.reserve(wanted);
}

[[noreturn]] void refuse_oversized(const std::string& file_name, long long row, long long column,
                                   std::uint64_t needed, std::uint64_t limit) {
    std::cerr << "error: data file '" << file_name << "': the height at row " << row + 1
              << ", column " << column + 1 << " brings the point count to " << needed
              << ", more than the " << limit
              << " points this machine's memory allows; nothing is shown" << std::endl;
    std::exit(1);
}

void warn_data_ended(const std::string& file_name, long long row, long long column,
                     std::size_t points) {
    std::cerr << "warning: data file '" << file_name << "': no height could be read at row "
              << row + 1 << ", column " << column + 1 << "; the grid ends there with " << points
              << " points" << std::endl;
}

}  // namespace

SurfData::SurfData(std::string file_name) {
    file.open(file_name);
    if (file.fail()) {
        std::cerr << "error: file not found (SurfData constructor)" << std::endl;
        std::exit(1);
    }

    double header = 0;
    file >> header;

    x.reserve(500);
    y.reserve(500);
    z.reserve(500);

    const std::uint64_t limit = max_loadable_points();
    long long row = 0, column = 0, row_limit = 1;
    do {
        int height = 0;
        if (!(file >> height)) {
            warn_data_ended(file_name, row, column, x.size());
            break;
        }
        if (height >= 0) {
            std::uint64_t needed = x.size() + static_cast<std::uint64_t>(height) + 1;
            if (needed > limit) refuse_oversized(file_name, row, column, needed, limit);
            make_room(*this, needed, limit);
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
            row_limit = column;
            if (row == 0) reserve_first_grid(*this, column, limit);
            ++row;
            column = 0;
        }
    } while (row < row_limit);

    std::cout << "data prepared" << std::endl;
}

SurfData::~SurfData() { file.close(); }
