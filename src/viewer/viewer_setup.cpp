#include <GL/freeglut.h>

#include <cmath>

#include "impostor_renderer.h"
#include "viewer.h"
#include "viewer_callbacks.h"
#include "viewer_fit.h"
#include "viewer_state.h"

namespace {

const GLfloat lightAmbient[] = {0.5f, 0.5f, 0.5f, 1.0f};
const GLfloat lightDiffuse[] = {0.9f, 0.9f, 0.9f, 1.0f};
// w = 0: a directional light from the viewer's upper right.
const GLfloat lightPosition[] = {0.5f, 0.5f, 0.2f, 0.0f};

// Red with cyan highlights.
const GLfloat materialAmbient[] = {0.3f, 0.2f, 0.2f, 1.0f};
const GLfloat materialDiffuse[] = {0.9f, 0.1f, 0.1f, 1.0f};
const GLfloat materialSpecular[] = {0.0f, 1.0f, 1.0f, 0.5f};
const GLfloat materialShininess = 20.0f;

void SetFixedState() {
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glShadeModel(GL_SMOOTH);

    glLightfv(GL_LIGHT0, GL_AMBIENT, lightAmbient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, lightDiffuse);
    // Given while the modelview matrix of the new context is still the
    // identity, so the light stays fixed relative to the eye.
    glLightfv(GL_LIGHT0, GL_POSITION, lightPosition);

    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, materialAmbient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, materialDiffuse);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, materialSpecular);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, materialShininess);
}

void SetInitialCamera() {
    camDistance = 30.0;
    camPhi = M_PI / 4;
    fieldOfView = 40.0f;
    camTheta = 5 * M_PI / 4;
    nearPlane = 0.1f;
    farPlane = 800.0f;
    centerX = 10.0;
    centerY = 10.0;
    centerZ = 0.0;
    upX = 0.0;
    upY = 0.0;
    upZ = 1.0;
}

}  // namespace

void InitDisplay(SurfData* points) {
    // The toolkit takes no options from the process's command line.
    int argc = 0;
    char* argv[] = {nullptr};
    glutInit(&argc, argv);
    // By default freeglut ends the process inside glutMainLoop once the loop
    // is left, so the caller's objects would never be destroyed. With this
    // option glutLeaveMainLoop, and a close from the window system alike,
    // return from glutMainLoop and the caller tears down and returns 0.
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);

    data = points;

    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    windowWidth = 800;
    windowHeight = 600;
    glutInitWindowSize(windowWidth, windowHeight);
    glutInitWindowPosition(50, 50);
    glutCreateWindow("Pelorin");

    SetFixedState();
    SetInitialCamera();
    if (fitView) FitCameraToPoints();
    glClearColor(1.0f, 1.0f, 1.0f, 0.0f);

    glutMouseFunc(onMouseClick);
    glutMotionFunc(onMouseDrag);
    glutDisplayFunc(onDisplay);
    glutReshapeFunc(onResize);
    glutKeyboardFunc(onKey);
    glutMouseWheelFunc(onWheelChange);
    glutIdleFunc(onIdle);

    // The shaders need the window's context; refused, the lists draw.
    if (renderer == Renderer::impostors && !StartImpostors()) renderer = Renderer::lists;
    BuildDisplayLists();
}
