// The values the colour legend writes beside its bar.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "overlays/bitmap_font.h"
#include "overlays/colour_legend.h"

namespace {

std::vector<std::string> Labels(const LegendScale& scale) {
    std::vector<std::string> labels;
    for (const LegendTick& tick : LegendTicks(scale)) labels.push_back(tick.label);
    return labels;
}

TEST(LegendTicks, EndsAndRoundValuesInLevelsOrMetres) {
    const struct {
        LegendScale scale;
        std::vector<std::string> labels;
    } cases[] = {
        {{{0, 24}}, {"0", "5", "10", "15", "20", "24 levels"}},
        {{{0, 4}}, {"0", "1", "2", "3", "4 levels"}},
        // Rounds to zero from below: no "-0".
        {{{-0.2, 9.8}}, {"0", "2", "4", "6", "8", "10 levels"}},
        {{{0, 23}, 17.4783, 238}, {"238 m", "300 m", "400 m", "500 m", "640 m"}},
        {{{0, 10}, 0.01, 0}, {"0.00 m", "0.02 m", "0.04 m", "0.06 m", "0.08 m", "0.10 m"}},
        {{{0, 100}, 1e6, 0}, {"0.0e+00 m", "2.0e+07 m", "4.0e+07 m", "6.0e+07 m", "8.0e+07 m", "1.0e+08 m"}},
        // Every sphere takes one colour: one value.
        {{{5, 5}}, {"5 levels"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.labels.back());
        EXPECT_EQ(Labels(c.scale), c.labels);
    }
}

// Over ranges of every scale and offset: three to six values from the low
// end up to the high one, distinct, and written in the font's characters.
TEST(LegendTicks, ThreeToSixDistinctValuesFromEndToEnd) {
    for (double span = 0.013; span < 1e9; span *= 1.37) {
        for (const double low : {-span * 0.61, 0.0, span * 3.3 + 7}) {
            for (const double metres : {0.0, 0.7}) {
                const LegendScale scale{{low, low + span}, metres, metres > 0 ? -40.0 : 0.0};
                const std::vector<LegendTick> ticks = LegendTicks(scale);
                SCOPED_TRACE(testing::Message() << low << " to " << low + span << ", " << metres << " m");
                ASSERT_GE(ticks.size(), 3u);
                ASSERT_LE(ticks.size(), 6u);
                EXPECT_EQ(ticks.front().level, low);
                EXPECT_EQ(ticks.back().level, low + span);
                for (std::size_t i = 1; i < ticks.size(); ++i) {
                    EXPECT_GT(ticks[i].level, ticks[i - 1].level);
                    EXPECT_NE(ticks[i].label, ticks[i - 1].label);
                }
                for (const LegendTick& tick : ticks) {
                    for (const char c : tick.label) EXPECT_TRUE(HasGlyph(c)) << tick.label;
                }
            }
        }
    }
}

}  // namespace
