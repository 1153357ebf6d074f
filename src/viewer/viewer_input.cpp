#include <GL/freeglut.h>

#include "extended_keys.h"
#include "viewer_callbacks.h"
#include "viewer_camera.h"
#include "viewer_series.h"
#include "viewer_state.h"
#include "window_events.h"

namespace {

// Rebuilding a large scene takes seconds; when several "+" and "-" wait in
// the queue, only the last one that changes the tessellation rebuilds.
void RebuildUnlessAnotherKeyWill() {
    if (!TeselKeyActsLater(sphereTesel)) BuildDisplayLists();
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

namespace {
// Wheel steps out that the distance's upper bound has held back.
long zoomStepsPastBound = 0;
}  // namespace

void ForgetHeldWheelSteps() { zoomStepsPastBound = 0; }

void onWheelChange(int, int direction, int, int) {
    const WheelZoom zoom = Wheeled({camDistance, zoomStepsPastBound}, direction);
    camDistance = zoom.distance;
    zoomStepsPastBound = zoom.stepsPastBound;
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
            // Every other key does nothing, unless a series or the extended
            // keys are on.
            if (!onSeriesKey(key) && displayOptions.extendedKeys) onExtendedKey(key);
            break;
    }
}
