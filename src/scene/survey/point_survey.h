// What the scene needs to know of a point set as a whole, worked out once
// when the set is shown: its extent, its range of levels, and, when the
// points form whole-number columns, the top level of every column. Framing,
// culling, tiles and colours all read it instead of walking the points again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "vec3.h"
#include "survey/point_view.h"


// The columns of a point set in which every (x, y) holds one run of the
// levels 0, 1, ..., h in a row, as the grid loader writes them. The table
// has one empty column more on every side, so neighbours need no bounds
// checks.
struct ColumnTable {
    std::int64_t lowestX = 0, lowestY = 0;  // grid coordinates of table column (1, 1)
    std::int64_t width = 0, depth = 0;      // table size, border included
    std::vector<std::int32_t> top;           // top level of each column, -1 where empty

    bool empty() const { return top.empty(); }
    std::size_t CellOf(double x, double y) const {
        return static_cast<std::size_t>((static_cast<std::int64_t>(y) - lowestY + 1) * width +
                                        (static_cast<std::int64_t>(x) - lowestX + 1));
    }
};

struct PointSurvey {
    std::size_t count = 0;
    // Extent of the points, each axis; zero when there are none.
    Point3 lowest{};
    Point3 highest{};
    // Every level a whole number, with few enough levels between the lowest
    // and the highest to group the points by level.
    bool wholeLevels = false;
    // Empty unless the points form whole-number columns (see ColumnTable)
    // within a table no larger than a small multiple of the point count.
    ColumnTable columns;
    // The lowest level drawn (see ApplyFloor): 0 unless a floor is set.
    std::int32_t floor = 0;
    // The 1st and 99th percentile of the columns' tops, where the top
    // surface lies; the extent of the levels without columns.
    double topLow = 0, topHigh = 0;

    bool empty() const { return count == 0; }
};

PointSurvey SurveyPoints(const PointView& points);

struct HeightGrid;
// The same survey of a grid's spheres, from the heights alone: always with
// its columns, whatever the heights.
PointSurvey SurveyGrid(const HeightGrid& grid);

// Leaves out every sphere below level `floor` of a survey with columns: the
// columns start there, those that do not reach it are gone, and the extent
// and count are of what is left.
void ApplyFloor(PointSurvey& survey, std::int32_t floor);
