// The impostor renderer in process, on a window of its own on a private Xvfb
// server, started through the viewer's own set-up with
// display/renderer = impostors: its pictures against the finest display lists,
// culling and tile skipping against the full picture, and the reduced set
// while a button is held.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "gl_test_support.h"
#include "picture.h"
#include "surf_data.h"
#include "temp_files.h"
#include "viewer.h"
#include "viewer_callbacks.h"
#include "viewer_state.h"
#include "xvfb_server.h"

namespace {

std::unique_ptr<TempDir> dir;
std::unique_ptr<SurfData> example;

class ImpostorWindow : public testing::Environment {
public:
    void SetUp() override {
        ASSERT_TRUE(StartPrivateDisplay(120));
        dir = std::make_unique<TempDir>("impostors");
        ASSERT_FALSE(dir->path().empty());
        example = std::make_unique<SurfData>(PELORIN_EXAMPLE_DATA);
        ASSERT_EQ(example->x.size(), 1097u);
        sphereRadius = 0.6;  // the example's own
        scene.options().renderer = Renderer::impostors;
        InitDisplay(example.get());
        for (int i = 0; i < 20; ++i) glutMainLoopEvent();
    }
};

// The same view drawn by the display lists at `tesel`, with the matrices
// the viewer's frame leaves.
Picture ListsPicture(int tesel) {
    ListRenderer lists(glutSolidSphere);
    lists.Build(*data, scene.survey(), sphereRadius, tesel, scene.options());
    DrawAndRead();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    lists.Draw();
    const Picture picture = ReadFrame();
    glDeleteLists(lists.sphereList(), 2);
    return picture;
}

struct View {
    double theta, phi, distance, cx, cy, cz;
    void Place() const {
        camTheta = theta, camPhi = phi, camDistance = distance;
        centerX = cx, centerY = cy, centerZ = cz;
    }
};

std::unique_ptr<SurfData> Grid(const std::string& name, const std::vector<std::vector<int>>& rows) {
    return GridAt(*dir / name, rows);
}

std::vector<std::vector<int>> Hill(int size) {
    std::vector<std::vector<int>> rows(size, std::vector<int>(size));
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) rows[y][x] = static_cast<int>(std::lround(3 + 3 * std::sin(x / 3.0) * std::cos(y / 4.0)));
    }
    return rows;
}

// Every case starts from the example at its start view with the defaults.
class Impostors : public testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset() {
        View{5 * M_PI / 4, M_PI / 4, 30, 10, 10, 0}.Place();
        ShowPoints(example.get());
        sphereRadius = 0.6;
        scene.options().cullHidden = false;
        scene.options().colourByHeight = false;
        scene.impostors().skipOutsideTiles = true;
        scene.impostors().coarseAfterSeconds = 1.0 / 25;
        dragMode = 0;
        BuildDisplayLists();
    }
};

TEST_F(Impostors, StartInPlaceOfTheListsAndBuildNone) {
    EXPECT_EQ(scene.active(), Renderer::impostors);
    EXPECT_EQ(sphereList, 0u);
    EXPECT_EQ(scene.spheres(), example->x.size());
    // "+" and "-" change the value; the picture and the lists stay as they are.
    const Picture before = DrawAndRead();
    const int tesel = sphereTesel;
    onKey('+', 0, 0);
    EXPECT_EQ(sphereTesel, tesel + 1);
    onKey('-', 0, 0);
    onKey('-', 0, 0);
    EXPECT_EQ(sphereTesel, tesel - 1);
    EXPECT_EQ(sphereList, 0u);
    EXPECT_EQ(DifferingPixels(before, DrawAndRead()), 0);
}

// True spheres against the finest faceted ones: they differ at outlines and
// highlights (per pixel against per corner lighting), nowhere much else.
TEST_F(Impostors, PictureOfTheExampleIsCloseToTessellation31) {
    const View views[] = {{5 * M_PI / 4, M_PI / 4, 30, 10, 10, 0}, {0.4, 1.1, 12, 6, 8, 2}, {2.2, 0.3, 22, 10, 10, 0}};
    for (const View& v : views) {
        SCOPED_TRACE("theta " + std::to_string(v.theta));
        v.Place();
        const Picture impostors = DrawAndRead();
        const Picture lists = ListsPicture(31);
        EXPECT_GT(Shares(impostors).red, 0.05);
        EXPECT_GE(ShareWithinLevels(impostors, lists, 16), 0.95);
    }
}

TEST_F(Impostors, HeightColoursRunFromVioletToYellow) {
    scene.options().colourByHeight = true;
    View{0.4, 1.1, 12, 6, 8, 2}.Place();
    const Picture picture = DrawAndRead();
    long violet = 0, yellow = 0;
    for (std::size_t i = 0; i + 2 < picture.rgb.size(); i += 3) {
        const int r = picture.rgb[i], g = picture.rgb[i + 1], b = picture.rgb[i + 2];
        violet += b > g + 30 && r > g + 10;
        yellow += r > b + 60 && g > b + 60;
    }
    EXPECT_EQ(Shares(picture).red, 0);
    EXPECT_GT(violet, 1000);
    EXPECT_GT(yellow, 100);
}

// Leaving out enclosed spheres and the tiles outside the view changes no
// pixel: views from above, the sides, below and close by, some with spheres
// cut by the window's edges, and a hill from afar.
TEST_F(Impostors, CullingAndSkippedTilesChangeNoPixel) {
    struct Scene {
        std::vector<std::vector<int>> heights;
        std::vector<View> views;
    };
    const Scene scenes[] = {
        {std::vector<std::vector<int>>(40, std::vector<int>(40, 5)),
         {{5 * M_PI / 4, M_PI / 4, 30, 10, 10, 0}, {0.3, 0.9, 14, 2.5, 2.5, 2.5}, {3.5, 2.3, 14, 20, 20, 2.5},
          {-M_PI / 2, M_PI / 2, 9, 20, 0, 2.5}, {1.1, 3.1, 12, 30, 8, 2.5}, {2.6, 0.7, 4.5, 5, 5, 5}}},
        {Hill(70), {{0.7, 0.5, 90, 35, 35, 3}, {2.4, 1.3, 140, 35, 35, 3}, {4.0, 1.0, 25, 60, 10, 3}}},
    };
    sphereRadius = 0.75;
    std::size_t skipped = 0;
    int file = 0;
    for (const Scene& terrain : scenes) {
        const auto grid = Grid("scene" + std::to_string(file++) + ".txt", terrain.heights);
        ShowPoints(grid.get());
        for (const View& v : terrain.views) {
            SCOPED_TRACE("theta " + std::to_string(v.theta) + " distance " + std::to_string(v.distance));
            v.Place();
            scene.options().cullHidden = false, scene.impostors().skipOutsideTiles = false;
            BuildDisplayLists();
            const Picture all = DrawAndRead();
            scene.options().cullHidden = true, scene.impostors().skipOutsideTiles = true;
            BuildDisplayLists();
            ASSERT_LT(scene.spheres(), grid->x.size());
            const Picture culled = DrawAndRead();
            skipped += scene.spheres() - scene.impostors().lastFrameSpheres();
            EXPECT_GT(Shares(all).red, 0.001);
            EXPECT_EQ(DifferingPixels(all, culled), 0);
        }
    }
    EXPECT_GT(skipped, 0u) << "no view left a tile out";
}

TEST_F(Impostors, ReducedSetOnlyWhileAButtonIsHeldAndFramesAreSlow) {
    const auto grid = Grid("drag.txt", Hill(40));
    ShowPoints(grid.get());
    BuildDisplayLists();
    View{0.7, 0.8, 60, 20, 20, 3}.Place();
    const struct {
        double threshold;
        bool coarse;
    } cases[] = {{0, true}, {1e9, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.threshold);
        scene.impostors().coarseAfterSeconds = c.threshold;
        const Picture rest = DrawAndRead();
        const std::size_t full = scene.impostors().lastFrameSpheres();
        onMouseClick(GLUT_LEFT_BUTTON, GLUT_DOWN, 400, 300);
        const Picture held = DrawAndRead();
        EXPECT_EQ(scene.impostors().lastFrameCoarse(), c.coarse);
        if (c.coarse) {
            EXPECT_LT(scene.impostors().lastFrameSpheres(), full / 3);
            EXPECT_GT(DifferingPixels(rest, held), 1000);
        } else {
            EXPECT_EQ(DifferingPixels(rest, held), 0);
        }
        onMouseClick(GLUT_LEFT_BUTTON, GLUT_UP, 400, 300);
        EXPECT_EQ(DifferingPixels(rest, DrawAndRead()), 0);
        EXPECT_FALSE(scene.impostors().lastFrameCoarse());
    }
}

}  // namespace

int main(int argc, char** argv) { return RunGlTests(argc, argv, new ImpostorWindow); }
