#include <GL/freeglut.h>

#include <algorithm>

#include "overlays/axes_overlay.h"
#include "overlays/colour_legend.h"
#include "viewer_callbacks.h"
#include "viewer_camera.h"
#include "viewer_series.h"
#include "viewer_state.h"
#include "window_events.h"

namespace {

// What every OpenGL implementation must allow, for one that reports nothing.
const int fallbackLargestWindowSide = 4096;

// The largest window side the renderer can draw into, asked once.
int LargestWindowSide() {
    static const int largest = [] {
        GLint dims[2] = {0, 0};
        glGetIntegerv(GL_MAX_VIEWPORT_DIMS, dims);
        const int smaller = std::min(dims[0], dims[1]);
        return smaller > 0 ? smaller : fallbackLargestWindowSide;
    }();
    return largest;
}

}  // namespace

void BuildDisplayLists() {
    // A series shows frames of its own; otherwise the point set is `data`.
    if (!SeriesActive() && scene.points() != PointView(*data)) scene.Show(*data);
    scene.Prepare(sphereRadius, sphereTesel, displayOptions);
    // The impostors compile no lists.
    if (scene.active() == Renderer::lists) {
        sphereList = scene.lists().sphereList();
        sceneList = scene.lists().sceneList();
    }
}

void DrawFrame() {
    const OrbitCamera camera = CurrentCamera();
    const Point3 eye = EyePosition(camera);
    // A fitted view keeps the whole point set between its clipping planes
    // wherever the eye goes; the plain viewer's planes never move.
    if (displayOptions.fitView) ApplyProjection(eye);
    LoadLookAt(eye, camera.centre, {upX, upY, upZ});
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    scene.Draw(CurrentFrame(), displayOptions);
    DrawLegendIfWanted(displayOptions, scene.survey(), ConfiguredSeries(), CurrentFrame());
    DrawAxesIfWanted(displayOptions, ConfiguredSeries(), CurrentFrame());
    glFlush();
}

namespace {
WindowArea windowArea;
}  // namespace

WindowArea DrawingArea() { return windowArea; }

void onDisplay() {
    // Drawing into a window larger than the renderer can hold crashes it;
    // the frame waits for the window to shrink back.
    if (windowArea.oversized) return;
    DrawFrame();
    glutSwapBuffers();
}

void onResize(int width, int height) {
    const int largest = LargestWindowSide();
    windowArea.oversized = width > largest || height > largest;
    if (windowArea.oversized) {
        width = std::min(width, largest);
        height = std::min(height, largest);
        glutReshapeWindow(width, height);
    }
    windowArea.width = width;
    windowArea.height = height;
    glViewport(0, 0, width, height);
    ApplyProjection(EyePosition(CurrentCamera()));
}

// The loop calls this without pause whenever no event is waiting; waiting
// here for the next one keeps an untouched viewer off the processor.
void onIdle() {
    if (SeriesActive()) {
        SeriesIdle();
    } else {
        WaitForWindowEvents(idleWaitMilliseconds);
    }
}
