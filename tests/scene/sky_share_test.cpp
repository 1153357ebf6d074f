// The share of the sky a sphere sees over the columns around it.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "survey/sky_share.h"

namespace {

// A plateau of height 8 on a 40 x 40 grid with a 3x3 pit at (20, 20) down to
// level 0, and one column of height 20 at (5, 35).
struct Grid {
    std::int64_t size = 40;
    std::vector<std::int32_t> tops;
    Grid() : tops(static_cast<std::size_t>(size * size), 8) {
        for (std::int64_t y = 19; y <= 21; ++y) {
            for (std::int64_t x = 19; x <= 21; ++x) tops[static_cast<std::size_t>(y * size + x)] = 0;
        }
        tops[static_cast<std::size_t>(35 * size + 5)] = 20;
    }
};

TEST(SkyShares, OpenTopsDarkPitsAndWalls) {
    const Grid grid;
    const SkyShares sky(grid.tops.data(), grid.size, grid.size, 1.0, 0.75);
    const struct {
        const char* name;
        std::int64_t x, y;
        std::int32_t level;
        float least, most;
    } cases[] = {
        {"the plateau far from the pit sees all the sky", 8, 8, 8, 1.0f, 1.0f},
        {"the plateau at the pit's rim loses nothing to it", 18, 20, 8, 1.0f, 1.0f},
        {"the pit's floor sees a sliver", 20, 20, 0, 0.0f, 0.15f},
        {"the pit's floor at its wall sees less still", 19, 20, 0, 0.0f, 0.12f},
        {"a sphere inside a column sees only beside the one above it", 8, 8, 3, 0.0f, 0.4375f},
        {"the tall column's top sees everything", 5, 35, 20, 1.0f, 1.0f},
        {"the plateau beside the tall column loses some", 6, 35, 8, 0.6f, 0.95f},
        {"off the grid is open sky", -1, 3, 0, 1.0f, 1.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const float share = sky.At(c.x, c.y, c.level);
        EXPECT_GE(share, c.least);
        EXPECT_LE(share, c.most);
    }
    // Half as far apart, the same walls hide more of the sky.
    const SkyShares close(grid.tops.data(), grid.size, grid.size, 0.5, 0.75);
    EXPECT_LT(close.At(6, 35, 8), sky.At(6, 35, 8));
    EXPECT_EQ(sky.Byte(8, 8, 8), 255);
}

}  // namespace
