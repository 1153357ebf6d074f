// Writes a benchmark grid and prints the number of points (spheres) it makes.
// A FILE ending in .npy is written as a 2-D array of 32-bit integers (the
// program's .npy writer); any other as text: a header line with the grid
// size, then the rows, every height followed by a blank and every row by a
// line feed.
//
//   bench_terrain smooth N FILE   rolling hills, heights 0 to 20
//   bench_terrain binary N FILE   heights 0 and 1 at random (fixed seed)
//   bench_terrain relief N [LEVELS] FILE
//                                 real-size relief, heights 0 to LEVELS
//                                 (default 24): valleys, ridges and peaks a
//                                 few cells to a few hundred cells across, the
//                                 same scale at every size (a larger grid is a
//                                 larger area)
//   bench_terrain tall N MEAN FILE
//                                 the relief of 0 to 4 raised by MEAN: the
//                                 same surface as `tall N 0`, with a tall solid
//                                 under it
//   bench_terrain deposition N MEAN FILE
//                                 a rough surface grown around MEAN: correlated
//                                 bumps of about 20 levels over 12 to 200
//                                 cells and one level of noise per cell, so
//                                 that neighbours mostly differ by 0 to 2
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>

#include "height_grid.h"
#include "npy_grid.h"

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

// A value in [0, 1) fixed by the lattice point and the octave.
double LatticeValue(long i, long j, int octave) {
    std::uint64_t h = static_cast<std::uint64_t>(i) * 0x9E3779B97F4A7C15ull ^
                      static_cast<std::uint64_t>(j) * 0xC2B2AE3D27D4EB4Full ^
                      static_cast<std::uint64_t>(octave) * 0x165667B19E3779F9ull;
    h ^= h >> 31, h *= 0xBF58476D1CE4E5B9ull, h ^= h >> 29;
    return static_cast<double>(h >> 11) / 9007199254740992.0;
}

// Smoothly interpolated lattice noise in [0, 1] at a period of `cells`.
double ValueNoise(double u, double v, int octave) {
    const long i = static_cast<long>(std::floor(u)), j = static_cast<long>(std::floor(v));
    const double fu = u - i, fv = v - j;
    const double su = fu * fu * (3 - 2 * fu), sv = fv * fv * (3 - 2 * fv);
    const double a = LatticeValue(i, j, octave), b = LatticeValue(i + 1, j, octave);
    const double c = LatticeValue(i, j + 1, octave), d = LatticeValue(i + 1, j + 1, octave);
    return a + (b - a) * su + (c - a) * sv + (a - b - c + d) * su * sv;
}

// Octaves from 160 cells down to 2.5 cells across, peaks sharpened by a power.
int ReliefHeight(int column, int row, int levels) {
    double sum = 0, weight = 0, amplitude = 1, period = 160;
    for (int octave = 0; octave < 7; ++octave, amplitude *= 0.55, period /= 2) {
        sum += amplitude * ValueNoise(column / period, row / period, octave);
        weight += amplitude;
    }
    const double t = sum / weight;  // about 0.2 to 0.8
    const double shaped = std::pow(std::max(0.0, (t - 0.22) / 0.56), 1.22);
    const int height = static_cast<int>(std::lround(levels * shaped));
    return height < 0 ? 0 : height > levels ? levels : height;
}

// Each octave halves the period and the amplitude, so each adds about the
// same slope (some 0.15 levels a cell at its steepest): together with the
// jitter of one level, neighbours rarely differ by more than 2.
int DepositionHeight(int column, int row, int mean) {
    double sum = 0, amplitude = 10, period = 200;
    for (int octave = 0; octave < 5; ++octave, amplitude /= 2, period /= 2) {
        sum += 2 * amplitude * (ValueNoise(column / period, row / period, 10 + octave) - 0.5);
    }
    const int jitter = static_cast<int>(LatticeValue(column, row, 99) * 3) - 1;
    const long height = mean + std::lround(sum) + jitter;
    return height < 0 ? 0 : static_cast<int>(height);
}

// A whole number from `from..to`, or -1 with a message naming `what`.
long Number(const char* text, const char* what, long from, long to) {
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value < from || value > to) {
        std::fprintf(stderr, "error: bench_terrain: %s '%s' is not a whole number from %ld to %ld\n", what, text,
                     from, to);
        return -1;
    }
    return value;
}

int Usage() {
    std::fprintf(stderr,
                 "error: bench_terrain: usage: bench_terrain smooth|binary N FILE | relief N [LEVELS] FILE | "
                 "tall|deposition N MEAN FILE\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) return Usage();
    const std::string kind = argv[1];
    const bool plain = kind == "smooth" || kind == "binary";
    const bool raised = kind == "tall" || kind == "deposition";
    const bool relief = kind == "relief";
    if (!(plain && argc == 4) && !(raised && argc == 5) && !(relief && (argc == 4 || argc == 5))) return Usage();

    const long size = Number(argv[2], "the size N", 1, 1 << 16);
    // Heights stay within 32 bits however rough the surface around the mean.
    long extra = relief ? 24 : 0;
    if (argc == 5) extra = Number(argv[3], relief ? "LEVELS" : "MEAN", relief ? 1 : 0, 1 << 30);
    if (size < 0 || extra < 0) return 2;
    const int n = static_cast<int>(size), value = static_cast<int>(extra);
    const std::string fileName = argv[argc - 1];

    std::mt19937 random(12345);
    std::function<int(int, int)> height;
    if (kind == "smooth") height = [n](int c, int r) { return SmoothHeight(c, r, n); };
    if (kind == "binary") height = [&random](int, int) { return static_cast<int>(random() & 1); };
    if (relief) height = [value](int c, int r) { return ReliefHeight(c, r, value); };
    if (kind == "tall") height = [value](int c, int r) { return value + ReliefHeight(c, r, 4); };
    if (kind == "deposition") height = [value](int c, int r) { return DepositionHeight(c, r, value); };

    std::uint64_t points = 0;
    if (IsNpyFile(fileName)) {
        HeightGrid grid;
        grid.columns = grid.rows = n;
        grid.heights.resize(static_cast<std::size_t>(n) * static_cast<std::size_t>(n));
        std::size_t cell = 0;
        for (int row = 0; row < n; ++row) {
            for (int column = 0; column < n; ++column) grid.heights[cell++] = height(column, row);
        }
        points = grid.spheres();
        const std::string failed = WriteNpyGrid(fileName, grid);
        if (!failed.empty()) {
            std::fprintf(stderr, "error: bench_terrain: cannot write %s: %s\n", fileName.c_str(), failed.c_str());
            return 1;
        }
    } else {
        std::FILE* out = std::fopen(fileName.c_str(), "wb");
        if (!out) {
            std::fprintf(stderr, "error: bench_terrain: cannot write %s: %s\n", fileName.c_str(), std::strerror(errno));
            return 1;
        }
        std::string line;
        std::fprintf(out, "%d\n", n);
        for (int row = 0; row < n; ++row) {
            line.clear();
            for (int column = 0; column < n; ++column) {
                const int h = height(column, row);
                points += static_cast<std::uint64_t>(h) + 1;
                line += std::to_string(h);
                line += ' ';
            }
            line += '\n';
            std::fwrite(line.data(), 1, line.size(), out);
        }
        if (std::fclose(out) != 0) {
            std::fprintf(stderr, "error: bench_terrain: cannot finish writing %s\n", fileName.c_str());
            return 1;
        }
    }
    std::printf("%llu\n", static_cast<unsigned long long>(points));
    return 0;
}
