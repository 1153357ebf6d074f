// The values read off two picked cells: the cells a profile crosses, in
// order and each once, with the distance to where the line enters each; the
// table written of them; and the line that measures the two apart.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "height_grids.h"
#include "picking/measure_line.h"
#include "picking/profile.h"
#include "survey/point_survey.h"

namespace {

// The file's rows and the metres config.txt gives; no place on a map.
PickTerms Terms(std::int64_t rows, bool northFirst, double metresPerLevel, double levelZeroMetres,
                double cellMetres) {
    PickTerms terms;
    terms.rows = rows;
    terms.northFirst = northFirst;
    terms.metresPerLevel = metresPerLevel;
    terms.levelZeroMetres = levelZeroMetres;
    terms.cellMetres = cellMetres;
    return terms;
}

struct Expected {
    std::int64_t x, y;
    double share;  // of the whole line's length
};

struct WalkCase {
    const char* name;
    std::int64_t x0, y0, x1, y1;
    std::vector<Expected> cells;
};

TEST(ProfileWalk, CrossesEachCellOnTheLineOnceInOrder) {
    const WalkCase cases[] = {
        {"SingleCell", 3, 3, 3, 3, {{3, 3, 0}}},
        {"Horizontal", 1, 2, 4, 2, {{1, 2, 0}, {2, 2, 1.0 / 6}, {3, 2, 3.0 / 6}, {4, 2, 5.0 / 6}}},
        {"VerticalDownwards", 2, 5, 2, 3, {{2, 5, 0}, {2, 4, 0.25}, {2, 3, 0.75}}},
        // Through the corners: the cells beside them are only touched.
        {"DiagonalThroughCorners", 0, 0, 3, 3, {{0, 0, 0}, {1, 1, 1.0 / 6}, {2, 2, 3.0 / 6}, {3, 3, 5.0 / 6}}},
        // Two across for one up: borders across x at a quarter and three
        // quarters of the way, across y at half.
        {"SlopeTwoToOne", 0, 0, 2, 1, {{0, 0, 0}, {1, 0, 0.25}, {1, 1, 0.5}, {2, 1, 0.75}}},
        {"SlopeTwoToOneBackwards", 2, 1, 0, 0, {{2, 1, 0}, {1, 1, 0.25}, {1, 0, 0.5}, {0, 0, 0.75}}},
        // Three across for one up meets a corner half way.
        {"CornerHalfWay", 0, 0, 3, 1, {{0, 0, 0}, {1, 0, 1.0 / 6}, {2, 1, 0.5}, {3, 1, 5.0 / 6}}},
        {"SteepNegativeX", 5, 0, 4, 3, {{5, 0, 0}, {5, 1, 1.0 / 6}, {4, 2, 0.5}, {4, 3, 5.0 / 6}}},
    };
    for (const WalkCase& c : cases) {
        SCOPED_TRACE(c.name);
        const double length = std::hypot(static_cast<double>(c.x1 - c.x0), static_cast<double>(c.y1 - c.y0));
        const std::vector<ProfileCell> cells = CellsAlong(c.x0, c.y0, c.x1, c.y1);
        ASSERT_EQ(cells.size(), c.cells.size());
        for (std::size_t i = 0; i < cells.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(cells[i].x, c.cells[i].x);
            EXPECT_EQ(cells[i].y, c.cells[i].y);
            EXPECT_NEAR(cells[i].distance, c.cells[i].share * length, 1e-9);
        }
    }
}

TEST(ProfileWalk, LongLinesStepOneNeighbourAtATime) {
    // Far from hand-checked sizes: every step is to a side or, at an exact
    // corner, a diagonal neighbour, and the distances only grow.
    const std::int64_t ends[][4] = {{0, 0, 2047, 1}, {0, 0, 1365, 2047}, {10, 2000, 2000, 10}, {7, 3, 1031, 515}};
    for (const auto& e : ends) {
        const std::vector<ProfileCell> cells = CellsAlong(e[0], e[1], e[2], e[3]);
        ASSERT_FALSE(cells.empty());
        EXPECT_EQ(cells.back().x, e[2]);
        EXPECT_EQ(cells.back().y, e[3]);
        const std::int64_t across = std::llabs(e[2] - e[0]), up = std::llabs(e[3] - e[1]);
        EXPECT_LE(static_cast<std::int64_t>(cells.size()), across + up + 1);
        EXPECT_GE(static_cast<std::int64_t>(cells.size()), std::max(across, up) + 1);
        for (std::size_t i = 1; i < cells.size(); ++i) {
            const std::int64_t dx = std::llabs(cells[i].x - cells[i - 1].x);
            const std::int64_t dy = std::llabs(cells[i].y - cells[i - 1].y);
            ASSERT_TRUE(dx <= 1 && dy <= 1 && dx + dy >= 1) << "step " << i;
            ASSERT_GT(cells[i].distance, cells[i - 1].distance) << "step " << i;
        }
    }
}

TEST(ProfileTable, NamesColumnsWithUnitsAndLeavesEmptyCellsBlank) {
    // Row y = 0 first; the cell at (1, 1) is empty.
    const PointSurvey survey = SurveyGrid(GridOf({{2, 3, 4}, {5, -1, 7}, {8, 9, 10}}));
    const std::vector<ProfileCell> cells = CellsAlong(0, 0, 2, 2);
    struct TableCase {
        const char* name;
        PickTerms terms;
        std::string table;
    };
    const TableCase cases[] = {
        {"GridUnits", Terms(3, false, 0, 0, 0), "distance_cells,column,row,level\n0,1,1,2\n0.7071,2,2,\n2.1213,3,3,10\n"},
        {"Metres",
         Terms(3, false, 2.5, 100, 10),
         "distance_m,column,row,level,height_m\n0,1,1,2,105\n7.07,2,2,,\n21.21,3,3,10,125\n"},
        // An .asc file's first row is the northernmost, y = 2 here.
        {"NorthFirst", Terms(3, true, 0, 0, 0), "distance_cells,column,row,level\n0,1,3,2\n0.7071,2,2,\n2.1213,3,1,10\n"},
    };
    for (const TableCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ProfileCsv(cells, survey.columns, c.terms), c.table);
    }
}

TEST(ProfileTable, CellsOffTheTableHaveNoLevel) {
    const PointSurvey survey = SurveyGrid(GridOf({{1, 1}, {1, 1}}));
    EXPECT_EQ(TopOf(survey.columns, 1, 1), 1);
    for (const auto& cell : {std::pair<int, int>{-1, 0}, {2, 0}, {0, -1}, {0, 2}, {50, 50}}) {
        EXPECT_EQ(TopOf(survey.columns, cell.first, cell.second), -1) << cell.first << "," << cell.second;
    }
    EXPECT_EQ(TopOf(ColumnTable{}, 0, 0), -1);
}

SpherePick At(std::int64_t x, std::int64_t y, std::int32_t level) {
    SpherePick pick;
    pick.hit = true;
    pick.x = x;
    pick.y = y;
    pick.level = level;
    return pick;
}

TEST(MeasureLine, GivesGroundSpaceAndHeightInTheUnitsKnown) {
    struct MeasureCase {
        const char* name;
        SpherePick from, to;
        PickTerms terms;
        std::string line;
    };
    // Seven across, four up and a rise of ten levels.
    const MeasureCase cases[] = {
        {"BothInMetres", At(2, 4, 5), At(9, 8, 15), Terms(20, false, 10, 0, 100),
         "measure column 3, row 5 to column 10, row 9: ground 806.23 m, 3-D 812.4 m, height +100 m"},
        {"GridUnits", At(2, 4, 5), At(9, 8, 15), Terms(20, false, 0, 0, 0),
         "measure column 3, row 5 to column 10, row 9: ground 8.06 cells, 3-D 12.85 grid units, height +10 levels"},
        {"GroundMetresOnly", At(2, 4, 5), At(9, 8, 15), Terms(20, false, 0, 0, 100),
         "measure column 3, row 5 to column 10, row 9: ground 806.23 m, 3-D 12.85 grid units, height +10 levels"},
        {"HeightMetresOnly", At(9, 8, 15), At(2, 4, 5), Terms(20, false, 2.5, 300, 0),
         "measure column 10, row 9 to column 3, row 5: ground 8.06 cells, 3-D 12.85 grid units, height -25 m"},
        {"OneLevelDown", At(0, 0, 1), At(1, 0, 0), Terms(1, false, 0, 0, 0),
         "measure column 1, row 1 to column 2, row 1: ground 1 cell, 3-D 1.41 grid units, height -1 level"},
        {"SameCell", At(3, 0, 4), At(3, 0, 4), Terms(5, true, 1, 0, 1),
         "measure column 4, row 5 to column 4, row 5: ground 0 m, 3-D 0 m, height 0 m"},
    };
    for (const MeasureCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(MeasureLine(c.from, c.to, c.terms), c.line);
    }
}

}  // namespace
