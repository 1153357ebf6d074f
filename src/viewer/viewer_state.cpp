#include "viewer_state.h"

#include <GL/freeglut.h>

// The integer lookup below writes to standard error while static objects are
// still being built; including the stream header here makes the standard
// streams ready before this file's objects, whatever the link order.
#include <iostream>

// Everything below is zero until InitDisplay assigns it, except the
// settings, which come from the viewer's own configuration store.

SurfData* data = nullptr;

// Must stay defined before the scene and the settings: they are read from it
// during the same static initialisation, in order of definition, every key in
// the order ReadSceneSettings gives.
ConfigStore viewerConfig("config.txt", nullptr, nullptr, nullptr);
// The lists draw the toolkit's own sphere.
Scene scene(ReadSceneSettings(viewerConfig), glutSolidSphere);
double sphereRadius = scene.settings().sphereRadius;
int sphereTesel = scene.settings().sphereTesel;

int windowWidth;
int windowHeight;

float fieldOfView;
float nearPlane;
float farPlane;

double camDistance;
double camTheta;
double camPhi;
double centerX;
double centerY;
double centerZ;
double upX;
double upY;
double upZ;

GLuint sphereList;
GLuint sceneList;

int dragMode;
int lastX;
int lastY;
