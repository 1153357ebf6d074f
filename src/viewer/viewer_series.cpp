#include "viewer_series.h"

#include <GL/freeglut.h>

#include <algorithm>
#include <memory>
#include <string>

#include "data_file.h"
#include "series/series_player.h"
#include "viewer_state.h"
#include "window_events.h"
#include "shading/height_colours.h"

namespace {

std::unique_ptr<SeriesPlayer> player;
// The frame on show since the first one, which is the caller's point set.
std::unique_ptr<LoadedFrame> shownFrame;

// The label the window's title shows.
std::string titled;

// The title follows the label, which also changes without a new frame when
// files come or go.
void Title() {
    const std::string label = player->Label();
    if (label == titled) return;
    titled = label;
    glutSetWindowTitle(("Pelorin: " + label).c_str());
}

void Show(std::unique_ptr<LoadedFrame> frame) {
    scene.ShowFrame(*frame, sphereRadius, sphereTesel, displayOptions);
    // The GPU holds the spheres now; their copy in memory would only add a
    // frame's worth to every frame held.
    frame->impostors.reset();
    if (scene.active() == Renderer::lists) {
        sphereList = scene.lists().sphereList();
        sceneList = scene.lists().sceneList();
    }
    // The lists now draw the new frame; the old one can go.
    shownFrame = std::move(frame);
    Title();
    glutPostRedisplay();
}

}  // namespace

void StartSeries() {
    const SeriesSettings& series = ConfiguredSeries();
    if (series.pattern.empty() && !series.watch) return;
    FramePreparation preparation;
    preparation.impostors = scene.active() == Renderer::impostors;
    preparation.radius = sphereRadius;
    preparation.cullHidden = displayOptions.cullHidden;
    preparation.levelOfDetail = displayOptions.levelOfDetail;
    preparation.occlusion = displayOptions.ambientOcclusion;
    player = std::make_unique<SeriesPlayer>(series, FirstDataFile(viewerConfig), preparation);
    // Colours mean the same heights in every frame: the first frame's range,
    // unless the configuration fixes one.
    if (!displayOptions.colourRange) displayOptions.colourRange = ColoursOf(displayOptions, scene.survey());
    glutSpecialFunc(onSpecialKey);
    Title();
}

bool SeriesActive() { return player != nullptr; }

bool onSeriesKey(unsigned char key) {
    if (!player) return false;
    switch (key) {
        case '.':
            player->Step(1);
            return true;
        case ',':
            player->Step(-1);
            return true;
        case ' ':
            player->TogglePlay();
            return true;
        default:
            return false;
    }
}

void onSpecialKey(int key, int, int) {
    switch (key) {
        case GLUT_KEY_RIGHT:
            player->Step(1);
            break;
        case GLUT_KEY_LEFT:
            player->Step(-1);
            break;
        case GLUT_KEY_HOME:
            player->First();
            break;
        case GLUT_KEY_END:
            player->Last();
            break;
        default:
            break;
    }
}

void SeriesIdle() {
    // A step to a frame read ahead finds it ready at once: no wait for it.
    std::unique_ptr<LoadedFrame> frame = player->Poll();
    if (!frame) {
        const int due = player->WaitMilliseconds();
        WaitForWindowEvents(due < 0 ? idleWaitMilliseconds : std::min(due, idleWaitMilliseconds),
                            player->Descriptors());
        frame = player->Poll();
    }
    if (frame) Show(std::move(frame));
    Title();
}
