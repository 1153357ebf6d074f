#include <GL/freeglut.h>

#include "fixed_state.h"
#include "viewer.h"
#include "viewer_callbacks.h"
#include "viewer_camera.h"
#include "viewer_state.h"

namespace {

void SetInitialCamera() {
    StoreCamera(StartCamera());
    const Projection start = StartProjection();
    fieldOfView = start.fieldOfView;
    nearPlane = start.nearPlane;
    farPlane = start.farPlane;
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
    scene.Show(*data);

    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    windowWidth = 800;
    windowHeight = 600;
    glutInitWindowSize(windowWidth, windowHeight);
    glutInitWindowPosition(50, 50);
    glutCreateWindow("Pelorin");

    SetFixedState();
    SetInitialCamera();
    // Without fit-view or [camera] keys this is the start camera itself.
    PlaceOpeningCamera();
    glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);

    glutMouseFunc(onMouseClick);
    glutMotionFunc(onMouseDrag);
    glutDisplayFunc(onDisplay);
    glutReshapeFunc(onResize);
    glutKeyboardFunc(onKey);
    glutMouseWheelFunc(onWheelChange);
    glutIdleFunc(onIdle);

    // The shaders need the window's context.
    scene.Start(displayOptions.renderer);
    BuildDisplayLists();
}
