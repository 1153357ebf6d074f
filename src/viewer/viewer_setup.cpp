#include <GL/freeglut.h>

#include <string>

#include "data_file.h"
#include "viewer.h"
#include "viewer_callbacks.h"
#include "viewer_camera.h"
#include "viewer_state.h"

namespace {

const unsigned int plainDisplayMode = GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH;

bool ModePossible(unsigned int mode, int samples) {
    glutSetOption(GLUT_MULTISAMPLE, samples);
    glutInitDisplayMode(mode);
    return glutGet(GLUT_DISPLAY_MODE_POSSIBLE) != 0;
}

// The window's display mode: the plain one, or with the samples a pixel of
// "display/antialias", or failing that the most the display offers below
// them, after one warning line.
unsigned int WindowDisplayMode() {
    const int asked = scene.options().antialias;
    if (asked <= 1) return plainDisplayMode;
    const unsigned int multisampled = plainDisplayMode | GLUT_MULTISAMPLE;
    int samples = asked;
    while (samples >= 2 && !ModePossible(multisampled, samples)) --samples;
    if (samples == asked) return multisampled;
    const std::string key = "display/antialias = " + std::to_string(asked) + ": ";
    if (samples < 2) {
        ProgramDiagnostics().Warning(key + "the display offers no multisampling; drawing one sample a pixel");
        return plainDisplayMode;
    }
    ProgramDiagnostics().Warning(key + "the display offers at most " + std::to_string(samples) +
                                 " samples a pixel; using " + std::to_string(samples));
    return multisampled;
}

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

    glutInitDisplayMode(WindowDisplayMode());
    windowWidth = 800;
    windowHeight = 600;
    glutInitWindowSize(windowWidth, windowHeight);
    glutInitWindowPosition(50, 50);
    glutCreateWindow("Pelorin");

    // The fixed state and the shaders need the window's context. The points
    // are surveyed once the window is up, so a big grid's window shows at
    // once.
    scene.Start();
    SetInitialCamera();
    scene.SetSurface(SurfaceOf(*data));
    scene.SetDataFile(*data, FirstDataFile(viewerConfig));
    // Picks change only their marks: with the keys that pick, the picture
    // is kept so a new mark need not draw every sphere again.
    if (scene.options().extendedKeys) scene.KeepPicturesForMarks();
    // Without fit-view or [camera] keys this is the start camera itself.
    PlaceOpeningCamera();

    glutMouseFunc(onMouseClick);
    glutMotionFunc(onMouseDrag);
    glutDisplayFunc(onDisplay);
    glutReshapeFunc(onResize);
    glutKeyboardFunc(onKey);
    glutMouseWheelFunc(onWheelChange);
    glutIdleFunc(onIdle);

    BuildDisplayLists();
    StartSeries();
    if (scene.series() != nullptr) glutSpecialFunc(onSpecialKey);
}
