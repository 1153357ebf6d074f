// An ESRI ASCII grid shown directly lies as pelorin-import lays the same
// raster, so the two look alike: the file's first row is the north, the
// data's last row, and its columns run east.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "asc_grid.h"
#include "asc_text.h"
#include "grid_mapping.h"

namespace {

TEST(AscPlacement, AsTheImporterPlacesARaster) {
    const double hole = std::nan("");
    // North first; no two cells alike, so any turn or mirror shows.
    const std::vector<double> raster = {
        312.0, 318.5, 325.0, hole,   //
        309.5, 315.0, 330.0, 341.5,  //
        301.0, 306.5, 322.0, 336.0,  //
        hole,  303.0, 311.5, 327.0,
    };
    const int side = 4;
    double lowest = 0, highest = 0;
    ASSERT_TRUE(ValidRange(raster, lowest, highest));
    const double metresPerLevel = 2.5;
    LevelGrid imported;
    ASSERT_TRUE(MapHeights(raster, FitIntoSquare(side, side, side), true, false,
                           ScaleForMetres(lowest, highest, metresPerLevel), imported));

    AscRows rows(side);
    for (int i = 0; i < side * side; ++i) {
        const double value = raster[static_cast<std::size_t>(i)];
        rows[static_cast<std::size_t>(i / side)].push_back(std::isnan(value) ? "-9999" : ValueText(value));
    }
    std::istringstream in(AscText(rows, "-9999"));
    HeightGrid shown;
    const AscRead read =
        ReadAscGrid(in, shown, std::numeric_limits<std::uint64_t>::max(), LevelMapping{metresPerLevel, lowest});
    ASSERT_EQ(read.refused, "");
    EXPECT_EQ(shown.columns, imported.cells.columns);
    EXPECT_EQ(shown.rows, imported.cells.rows);
    EXPECT_EQ(shown.heights, imported.cells.heights);
}

}  // namespace
