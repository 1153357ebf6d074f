// Times one load of a grid file and prints "result SECONDS POINTS".
//
//   bench_load surfdata FILE       the program's loader (SurfData)
//   bench_load stream FILE         the plain `>> int`, get(), peek() loop
//   bench_load floor FILE POINTS   reads the file into memory, then allocates
//                                  and fills three arrays of POINTS doubles:
//                                  what any loader must at least do; with the
//                                  same huge-page advice as SurfData
//   bench_load floor-small-pages FILE POINTS
//                                  the same without the advice
//   bench_load npy FILE            the .npy grid reader
//   bench_load npy-write N FILE    writes an N x N '<i4' grid for it to read
//
// One load per process, so that every run starts with the same memory state
// (the arrays' pages are new to the process each time).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "npy_grid.h"
#include "page_advice.h"
#include "point_limit.h"
#include "reference_loader.h"
#include "surf_data.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void report(double seconds, std::size_t points, double check) {
    // The check value keeps the work from being optimised away.
    std::printf("result %.6f %zu %g\n", seconds, points, check);
}

int LoadSurfdata(const char* file) {
    auto start = Clock::now();
    SurfData data(file);
    double seconds = SecondsSince(start);
    report(seconds, data.x.size(), data.x.empty() ? 0 : data.z.back());
    return 0;
}

int LoadStream(const char* file) {
    auto start = Clock::now();
    std::ifstream in(file);
    std::vector<double> x, y, z;
    reference_load_points(in, x, y, z, MaxLoadablePoints());
    double seconds = SecondsSince(start);
    report(seconds, x.size(), x.empty() ? 0 : z.back());
    return 0;
}

int LoadFloor(const char* file, std::size_t points, bool advice) {
    if (points == 0) return 1;
    auto start = Clock::now();
    int fd = open(file, O_RDONLY);
    struct stat info;
    if (fd < 0 || fstat(fd, &info) != 0) return 1;
    std::size_t size = static_cast<std::size_t>(info.st_size);
    std::unique_ptr<char[]> text(new char[size + 1]);
    if (advice) AdviseHugePages(text.get(), size + 1);
    std::size_t got = 0;
    while (got < size) {
        ssize_t n = read(fd, text.get() + got, size - got);
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    close(fd);
    std::vector<double> x, y, z;
    double value = 1.0;
    for (std::vector<double>* array : {&x, &y, &z}) {
        array->reserve(points);
        if (advice) AdviseHugePages(array->data(), points * sizeof(double));
        array->insert(array->end(), points, value++);
    }
    double seconds = SecondsSince(start);
    report(seconds, x.size(), x[points / 2] + y[points / 3] + z[points - 1] + text[got / 2]);
    return 0;
}

int LoadNpy(const char* file) {
    auto start = Clock::now();
    std::ifstream in(file, std::ios::binary);
    HeightGrid grid;
    const NpyRead read = ReadNpyGrid(in, grid, MaxLoadablePoints());
    double seconds = SecondsSince(start);
    if (!read.refused.empty()) {
        std::fprintf(stderr, "error: data file '%s': %s\n", file, read.refused.c_str());
        return 1;
    }
    report(seconds, grid.heights.size(), grid.empty() ? 0 : grid.heights.back());
    return 0;
}

// Heights from 0 to about 4000 and one cell in 64 empty, so that the
// reader clamps negatives as a real surface with holes makes it.
int WriteNpy(std::size_t size, const char* file) {
    HeightGrid grid;
    grid.rows = grid.columns = static_cast<std::int64_t>(size);
    grid.heights.resize(size * size);
    std::uint32_t state = 1;
    for (std::int32_t& height : grid.heights) {
        state = state * 1664525u + 1013904223u;
        height = static_cast<std::int32_t>(state >> 20) - 64;
    }
    const std::string wrong = WriteNpyGrid(file, grid);
    if (!wrong.empty()) std::fprintf(stderr, "error: %s: %s\n", file, wrong.c_str());
    return wrong.empty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "surfdata") == 0) return LoadSurfdata(argv[2]);
    if (argc >= 3 && std::strcmp(argv[1], "stream") == 0) return LoadStream(argv[2]);
    if (argc >= 4 && std::strcmp(argv[1], "floor") == 0)
        return LoadFloor(argv[2], std::strtoull(argv[3], nullptr, 10), true);
    if (argc >= 4 && std::strcmp(argv[1], "floor-small-pages") == 0)
        return LoadFloor(argv[2], std::strtoull(argv[3], nullptr, 10), false);
    if (argc >= 3 && std::strcmp(argv[1], "npy") == 0) return LoadNpy(argv[2]);
    if (argc >= 4 && std::strcmp(argv[1], "npy-write") == 0)
        return WriteNpy(std::strtoull(argv[2], nullptr, 10), argv[3]);
    std::fprintf(stderr,
                 "usage: bench_load surfdata|stream|npy FILE | floor|floor-small-pages FILE POINTS | "
                 "npy-write N FILE\n");
    return 2;
}
