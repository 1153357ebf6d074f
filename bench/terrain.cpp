// Writes a benchmark grid: a header line with the grid size, then the rows,
// every height followed by a blank and every row by a line feed. Prints the
// number of points the grid makes.
//
//   bench_terrain smooth N FILE   rolling hills, heights 0 to 20
//   bench_terrain binary N FILE   heights 0 and 1 at random (fixed seed)
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

namespace {

// The same landscape at every size: a few waves over the unit square, so
// that grids of different sizes hold the same mix of heights.
int smooth_height(int column, int row, int size) {
    const double pi = 3.14159265358979323846;
    double u = 2 * pi * column / size, v = 2 * pi * row / size;
    double wave = 0.45 * std::sin(2 * u) * std::cos(3 * v) + 0.35 * std::sin(5 * u + 7 * v + 1) +
                  0.2 * std::cos(11 * v - 9 * u + 2);
    int height = static_cast<int>(std::lround(10 + 10 * wave));
    return height < 0 ? 0 : height > 20 ? 20 : height;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4 || (std::strcmp(argv[1], "smooth") != 0 && std::strcmp(argv[1], "binary") != 0)) {
        std::fprintf(stderr, "usage: bench_terrain smooth|binary N FILE\n");
        return 2;
    }
    const bool smooth = std::strcmp(argv[1], "smooth") == 0;
    const int size = std::atoi(argv[2]);
    std::FILE* out = std::fopen(argv[3], "wb");
    if (size <= 0 || !out) {
        std::fprintf(stderr, "bench_terrain: cannot write %s\n", argv[3]);
        return 1;
    }
    std::mt19937 random(12345);
    std::uint64_t points = 0;
    std::string line;
    std::fprintf(out, "%d\n", size);
    for (int row = 0; row < size; ++row) {
        line.clear();
        for (int column = 0; column < size; ++column) {
            int height = smooth ? smooth_height(column, row, size) : static_cast<int>(random() & 1);
            points += static_cast<std::uint64_t>(height) + 1;
            line += std::to_string(height);
            line += ' ';
        }
        line += '\n';
        std::fwrite(line.data(), 1, line.size(), out);
    }
    if (std::fclose(out) != 0) return 1;
    std::printf("%llu\n", static_cast<unsigned long long>(points));
    return 0;
}
