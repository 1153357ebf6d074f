// The mouse and the keys. Every binding is in the table below, which "h"
// prints: the standard ones always act; the series keys only when
// "data/series" (or "data/watch") is set; the extended ones only with
// "display/keys = extended". Any other key does nothing.
#include <GL/freeglut.h>

#include <cstdio>
#include <iostream>
#include <string>

#include "camera/opening_camera.h"
#include "numbered_name.h"
#include "text_file.h"
#include "viewer_callbacks.h"
#include "viewer_camera.h"
#include "viewer_state.h"
#include "window_events.h"
#include "window_picture.h"

namespace {

enum class When { always, series, extended };

struct Binding {
    const char* input;
    const char* action;
    When when;
};

// `when` says when a binding acts; "h" prints them all.
const Binding bindings[] = {
    {"left drag", "orbit", When::always},
    {"right drag", "pan", When::always},
    {"wheel", "zoom", When::always},
    {"+ / -", "finer / coarser spheres", When::always},
    {"F, f", "full screen", When::always},
    {"Esc", "800x600 window", When::always},
    {"Q, q", "quit", When::always},
    {"right, .", "next frame of a series", When::series},
    {"left, ,", "previous frame", When::series},
    {"Home, End", "first, last frame", When::series},
    {"space", "play or pause", When::series},
    {"c", "print the camera as config.txt lines", When::extended},
    {"s", "save the window as pelorin-NNNN.png", When::extended},
    {"r", "back to the start camera", When::extended},
    {"g", "fit the view and colours to the frame on show", When::extended},
    {"h", "print these bindings", When::extended},
    {"left click", "print the column under the pointer and mark it", When::extended},
    {"shift click", "mark a second column, print the distance to the first", When::extended},
    {"p", "write the profile between the two as profile-NNNN.csv", When::extended},
};

void PrintBindings() {
    for (const Binding& binding : bindings) {
        char line[128];
        std::snprintf(line, sizeof line, "%-12s%s\n", binding.input, binding.action);
        std::cout << line;
    }
    std::cout << std::flush;
}

// Rebuilding a large scene takes seconds; when several "+" and "-" wait in
// the queue, only the last one that changes the tessellation rebuilds.
void RebuildUnlessAnotherKeyWill() {
    if (!TeselKeyActsLater(sphereTesel)) BuildDisplayLists();
}

// The typed keys of a series; true when the key acted.
bool SeriesKey(unsigned char key) {
    SeriesPlayer* series = scene.series();
    if (series == nullptr) return false;
    switch (key) {
        case '.': series->Step(1); return true;
        case ',': series->Step(-1); return true;
        case ' ': series->TogglePlay(); return true;
        default: return false;
    }
}

// A press and release of the left button this close, in pixels, make a
// click rather than a drag.
const int clickSlack = 3;

// Where the left button went down, and whether shift was held then.
struct LeftPress {
    bool down = false;
    int x = 0, y = 0;
    bool shift = false;
};
LeftPress leftPress;

bool IsClick(const LeftPress& press, int x, int y) {
    const int dx = x - press.x, dy = y - press.y;
    return press.down && dx * dx + dy * dy <= clickSlack * clickSlack;
}

// The line goes out before the window is redrawn, so a slow frame never
// holds up the answer.
void PickUnderPointer(int x, int y, bool measure) {
    const FrameView view = CurrentFrame();
    const std::string line = measure ? scene.MarkMeasure(view, x, y) : scene.MarkPick(view, x, y);
    if (!line.empty()) std::cout << line << std::endl;
}

void WriteProfile() {
    const std::string text = scene.ProfileText();
    if (text.empty()) {
        ProgramDiagnostics().Warning("a profile needs two columns picked: click the first, shift-click the second");
        return;
    }
    const std::string name = FirstFreeName("profile", "csv");
    if (name.empty()) {
        ProgramDiagnostics().Error("every name from profile-0001.csv to profile-99999.csv is taken");
        return;
    }
    const std::string error = WriteTextFile(name, text);
    if (error.empty()) {
        std::cout << "wrote " << name << std::endl;
    } else {
        ProgramDiagnostics().Error(error);
    }
}

void ExtendedKey(unsigned char key) {
    switch (key) {
        case 'c':
            std::cout << CameraConfigLines(CurrentCamera()) << std::flush;
            break;
        case 's':
            SaveWindowPicture();
            break;
        case 'r':
            PlaceOpeningCamera();
            glutPostRedisplay();
            break;
        case 'g':
            RefitToShownFrame();
            glutPostRedisplay();
            break;
        case 'h':
            PrintBindings();
            break;
        case 'p':
            WriteProfile();
            break;
        default:
            break;
    }
}

}  // namespace

void onMouseClick(int button, int state, int x, int y) {
    if (button == GLUT_LEFT_BUTTON || button == GLUT_RIGHT_BUTTON) {
        if (state == GLUT_DOWN) {
            dragMode = button == GLUT_LEFT_BUTTON ? 1 : 2;
            // The drag starts from here, without a jump.
            lastX = x;
            lastY = y;
        } else {
            dragMode = 0;
        }
    }
    if (button == GLUT_LEFT_BUTTON && scene.options().extendedKeys) {
        if (state == GLUT_DOWN) {
            leftPress = {true, x, y, (glutGetModifiers() & GLUT_ACTIVE_SHIFT) != 0};
        } else {
            if (IsClick(leftPress, x, y)) PickUnderPointer(x, y, leftPress.shift);
            leftPress.down = false;
        }
    }
    glutPostRedisplay();
}

void onMouseDrag(int x, int y) {
    const int dx = x - lastX;
    const int dy = y - lastY;
    OrbitCamera camera = CurrentCamera();
    if (dragMode == 1) {
        camera = Orbited(camera, dx, dy);
    } else if (dragMode == 2) {
        camera = Panned(camera, dx, dy);
    }
    camera.phi = HeldPolarAngle(camera.phi);
    StoreCamera(camera);
    lastX = x;
    lastY = y;
    glutPostRedisplay();
}

void onWheelChange(int, int direction, int, int) {
    camDistance = scene.Wheeled(camDistance, direction);
    glutPostRedisplay();
}

void onKey(unsigned char key, int, int) {
    switch (key) {
        case 27:
            // Moving or resizing also ends full-screen mode.
            glutPositionWindow(100, 100);
            glutReshapeWindow(windowWidth, windowHeight);
            break;
        case '+':
            if (sphereTesel < teselStepHighest) {
                sphereTesel += 1;
                RebuildUnlessAnotherKeyWill();
                glutPostRedisplay();
            }
            break;
        case '-':
            if (sphereTesel > teselStepLowest) {
                sphereTesel -= 1;
                RebuildUnlessAnotherKeyWill();
                glutPostRedisplay();
            }
            break;
        case 'F':
        case 'f':
            glutFullScreen();
            break;
        case 'Q':
        case 'q':
            glutLeaveMainLoop();
            break;
        default:
            if (!SeriesKey(key) && scene.options().extendedKeys) ExtendedKey(key);
            break;
    }
}

void onSpecialKey(int key, int, int) {
    SeriesPlayer* series = scene.series();
    if (series == nullptr) return;
    switch (key) {
        case GLUT_KEY_RIGHT: series->Step(1); break;
        case GLUT_KEY_LEFT: series->Step(-1); break;
        case GLUT_KEY_HOME: series->First(); break;
        case GLUT_KEY_END: series->Last(); break;
        default: break;
    }
}
