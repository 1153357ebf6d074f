// The legend and the scale bar for values at the edges of what a double
// holds: every picture is drawn in bounded time, and the scale bar's length
// stays finite.
#include <gtest/gtest.h>

#include <limits>
#include <ostream>
#include <string>

#include "overlays/axes_overlay.h"
#include "child_process.h"

namespace {

struct OverlayCase {
    const char* name;
    std::string config;
};
void PrintTo(const OverlayCase& c, std::ostream* out) { *out << c.name; }

class OverlayPictures : public testing::TestWithParam<OverlayCase> {};

// A run that loops is killed at the deadline; a passing one takes a second.
TEST_P(OverlayPictures, DrawnWithinTheDeadline) {
    TempDir dir("overlay");
    WriteFile(dir / "data.txt", "3\n1 0 2 \n0 0 0 \n2 1 0 \n");
    WriteFile(dir / "config.txt", GetParam().config);
    ChildProcess render(dir.path(), PELORIN_RENDER, {"--size", "320x240"}, {SanitizerOptionsForGlProgram()});
    EXPECT_EQ(render.wait(90), 0) << render.errors();
    EXPECT_EQ(render.output(), "data prepared\nwrote pelorin.png\n");
    EXPECT_EQ(render.errors(), "");
}

const std::string legendConfig = "[display]\ncolour = height\nlegend = 1\n";
const std::string axes = "[display]\naxes = 1\n";

INSTANTIATE_TEST_SUITE_P(
    Extremes, OverlayPictures,
    testing::Values(
        OverlayCase{"LevelsAtTwoToThe53", legendConfig + "colour-range = '9007199254740992 9007199254740994'\n"},
        OverlayCase{"MetresAtTwoToThe53",
                    legendConfig + "[data]\nlevel-0-metres = 9007199254740992\nmetres-per-level = 1\n"},
        OverlayCase{"LevelsFinerThanTheirBase", legendConfig + "[data]\nlevel-0-metres = 1e20\nmetres-per-level = 1e-10\n"},
        OverlayCase{"CellsOf1e308Metres", axes + "[data]\ncell-metres = 1e308\n"},
        // A fifth of the picture's width in metres is past the largest double.
        OverlayCase{"CellsAsTheImporterWritesThem", axes + "[data]\ncell-metres = 1e+306\n[camera]\ndistance = 1e4\n"},
        OverlayCase{"CellsOf1e300MetresFarOut", axes + "[data]\ncell-metres = 1e300\n[camera]\ndistance = 1e10\n"},
        OverlayCase{"CellsOfTheSmallestDouble", axes + "[data]\ncell-metres = 4.9e-324\n"}),
    [](const testing::TestParamInfo<OverlayCase>& paramInfo) { return paramInfo.param.name; });

// Any metres per pixel: a finite length no longer than a fifth of the
// picture, or none.
TEST(ScaleBarFor, AtTheEdgesOfADouble) {
    const struct {
        double metresPerPixel;
        int width;
        const char* label;
    } bars[] = {{1e308, 800, ""}, {std::numeric_limits<double>::max(), 1, "2e+304 km"}, {1e300, 800, "1e+299 km"},
                {std::numeric_limits<double>::denorm_min(), 1, ""}, {1, 800, "100 m"}};
    for (const auto& c : bars) {
        const ScaleBar bar = ScaleBarFor(c.metresPerPixel, c.width);
        EXPECT_EQ(bar.label, c.label) << c.metresPerPixel;
        EXPECT_LE(bar.pixels, c.width / 5.0);
    }
}

}  // namespace
