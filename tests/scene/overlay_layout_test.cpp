// Where the overlays stand and the rectangle they leave free: no two meet,
// each stays on the picture, the free rectangle meets none of them, and
// without a fitted view they keep their fixed places.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "overlays/overlay_layout.h"

namespace {

bool Within(const Box& inner, const Box& outer) {
    return inner.left >= outer.left && inner.right <= outer.right && inner.bottom >= outer.bottom &&
           inner.top <= outer.top;
}

TEST(LargestFreeBox, ClearOfEveryBoxAndLargestForTheShape) {
    const struct {
        const char* name;
        std::vector<Box> taken;
        double aspect;
        Box expected;
    } cases[] = {
        {"nothing taken", {}, 1.5, {0, 0, 800, 600}},
        {"a column at the right", {{640, 150, 780, 450}}, 1.5, {0, 0, 640, 600}},
        {"a corner and a column: a wide shape takes the band above the corner",
         {{10, 10, 130, 130}, {640, 150, 780, 450}},
         1.5,
         {0, 130, 640, 600}},
        {"a bar across the bottom and a wide shape", {{0, 0, 800, 100}, {700, 0, 800, 600}}, 3, {0, 100, 700, 600}},
        {"a tall shape beside a box in the middle of the top", {{300, 400, 500, 600}}, 0.5, {0, 0, 300, 600}},
        {"a box past the picture's edge", {{-50, -50, 100, 700}}, 1, {100, 0, 800, 600}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Box free = LargestFreeBox(c.taken, 800, 600, c.aspect);
        EXPECT_EQ(free.left, c.expected.left);
        EXPECT_EQ(free.bottom, c.expected.bottom);
        EXPECT_EQ(free.right, c.expected.right);
        EXPECT_EQ(free.top, c.expected.top);
        for (const Box& box : c.taken) EXPECT_FALSE(Overlap(free, box));
    }
}

TEST(OverlayLayout, PanelsApartOnThePictureAndClearOfTheFreeRectangle) {
    WantedOverlays all;
    all.legend = LegendScale{{0, 250}, 0, 0};
    all.axes = true;
    all.cellMetres = 30;
    WantedOverlays axesOnly;
    axesOnly.axes = true;
    WantedOverlays legendInMetres;
    legendInMetres.legend = LegendScale{{-3, 4000}, 0.25, -120};
    const struct {
        const char* name;
        WantedOverlays wanted;
        std::size_t boxes;
    } sets[] = {{"all", all, 3}, {"axes", axesOnly, 1}, {"legend in metres", legendInMetres, 1}, {"none", {}, 0}};
    const struct {
        int width, height;
    } sizes[] = {{800, 600}, {1920, 1080}, {600, 900}, {320, 240}, {3000, 400}};
    for (const auto& set : sets) {
        for (const auto& size : sizes) {
            for (const bool fitted : {false, true}) {
                for (const double aspect : {0.5, 1.4, 4.0}) {
                    SCOPED_TRACE(std::string(set.name) + " on " + std::to_string(size.width) + "x" +
                                 std::to_string(size.height) + (fitted ? ", fitted" : "") + ", aspect " +
                                 std::to_string(aspect));
                    const OverlayLayout layout = LayOutOverlays(set.wanted, size.width, size.height, fitted, aspect);
                    const Box picture{0, 0, static_cast<double>(size.width), static_cast<double>(size.height)};
                    ASSERT_EQ(layout.taken.size(), set.boxes);
                    for (std::size_t i = 0; i < layout.taken.size(); ++i) {
                        EXPECT_TRUE(Within(layout.taken[i], picture)) << "box " << i;
                        EXPECT_FALSE(Overlap(layout.taken[i], layout.free)) << "box " << i;
                        for (std::size_t j = i + 1; j < layout.taken.size(); ++j) {
                            EXPECT_FALSE(Overlap(layout.taken[i], layout.taken[j])) << "boxes " << i << ", " << j;
                        }
                    }
                    EXPECT_TRUE(Within(layout.free, picture));
                    // It cannot grow: a pixel more on any side leaves the
                    // picture or meets a box.
                    for (int side = 0; side < 4; ++side) {
                        Box grown = layout.free;
                        (side == 0 ? grown.left : side == 1 ? grown.bottom : side == 2 ? grown.right : grown.top) +=
                            side < 2 ? -1 : 1;
                        const bool meets = std::any_of(layout.taken.begin(), layout.taken.end(),
                                                       [&](const Box& box) { return Overlap(box, grown); });
                        EXPECT_TRUE(meets || !Within(grown, picture)) << "side " << side;
                    }
                    if (!fitted) {
                        const LegendPlace edge = EdgeLegendPlace(size.width, size.height);
                        if (layout.legend) {
                            EXPECT_EQ(layout.legend->right, edge.right);
                            EXPECT_EQ(layout.legend->middle, edge.middle);
                        }
                        const AxesPlace corner = CornerAxesPlace(size.width, size.height);
                        if (layout.axes) {
                            EXPECT_EQ(layout.axes->tripodLeft, corner.tripodLeft);
                            EXPECT_EQ(layout.axes->barMiddle, corner.barMiddle);
                        }
                    }
                }
            }
        }
    }
}

// Fitted on a wide picture, the overlays gather at the right edge and leave
// the terrain the whole height; a scale bar there is no wider than the
// column.
TEST(OverlayLayout, FittedOnAWidePictureInAColumnAtTheRight) {
    WantedOverlays all;
    all.legend = LegendScale{{0, 6}, 0, 0};
    all.axes = true;
    all.cellMetres = 30;
    const OverlayLayout layout = LayOutOverlays(all, 1920, 1080, true, 1.4);
    EXPECT_EQ(layout.free.left, 0);
    EXPECT_EQ(layout.free.bottom, 0);
    EXPECT_EQ(layout.free.top, 1080);
    double columnLeft = 1920;
    for (const Box& box : layout.taken) columnLeft = std::min(columnLeft, box.left);
    EXPECT_EQ(layout.free.right, columnLeft);
    EXPECT_LT(1920 - columnLeft, 0.2 * 1920);
}

}  // namespace
