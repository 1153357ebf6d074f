// The fitted view beside its overlays: drawn with the legend, the axes and
// the scale bar, and drawn again from the very same camera without them,
// the two pictures differ only where there is no terrain, and the terrain
// fills the rectangle the overlays leave free, for pictures 4:3 and 16:9.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>

#include "child_process.h"
#include "config_store.h"
#include "framing.h"
#include "grid_reading.h"
#include "png_read.h"
#include "survey/point_survey.h"
#include "temp_files.h"

namespace {

std::string ExampleTerrain() { return ReadFile(PELORIN_EXAMPLE_DATA); }

// Rolling hills on a square grid, as data file text.
std::string Relief(int side) {
    std::string text = std::to_string(side) + "\n";
    for (int row = 0; row < side; ++row) {
        for (int column = 0; column < side; ++column) {
            text += std::to_string(static_cast<int>(6 + 5 * std::sin(column / 7.0) * std::cos(row / 11.0))) + " ";
        }
        text += "\n";
    }
    return text;
}

struct LayoutCase {
    const char* name;
    std::string data;
    std::string keys;    // of [display], beyond the fit and the overlays
    std::string angles;  // of [camera]
    int width, height;
};
void PrintTo(const LayoutCase& c, std::ostream* out) { *out << c.name; }

class FittedBesideOverlays : public testing::TestWithParam<LayoutCase> {};

const std::string overlayKeys = "legend = 1\naxes = 1\ncaption = 'frame ${frame} of ${frames}: ${file}'\n";

TEST_P(FittedBesideOverlays, NoOverlayOnTheTerrainWhichFillsTheFreeRectangle) {
    const LayoutCase& c = GetParam();
    TempDir dir("overlay-layout");
    WriteFile(dir / "data.txt", c.data);
    const std::string display = "[display]\nfit-view = 1\ncolour = height\nrenderer = impostors\n" + c.keys;
    const std::string data = "[data]\nfile = data.txt\ncell-metres = 30\n";
    const std::string size = std::to_string(c.width) + "x" + std::to_string(c.height);
    auto draw = [&](const std::string& config) {
        WriteFile(dir / "config.txt", config);
        ChildProcess render(dir.path(), PELORIN_RENDER, {"--size", size}, {SanitizerOptionsForGlProgram()});
        EXPECT_EQ(render.wait(120), 0) << render.errors();
        EXPECT_EQ(render.errors(), "");
        return ReadPng(dir / "pelorin.png").picture;
    };
    const std::string withOverlays = data + display + overlayKeys + "[camera]\n" + c.angles;
    const Picture overlaid = draw(withOverlays);

    // The camera and the free rectangle the program worked out, from the
    // same settings and the same survey of the grid.
    const ConfigStore store((dir / "config.txt").c_str());
    const SceneSettings settings = ReadSceneSettings(store);
    std::istringstream text(c.data);
    HeightGrid grid;
    ReadGridFile(text, "data.txt", grid, 1u << 24);
    const PointSurvey survey = SurveyGrid(grid);
    const OrbitCamera camera = OpeningCameraFor(settings, survey, c.width, c.height);
    const Box free = OverlaysFor(settings, survey, c.width, c.height).free;

    char cameraKeys[160];
    std::snprintf(cameraKeys, sizeof cameraKeys, "[camera]\ndistance = %.17g\ncenter = '%.17g %.17g %.17g'\n",
                  camera.distance, camera.centre[0], camera.centre[1], camera.centre[2]);
    const Picture bare = draw(data + display + cameraKeys + c.angles);
    ASSERT_EQ(overlaid.width, c.width);
    ASSERT_EQ(bare.width, c.width);

    long overlayPixels = 0, onTerrain = 0;
    int left = c.width, right = -1, top = c.height, bottom = -1;  // rows from the top
    for (int y = 0; y < c.height; ++y) {
        for (int x = 0; x < c.width; ++x) {
            const bool terrain = !IsWhite(bare.pixel(x, y));
            const unsigned char *a = overlaid.pixel(x, y), *b = bare.pixel(x, y);
            const bool differs = a[0] != b[0] || a[1] != b[1] || a[2] != b[2];
            overlayPixels += differs;
            onTerrain += differs && terrain;
            if (terrain) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    EXPECT_GT(overlayPixels, 2000) << "the overlays were not drawn";
    EXPECT_EQ(onTerrain, 0);
    ASSERT_GE(right, left);
    // Rows from the top against the rectangle's from the bottom.
    EXPECT_GE(left, free.left - 1);
    EXPECT_LE(right + 1, free.right + 1);
    EXPECT_GE(c.height - 1 - bottom, free.bottom - 1);
    EXPECT_LE(c.height - top, free.top + 1);
    const double wide = (right - left + 1) / free.width(), high = (bottom - top + 1) / free.height();
    EXPECT_TRUE(wide >= 0.8 || high >= 0.8) << "the terrain spans " << wide << " of the free width and " << high
                                            << " of its height";
}

INSTANTIATE_TEST_SUITE_P(
    Terrains, FittedBesideOverlays,
    testing::Values(LayoutCase{"Example800x600", ExampleTerrain(), "sphere-r = 0.6\n", "", 800, 600},
                    LayoutCase{"Example1920x1080", ExampleTerrain(), "sphere-r = 0.6\n", "", 1920, 1080},
                    LayoutCase{"Relief800x600", Relief(120), "cull-hidden = 1\n", "", 800, 600},
                    LayoutCase{"Relief1920x1080", Relief(120), "cull-hidden = 1\n", "", 1920, 1080},
                    LayoutCase{"ReliefFromTheSide1920x1080", Relief(120), "cull-hidden = 1\n",
                               "azimuth = 200\nelevation = 20\n", 1920, 1080},
                    LayoutCase{"ExampleTall600x900", ExampleTerrain(), "", "", 600, 900}),
    [](const testing::TestParamInfo<LayoutCase>& paramInfo) { return paramInfo.param.name; });

}  // namespace
