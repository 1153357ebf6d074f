// The heights along a straight line between two picked cells, for a
// profile: every cell the line between their centres crosses, in order,
// each once, and the table written of them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "picking/pick_line.h"
#include "survey/point_survey.h"

struct ProfileCell {
    std::int64_t x = 0;
    std::int64_t y = 0;
    // Along the line from the first cell's centre to where the line enters
    // this cell, in cells (0 for the first).
    double distance = 0;
};

// The cells, in grid coordinates, that the segment from the centre of cell
// (x0, y0) to the centre of (x1, y1) passes through, both ends included. The
// crossings are compared in whole numbers, so a line through a corner of
// four cells goes straight to the diagonal one: the two it only touches at
// that point are not on it.
std::vector<ProfileCell> CellsAlong(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1);

// The top level of column (x, y) of `columns`; -1 where it has no sphere or
// lies outside the table.
std::int32_t TopOf(const ColumnTable& columns, std::int64_t x, std::int64_t y);

// The profile as comma-separated lines: a header naming each column with
// its unit, then distance, column, row (as the file counts them), level
// (empty for a cell without a sphere) and, with metres per level, height.
std::string ProfileCsv(const std::vector<ProfileCell>& cells, const ColumnTable& columns, const PickTerms& terms);
