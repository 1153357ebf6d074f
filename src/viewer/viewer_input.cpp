#include <GL/freeglut.h>

#include <cmath>

#include "viewer_callbacks.h"
#include "viewer_state.h"

namespace {

// The polar angle stays off 0, where the view direction would be parallel to
// the up vector and the camera would lose its orientation.
const double camPhiMin = 0.00001;
const double camPhiMax = M_PI;
const double camDistanceMin = 0.00001;
const double zoomFactor = 1.075;
const double panRatePerDistance = 0.002;
const int highestTesel = 31;
const int lowestTesel = 1;

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
    if (direction == 1) {
        camDistance = camDistance / zoomFactor;
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
            if (sphereTesel < highestTesel) {
                sphereTesel += 1;
                BuildDisplayLists();
                glutPostRedisplay();
            }
            break;
        case '-':
            if (sphereTesel > lowestTesel) {
                sphereTesel -= 1;
                BuildDisplayLists();
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
