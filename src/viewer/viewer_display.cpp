#include <GL/freeglut.h>

#include <algorithm>
#include <string>

#include "data_file.h"
#include "viewer_callbacks.h"
#include "viewer_camera.h"
#include "viewer_state.h"
#include "window_events.h"

namespace {

// The display lists the renderer compiled last, under the names the viewer
// keeps; the impostors compile none.
void TakeListNames() {
    if (scene.active() != Renderer::lists) return;
    sphereList = scene.lists().sphereList();
    sceneList = scene.lists().sceneList();
}

// The window's title names the frame of a series on show.
void TitleSeries() {
    SeriesPlayer* series = scene.series();
    if (series != nullptr && series->LabelChanged()) glutSetWindowTitle(("Pelorin: " + series->Label()).c_str());
}

// Shows a frame of the series that has come in; true if one had. A frame
// that outgrows a view fitted with grow moves the camera back to hold it.
bool ShowArrivedFrame() {
    if (!scene.ShowArrivedFrame(sphereRadius, sphereTesel)) return false;
    TakeListNames();
    if (scene.TakeRefit()) {
        StoreCamera(scene.Refitted(CurrentCamera(), windowWidth, windowHeight));
        ApplyProjection();
    }
    glutPostRedisplay();
    return true;
}

}  // namespace

void BuildDisplayLists() {
    // A series shows frames of its own; otherwise the point set is `data`.
    if (scene.series() == nullptr && scene.surface() != SurfaceOf(*data)) scene.SetSurface(SurfaceOf(*data));
    scene.Prepare(sphereRadius, sphereTesel);
    TakeListNames();
}

void RefitToShownFrame() {
    if (scene.RestartGrowth()) BuildDisplayLists();
    StoreCamera(scene.Refitted(CurrentCamera(), windowWidth, windowHeight));
    scene.ForgetHeldWheelSteps();
    ApplyProjection();
}

void StartSeries() {
    scene.StartSeries(FirstDataFile(viewerConfig), sphereRadius, scene.settings().series.watch);
    TitleSeries();
}

void DrawFrame() {
    // A fitted view keeps the whole point set between its clipping planes
    // wherever the eye goes; the plain viewer's planes never move.
    if (scene.options().fitView) ApplyProjection();
    const OrbitCamera camera = CurrentCamera();
    LoadLookAt(EyePosition(camera), camera.centre, {upX, upY, upZ});
    scene.DrawFrame(CurrentFrame());
    glFlush();
}

void onDisplay() {
    // Drawing into a window larger than the renderer can hold crashes it;
    // the frame waits for the window to shrink back.
    if (scene.area().oversized) return;
    DrawFrame();
    glutSwapBuffers();
}

void onResize(int width, int height) {
    const PictureArea area = scene.Resize(width, height);
    if (area.oversized) glutReshapeWindow(area.width, area.height);
    glViewport(0, 0, area.width, area.height);
    ApplyProjection();
}

// The loop calls this without pause whenever no event is waiting; waiting
// here for the next one keeps an untouched viewer off the processor.
void onIdle() {
    SeriesPlayer* series = scene.series();
    if (series == nullptr) {
        WaitForWindowEvents(idleWaitMilliseconds);
        return;
    }
    // A step to a frame read ahead finds it ready at once: no wait for it.
    if (!ShowArrivedFrame()) {
        const int due = series->WaitMilliseconds();
        WaitForWindowEvents(due < 0 ? idleWaitMilliseconds : std::min(due, idleWaitMilliseconds),
                            series->Descriptors());
        ShowArrivedFrame();
    }
    TitleSeries();
}
