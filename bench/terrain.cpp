// Writes a benchmark grid: a header line with the grid size, then the rows,
// every height followed by a blank and every row by a line feed. Prints the
// number of points the grid makes.
//
//   bench_terrain smooth N FILE   rolling hills, heights 0 to 20
//   bench_terrain binary N FILE   heights 0 and 1 at random (fixed seed)
//   bench_terrain relief N FILE   real-size relief, heights 0 to 24: valleys,
//                                 ridges and peaks a few cells to a few
//                                 hundred cells across, the same scale at
//                                 every size (a larger grid is a larger area)
#include <algorithm>
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
int SmoothHeight(int column, int row, int size) {
    const double pi = 3.14159265358979323846;
    double u = 2 * pi * column / size, v = 2 * pi * row / size;
    double wave = 0.45 * std::sin(2 * u) * std::cos(3 * v) + 0.35 * std::sin(5 * u + 7 * v + 1) +
                  0.2 * std::cos(11 * v - 9 * u + 2);
    int height = static_cast<int>(std::lround(10 + 10 * wave));
    return height < 0 ? 0 : height > 20 ? 20 : height;
}

// Smoothly interpolated lattice noise in [0, 1] at a period of `cells`.
double ValueNoise(double u, double v, int octave) {
    auto lattice = [octave](long i, long j) {
        std::uint64_t h = static_cast<std::uint64_t>(i) * 0x9E3779B97F4A7C15ull ^
                          static_cast<std::uint64_t>(j) * 0xC2B2AE3D27D4EB4Full ^
                          static_cast<std::uint64_t>(octave) * 0x165667B19E3779F9ull;
        h ^= h >> 31, h *= 0xBF58476D1CE4E5B9ull, h ^= h >> 29;
        return static_cast<double>(h >> 11) / 9007199254740992.0;
    };
    const long i = static_cast<long>(std::floor(u)), j = static_cast<long>(std::floor(v));
    const double fu = u - i, fv = v - j;
    const double su = fu * fu * (3 - 2 * fu), sv = fv * fv * (3 - 2 * fv);
    const double a = lattice(i, j), b = lattice(i + 1, j), c = lattice(i, j + 1), d = lattice(i + 1, j + 1);
    return a + (b - a) * su + (c - a) * sv + (a - b - c + d) * su * sv;
}

// Octaves from 160 cells down to 2.5 cells across, peaks sharpened by a power.
int ReliefHeight(int column, int row) {
    double sum = 0, weight = 0, amplitude = 1, period = 160;
    for (int octave = 0; octave < 7; ++octave, amplitude *= 0.55, period /= 2) {
        sum += amplitude * ValueNoise(column / period, row / period, octave);
        weight += amplitude;
    }
    const double t = sum / weight;  // about 0.2 to 0.8
    const double shaped = std::pow(std::max(0.0, (t - 0.22) / 0.56), 1.22);
    const int height = static_cast<int>(std::lround(24 * shaped));
    return height < 0 ? 0 : height > 24 ? 24 : height;
}

}  // namespace

int main(int argc, char** argv) {
    const bool known = argc == 4 && (std::strcmp(argv[1], "smooth") == 0 || std::strcmp(argv[1], "binary") == 0 ||
                                     std::strcmp(argv[1], "relief") == 0);
    if (!known) {
        std::fprintf(stderr, "usage: bench_terrain smooth|binary|relief N FILE\n");
        return 2;
    }
    const bool smooth = std::strcmp(argv[1], "smooth") == 0;
    const bool relief = std::strcmp(argv[1], "relief") == 0;
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
            const int height = relief   ? ReliefHeight(column, row)
                               : smooth ? SmoothHeight(column, row, size)
                                        : static_cast<int>(random() & 1);
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
