#include <GL/freeglut.h>

#include <cmath>

#include "viewer_callbacks.h"
#include "viewer_state.h"
#include "window_events.h"

namespace {

// The polar angle stays off 0, where the view direction would be parallel to
// the up vector and the camera would lose its orientation.
const double camPhiMin = 0.00001;
const double camPhiMax = M_PI;
const double camDistanceMin = 0.00001;
// Far beyond any view worth having, yet finite: without it some 10 000 steps
// out make the distance infinite, and no step in brings the view back.
const double camDistanceMax = 1e12;
const double zoomFactor = 1.075;
const double panRatePerDistance = 0.002;

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

    if (dragMode == 1) {
        // 0.18 degrees per pixel.
        camTheta = camTheta - dx * M_PI * 2 * 0.0005;
        camPhi = camPhi - dy * M_PI * 2 * 0.0005;
    } else if (dragMode == 2) {
        // On the ground plane the screen's rightward direction is
        // (-sin θ, cos θ) and its downward one (cos θ, sin θ); moving the
        // centre against the drag makes the scene follow the pointer, and the
        // step grows with the eye's distance.
        const double theta = camTheta;
        const double distance = camDistance;
        centerX = centerX - (dy * std::cos(theta) - dx * std::sin(theta)) * distance * panRatePerDistance;
        centerY = centerY - (dx * std::cos(theta) + dy * std::sin(theta)) * distance * panRatePerDistance;
    }

    if (camPhi < camPhiMin) camPhi = camPhiMin;
    if (camPhi > camPhiMax) camPhi = camPhiMax;

    lastX = x;
    lastY = y;
    glutPostRedisplay();
}

void onWheelChange(int, int direction, int, int) {
    // Steps out past the far bound are counted rather than taken, and steps
    // in pay them back first, so as many steps in as went out always return
    // to the same view.
    if (direction == 1) {
        if (zoomStepsPastBound > 0) {
            --zoomStepsPastBound;
        } else {
            camDistance = camDistance / zoomFactor;
        }
    } else if (camDistance * zoomFactor > camDistanceMax) {
        ++zoomStepsPastBound;
    } else {
        camDistance = camDistance * zoomFactor;
    }
    if (camDistance < camDistanceMin) camDistance = camDistanceMin;
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
            break;
    }
}
