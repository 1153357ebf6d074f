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

#include "impostor_renderer.h"
#include "impostor_tiles.h"
#include "gl_test_support.h"
#include "picture.h"
#include "surf_data.h"
#include "temp_files.h"
#include "true_sphere_cull.h"
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
        renderer = Renderer::impostors;
        InitDisplay(example.get());
        for (int i = 0; i < 20; ++i) glutMainLoopEvent();
    }
};

// The same view drawn by the display lists at `tesel`.
Picture ListsPicture(int tesel) {
    renderer = Renderer::lists;
    sphereTesel = tesel;
    BuildDisplayLists();
    const Picture picture = DrawAndRead();
    glDeleteLists(sphereList, 2);
    sphereList = sceneList = 0;
    renderer = Renderer::impostors;
    return picture;
}

double ShareWithinLevels(const Picture& a, const Picture& b, int levels) {
    long close = 0;
    for (std::size_t i = 0; i + 2 < a.rgb.size(); i += 3) {
        bool near = true;
        for (std::size_t k = 0; k < 3; ++k) near = near && std::abs(a.rgb[i + k] - b.rgb[i + k]) <= levels;
        close += near;
    }
    return static_cast<double>(close) / (static_cast<double>(a.width) * a.height);
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
        data = example.get();
        sphereRadius = 0.6;
        cullHidden = false;
        colourByHeight = false;
        impostorSkipOutsideTiles = true;
        impostorCoarseAfterSeconds = 1.0 / 25;
        dragMode = 0;
        ForgetImpostorBuffers();
        BuildDisplayLists();
    }
};

TEST_F(Impostors, StartInPlaceOfTheListsAndBuildNone) {
    EXPECT_EQ(renderer, Renderer::impostors);
    EXPECT_EQ(sphereList, 0u);
    EXPECT_EQ(sceneSpheres, example->x.size());
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
    colourByHeight = true;
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

TEST(TrueSphereCull, RuleHoldsForRadiiBetweenHalfRootTwoAndOne) {
    const struct {
        double radius;
        bool holds;
    } cases[] = {{0.5, false}, {0.7071, false}, {0.7072, true}, {0.75, true}, {0.999, true}, {1.0, false}, {-0.8, false}};
    for (const auto& c : cases) EXPECT_EQ(NeighboursEncloseTrueSphere(c.radius), c.holds) << c.radius;
}

// A tile is skipped only when all its spheres lie outside the view volume;
// the identity view's volume is the cube [-1, 1]^3. Slots 0..39, ten a tile,
// four of them coarse.
TEST(SphereTiles, SkippedOnlyWhenNoSphereReachesIntoTheView) {
    auto tile = [](std::uint32_t first, std::array<float, 3> low, std::array<float, 3> high) {
        SphereTile t;
        t.first = first, t.count = 10, t.coarse = 4, t.low = low, t.high = high;
        return t;
    };
    const std::vector<SphereTile> tiles = {
        tile(0, {0, 0, 0}, {0.5f, 0.5f, 0.5f}),           // inside
        tile(10, {1.3f, 0, 0}, {2, 0.5f, 0.5f}),          // 0.3 beyond x = 1: spheres reach in
        tile(20, {0, -2, -2}, {0.5f, -1.5f, 0.5f}),       // 0.5 beyond y = -1: none does
        tile(30, {-0.5f, 0, -1.35f}, {0.5f, 0.5f, -1.3f}),  // 0.3 beyond the near plane
    };
    std::array<double, 16> identity{};
    for (std::size_t i = 0; i < 16; i += 5) identity[i] = 1;
    const struct {
        bool coarse, skip;
        std::vector<std::int32_t> firsts, counts;
    } cases[] = {
        {false, true, {0, 30}, {20, 10}},
        {true, true, {0, 10, 30}, {4, 4, 4}},
        {false, false, {0}, {40}},
    };
    for (const auto& c : cases) {
        std::vector<std::int32_t> firsts, counts;
        VisibleRuns(tiles, identity, 0.4, c.coarse, c.skip, firsts, counts);
        EXPECT_EQ(firsts, c.firsts);
        EXPECT_EQ(counts, c.counts);
    }
}

// The coarse columns (even x and y) lead each tile; every kept point has
// one slot.
TEST(SphereTiles, CoarseColumnsFirstInEveryTile) {
    const auto grid = Grid("layout.txt", {{1, 0, 0}, {0, 2, 0}, {0, 0, 0}});
    std::vector<bool> leftOut(grid->x.size(), false);
    leftOut[1] = true;  // (0, 0, 1)
    const SphereLayout layout(*grid, leftOut, 2);
    ASSERT_EQ(layout.spheres(), grid->x.size() - 1);
    std::vector<float> slots(3 * layout.spheres(), -1);
    layout.Place(slots.data());
    std::vector<std::array<float, 3>> placed;
    for (std::size_t i = 0; i < slots.size(); i += 3) placed.push_back({slots[i], slots[i + 1], slots[i + 2]});
    // Tiles of 2x2 columns: (0..1, 0..1), (2, 0..1), (0..1, 2), (2, 2).
    const std::vector<std::array<float, 3>> expected = {
        {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 1, 1}, {1, 1, 2}, {2, 0, 0}, {2, 1, 0},
        {0, 2, 0}, {1, 2, 0}, {2, 2, 0}};
    EXPECT_EQ(placed, expected);
    EXPECT_EQ(layout.lowest(), 0);
    EXPECT_EQ(layout.highest(), 2);
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
    for (const Scene& scene : scenes) {
        const auto grid = Grid("scene" + std::to_string(file++) + ".txt", scene.heights);
        data = grid.get();
        for (const View& v : scene.views) {
            SCOPED_TRACE("theta " + std::to_string(v.theta) + " distance " + std::to_string(v.distance));
            v.Place();
            cullHidden = false, impostorSkipOutsideTiles = false;
            BuildDisplayLists();
            const Picture all = DrawAndRead();
            cullHidden = true, impostorSkipOutsideTiles = true;
            BuildDisplayLists();
            ASSERT_LT(sceneSpheres, grid->x.size());
            const Picture culled = DrawAndRead();
            skipped += sceneSpheres - impostorFrameSpheres;
            EXPECT_GT(Shares(all).red, 0.001);
            EXPECT_EQ(DifferingPixels(all, culled), 0);
        }
    }
    EXPECT_GT(skipped, 0u) << "no view left a tile out";
}

TEST_F(Impostors, ReducedSetOnlyWhileAButtonIsHeldAndFramesAreSlow) {
    const auto grid = Grid("drag.txt", Hill(40));
    data = grid.get();
    BuildDisplayLists();
    View{0.7, 0.8, 60, 20, 20, 3}.Place();
    const struct {
        double threshold;
        bool coarse;
    } cases[] = {{0, true}, {1e9, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.threshold);
        impostorCoarseAfterSeconds = c.threshold;
        const Picture rest = DrawAndRead();
        const std::size_t full = impostorFrameSpheres;
        onMouseClick(GLUT_LEFT_BUTTON, GLUT_DOWN, 400, 300);
        const Picture held = DrawAndRead();
        EXPECT_EQ(impostorFrameCoarse, c.coarse);
        if (c.coarse) {
            EXPECT_LT(impostorFrameSpheres, full / 3);
            EXPECT_GT(DifferingPixels(rest, held), 1000);
        } else {
            EXPECT_EQ(DifferingPixels(rest, held), 0);
        }
        onMouseClick(GLUT_LEFT_BUTTON, GLUT_UP, 400, 300);
        EXPECT_EQ(DifferingPixels(rest, DrawAndRead()), 0);
        EXPECT_FALSE(impostorFrameCoarse);
    }
}

}  // namespace

int main(int argc, char** argv) { return RunGlTests(argc, argv, new ImpostorWindow); }
