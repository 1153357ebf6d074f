// Times the viewer's drawing in process, on the window InitDisplay opens, with
// the settings of "config.txt" in the working directory (data/file included).
//
//   bench_frame frames N [VIEW [drag]]
//                          N frames of onDisplay + glFinish; prints the median.
//                          VIEW "start" (the default) or "whole": the whole
//                          terrain from the start view's angles, the far plane
//                          moved out to hold it; "drag": the left button held
//                          and the pointer moved a pixel before each frame
//   bench_frame picture OUT  one frame of the start view, its RGB rows
//                          (bottom row first) written raw to OUT
//   bench_frame tesel N    N times: "+" and then the next frame, finished
//                          (every "+" is undone by a "-" that is not timed);
//                          also the median of as many plain frames between
//   bench_frame views      twelve views drawn with and without the hidden-sphere
//                          cull; prints the differing pixels of each, and how
//                          many of them show, without the cull, a sphere that
//                          the cull leaves out
//
// Every mode first prints "renderer <GL_RENDERER>" and "spheres <n>"; the
// frame modes end with "drawing lists|impostors" and, for impostors, the
// spheres of the last frame.
#include <GL/freeglut.h>
#include <GL/glu.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "freed_memory.h"
#include "bench_clock.h"
#include "config_store.h"
#include "data_file.h"
#include "surf_data.h"
#include "viewer.h"
#include "viewer_callbacks.h"
#include "survey/hidden_spheres.h"
#include "viewer_camera.h"
#include "viewer_state.h"

namespace {

double TimedFrame() {
    const double start = Now();
    onDisplay();
    glFinish();
    return Now() - start;
}

std::vector<unsigned char> Picture() {
    onDisplay();
    glFinish();
    std::vector<unsigned char> rgb(800 * 600 * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 800, 600, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

// Which sphere is nearest at each pixel: every sphere drawn unlit in a colour
// of its own (its index), in the scene's order and with the scene's matrices,
// so each fragment and its depth are those of the lit picture.
std::vector<std::size_t> NearestSpheres(const SurfData& points) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_LIGHTING);
    glMatrixMode(GL_MODELVIEW);
    for (std::size_t i = 0; i < points.x.size(); ++i) {
        glColor3ub(i & 255, (i >> 8) & 255, (i >> 16) & 255);
        glPushMatrix();
        glTranslated(points.x[i], points.y[i], points.z[i]);
        glCallList(sphereList);
        glPopMatrix();
    }
    glEnable(GL_LIGHTING);
    glFinish();
    std::vector<unsigned char> rgb(800 * 600 * 3);
    glReadPixels(0, 0, 800, 600, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    std::vector<std::size_t> nearest(800 * 600);
    for (std::size_t p = 0; p < nearest.size(); ++p) {
        nearest[p] = rgb[3 * p] | rgb[3 * p + 1] << 8 | std::size_t{rgb[3 * p + 2]} << 16;
    }
    return nearest;
}

// The start view, then eleven around, above and below the terrain's middle.
void Views(const SurfData& points) {
    double maxX = 0, maxY = 0;
    for (std::size_t i = 0; i < points.x.size(); ++i) maxX = std::max(maxX, points.x[i]), maxY = std::max(maxY, points.y[i]);
    const double size = std::max(maxX, maxY) + 1;
    struct View {
        double theta, phi, distance, cx, cy, cz;
    };
    std::vector<View> views = {{camTheta, camPhi, camDistance, centerX, centerY, centerZ}};
    // Alternately the whole terrain from afar (from above, the sides and
    // below) and a patch of it from close above; every eye is outside the solid.
    const double farPhis[] = {0.35, 1.25, 1.5, 2.0, 2.6, 0.8};
    const double nearPhis[] = {0.3, 0.6, 0.9, 1.0, 0.45};
    for (int k = 0; k < 11; ++k) {
        const double theta = 2 * M_PI * k / 11 + 0.2;
        if (k % 2 == 0) {
            views.push_back({theta, farPhis[k / 2], 1.6 * size, size / 2, size / 2, 5});
        } else {
            views.push_back({theta, nearPhis[k / 2], 25, size / 3 + k, size / 2 - k, 10});
        }
    }
    const std::vector<bool> enclosed = EnclosedPoints(points, scene.survey(), sphereRadius, sphereTesel);
    for (std::size_t v = 0; v < views.size(); ++v) {
        camTheta = views[v].theta, camPhi = views[v].phi, camDistance = views[v].distance;
        centerX = views[v].cx, centerY = views[v].cy, centerZ = views[v].cz;
        scene.options().cullHidden = false;
        BuildDisplayLists();
        const std::vector<unsigned char> all = Picture();
        std::size_t red = 0;
        for (std::size_t i = 0; i < all.size(); i += 3) red += all[i] > all[i + 1] + 40;
        scene.options().cullHidden = true;
        BuildDisplayLists();
        const std::vector<unsigned char> culled = Picture();
        std::vector<std::size_t> differing;
        for (std::size_t i = 0; i < all.size(); i += 3) {
            if (std::memcmp(&all[i], &culled[i], 3) != 0) differing.push_back(i / 3);
        }
        // Where the pictures differ, is the full one showing a sphere that
        // the cull proves enclosed (the depth buffer's rounding letting it
        // through its neighbours)?
        std::size_t enclosedShown = 0;
        if (!differing.empty() && points.x.size() < (std::size_t{1} << 24)) {
            onDisplay();  // the view's matrices
            const std::vector<std::size_t> nearest = NearestSpheres(points);
            for (std::size_t p : differing) enclosedShown += nearest[p] < enclosed.size() && enclosed[nearest[p]];
        }
        std::printf("view %zu theta %.3f phi %.3f distance %.1f differing %zu enclosed-shown %zu red %zu drawn %zu\n",
                    v, views[v].theta, views[v].phi, views[v].distance, differing.size(), enclosedShown, red,
                    scene.spheres());
    }
}

// Looks at the middle of the terrain from the start view's angles, from
// where its bounding sphere fills the field of view's height.
void WholeTerrainView(const SurfData& points) {
    double maxX = 0, maxY = 0, maxZ = 0;
    for (std::size_t i = 0; i < points.x.size(); ++i) {
        maxX = std::max(maxX, points.x[i]), maxY = std::max(maxY, points.y[i]), maxZ = std::max(maxZ, points.z[i]);
    }
    // Loaded as heights alone (for the impostors): the same box from the grid.
    const HeightGrid& grid = points.grid;
    if (!grid.empty()) {
        maxX = static_cast<double>(grid.columns - 1), maxY = static_cast<double>(grid.rows - 1);
        maxZ = *std::max_element(grid.heights.begin(), grid.heights.end());
    }
    centerX = maxX / 2, centerY = maxY / 2, centerZ = maxZ / 2;
    const double reach = std::sqrt(centerX * centerX + centerY * centerY + centerZ * centerZ) + 1;
    camDistance = reach / std::sin(fieldOfView / 2 * M_PI / 180);
    farPlane = static_cast<float>(camDistance + reach);
    onResize(800, 600);
}

// Frames while the left button is held and the pointer moves, as in an orbit.
void DragFrames(int count, std::vector<double>& times) {
    onMouseClick(GLUT_LEFT_BUTTON, GLUT_DOWN, 400, 300);
    for (int i = 0; i < count + 1; ++i) {
        onMouseDrag(400 + (i % 2 ? 1 : -1), 300);
        const double seconds = TimedFrame();
        if (i > 0) times.push_back(seconds);  // the first decides whether frames are coarse
    }
    onMouseClick(GLUT_LEFT_BUTTON, GLUT_UP, 400, 300);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_frame frames N [VIEW [drag]] | picture OUT | tesel N | views\n");
        return 2;
    }
    const int count = argc > 2 ? std::atoi(argv[2]) : 0;
    KeepFreedMemoryForReuse();
    ConfigStore config("config.txt", nullptr, nullptr, nullptr);
    // As the shipped program loads it: the impostors get the grid of heights
    // alone, so a grid of billions of spheres is drawn as the viewer draws it.
    SurfData points(config.lookup("data/file", "data.txt"), SurfaceUseFor(config));
    InitDisplay(&points);
    // The first frame, as the event loop draws it after the window shows.
    for (int i = 0; i < 20; ++i) glutMainLoopEvent();
    onResize(800, 600);
    TimedFrame();
    std::printf("renderer %s\nspheres %zu\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)), scene.spheres());

    std::vector<double> times;
    if (std::strcmp(argv[1], "frames") == 0) {
        if (argc > 3 && std::strcmp(argv[3], "whole") == 0) WholeTerrainView(points);
        TimedFrame();
        if (argc > 4 && std::strcmp(argv[4], "drag") == 0) {
            DragFrames(count, times);
        } else {
            for (int i = 0; i < count; ++i) times.push_back(TimedFrame());
        }
    } else if (std::strcmp(argv[1], "tesel") == 0) {
        // Taking turns with plain frames, so the two medians see the same load.
        std::vector<double> plain;
        for (int i = 0; i < count; ++i) {
            const double start = Now();
            onKey('+', 0, 0);
            TimedFrame();
            times.push_back(Now() - start);
            onKey('-', 0, 0);
            plain.push_back(TimedFrame());
        }
        std::printf("frame-median %.9f\n", Median(plain));
    } else if (std::strcmp(argv[1], "picture") == 0 && argc > 2) {
        const std::vector<unsigned char> rgb = Picture();
        std::FILE* out = std::fopen(argv[2], "wb");
        if (!out || std::fwrite(rgb.data(), 1, rgb.size(), out) != rgb.size() || std::fclose(out) != 0) return 1;
        return 0;
    } else if (std::strcmp(argv[1], "views") == 0) {
        if (points.x.empty()) {
            std::fprintf(stderr, "error: bench_frame views: the points are needed; not with renderer = impostors\n");
            return 1;
        }
        Views(points);
        return 0;
    }
    if (!times.empty()) std::printf("median %.9f\n", Median(times));
    std::printf("drawing %s\n", scene.active() == Renderer::impostors ? "impostors" : "lists");
    if (scene.active() == Renderer::impostors) {
        std::printf("last-frame %zu spheres%s\n", scene.impostors().lastFrameSpheres(), scene.impostors().lastFrameCoarse() ? " coarse" : "");
    }
    return 0;
}
