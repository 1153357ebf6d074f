// The line that says what a pixel shows, in the data file's own terms: its
// column and row as the file counts them, from 1, the level, and, where
// config.txt gives them, the height and the ground position in metres.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "picking/sphere_pick.h"

// How the data file and config.txt name what a pick found.
struct PickTerms {
    // The grid's rows, and whether the file writes its northernmost row
    // (the highest y) first, as an .asc file does; else its first row is
    // y = 0.
    std::int64_t rows = 0;
    bool northFirst = false;
    // data/metres-per-level (0: heights in levels only), data/level-0-metres
    // and data/cell-metres (0: no ground position).
    double metresPerLevel = 0;
    double levelZeroMetres = 0;
    double cellMetres = 0;
    // data/origin and data/cell-size (both needed for a position on a
    // map), and data/crs ("": not named).
    std::optional<std::array<double, 2>> origin;
    std::optional<std::array<double, 2>> cellSize;
    std::string crs;
};

// The row that holds grid row `y`, as the file counts its rows, from 1.
std::int64_t FileRow(std::int64_t y, const PickTerms& terms);
// "column C, row R": the cell at grid coordinates (x, y) as the file counts
// its cells, from 1.
std::string CellName(std::int64_t x, std::int64_t y, const PickTerms& terms);
// Metres to the centimetre, without the zeros after the point: "12.5 m".
std::string MetresText(double value);

// "pick X,Y: column C, row R, level L" with ", H m" and ", E m east, N m
// north of the grid's corner" and ", at X Y (CRS)" where the terms allow;
// "pick X,Y: background" for a pixel that shows no sphere.
std::string PickLine(int x, int y, const SpherePick& pick, const PickTerms& terms);
