// The legend and the scale bar for values at the edges of what a double
// holds: every picture is drawn in bounded time, and the overlays' own
// numbers stay finite and few.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

#include "axes_overlay.h"
#include "child_process.h"
#include "colour_legend.h"

namespace {

const char* const kGrid = "3\n1 0 2 \n0 0 0 \n2 1 0 \n";

struct OverlayCase {
    const char* name;
    std::string config;
};
void PrintTo(const OverlayCase& c, std::ostream* out) { *out << c.name; }

class OverlayPictures : public testing::TestWithParam<OverlayCase> {};

// A run that loops is killed at the deadline; a passing one takes a second.
TEST_P(OverlayPictures, DrawnWithinTheDeadline) {
    TempDir dir("overlay");
    WriteFile(dir / "data.txt", kGrid);
    WriteFile(dir / "config.txt", GetParam().config);
    ChildProcess render(dir.path(), PELORIN_RENDER, {"--size", "320x240"}, {SanitizerOptionsForGlProgram()});
    EXPECT_EQ(render.wait(90), 0) << render.errors();
    EXPECT_EQ(render.output(), "data prepared\nwrote pelorin.png\n");
    EXPECT_EQ(render.errors(), "");
}

const std::string kLegend = "[display]\ncolour = height\nlegend = 1\n";
const std::string kAxes = "[display]\naxes = 1\n";

INSTANTIATE_TEST_SUITE_P(
    Extremes, OverlayPictures,
    testing::Values(
        OverlayCase{"LevelsAtTwoToThe53", kLegend + "colour-range = '9007199254740992 9007199254740994'\n"},
        OverlayCase{"MetresAtTwoToThe53",
                    kLegend + "[data]\nlevel-0-metres = 9007199254740992\nmetres-per-level = 1\n"},
        OverlayCase{"LevelsFinerThanTheirBase", kLegend + "[data]\nlevel-0-metres = 1e20\nmetres-per-level = 1e-10\n"},
        OverlayCase{"LevelsOfTheLargestDouble", kLegend + "[data]\nmetres-per-level = 1.7e307\n"},
        OverlayCase{"CellsOf1e308Metres", kAxes + "[data]\ncell-metres = 1e308\n"},
        // A fifth of the picture's width in metres is past the largest double.
        OverlayCase{"CellsAsTheImporterWritesThem", kAxes + "[data]\ncell-metres = 1e+306\n[camera]\ndistance = 1e4\n"},
        OverlayCase{"CellsOf1e300MetresFarOut", kAxes + "[data]\ncell-metres = 1e300\n[camera]\ndistance = 1e10\n"},
        OverlayCase{"CellsOfTheSmallestDouble", kAxes + "[data]\ncell-metres = 4.9e-324\n"}),
    [](const testing::TestParamInfo<OverlayCase>& param_info) { return param_info.param.name; });

// The values beside the bar for ranges where one level is below a double's
// precision, or the values near the largest double: the ends, in order, and
// never more than six.
TEST(LegendTicksAtTheEdges, EndsInOrderAndAtMostSix) {
    const double largest = std::numeric_limits<double>::max();
    const struct {
        LegendScale scale;
        std::vector<std::string> labels;
    } cases[] = {
        {{{9007199254740992.0, 9007199254740994.0}}, {"9.007199e+15", "9.007199e+15 levels"}},
        // Round values between the ends, written to the digits the labels keep.
        {{{0, 24}, 1, 9007199254740992.0}, std::vector<std::string>(5, "9.007199e+15 m")},
        {{{0, 24}, 1e-10, 1e20}, {"1.000000e+20 m", "1.000000e+20 m"}},
        {{{-largest / 2, largest / 2}}, {"-9e+307", "-5e+307", "0e+00", "5e+307", "9e+307 levels"}},
        {{{0, 1}, 1e-320, 0}, {"0e+00 m", "2e-321 m", "4e-321 m", "6e-321 m", "8e-321 m", "1e-320 m"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.labels.front());
        const std::vector<LegendTick> ticks = LegendTicks(c.scale);
        std::vector<std::string> labels;
        for (const LegendTick& tick : ticks) labels.push_back(tick.label);
        EXPECT_EQ(labels, c.labels);
        ASSERT_FALSE(ticks.empty());
        EXPECT_EQ(ticks.front().level, c.scale.range.lowest);
        EXPECT_EQ(ticks.back().level, c.scale.range.highest);
        for (std::size_t i = 1; i < ticks.size(); ++i) EXPECT_GE(ticks[i].level, ticks[i - 1].level);
    }
}

// The scale bar for any metres per pixel: a finite length no longer than a
// fifth of the picture, or none.
TEST(ScaleBarAtTheEdges, FiniteAndWithinAFifthOrNone) {
    const double largest = std::numeric_limits<double>::max();
    const struct {
        double metresPerPixel;
        int width;
        const char* label;
    } cases[] = {
        {1e308, 800, ""},
        {largest, 1, "2e+304 km"},
        {1e300, 800, "1e+299 km"},
        // 5e-322 held as a denormal, to the precision it has.
        {std::numeric_limits<double>::denorm_min(), 800, "4.94066e-322 m"},
        {std::numeric_limits<double>::denorm_min(), 1, ""},
        {std::numeric_limits<double>::infinity(), 800, ""},
        {std::nan(""), 800, ""},
        {-1, 800, ""},
        {1, 800, "100 m"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.metresPerPixel << " m a pixel, " << c.width << " pixels");
        const ScaleBar bar = ScaleBarFor(c.metresPerPixel, c.width);
        EXPECT_EQ(bar.label, c.label);
        EXPECT_TRUE(std::isfinite(bar.metres));
        EXPECT_GE(bar.pixels, 0);
        EXPECT_LE(bar.pixels, c.width / 5.0 * (1 + 1e-9));
    }
}

}  // namespace
