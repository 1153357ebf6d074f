#include "viewer_state.h"

#include "choice_setting.h"

// The integer lookup below writes to standard error while static objects are
// still being built; including the stream header here makes the standard
// streams ready before this file's objects, whatever the link order.
#include <iostream>

// Everything below is zero until InitDisplay assigns it, except the two
// sphere settings, which come from the viewer's own configuration store.

SurfData* data = nullptr;

// Must stay defined before the two settings: they are read from it during
// the same static initialisation, in order of definition.
ConfigStore viewerConfig("config.txt", nullptr, nullptr, nullptr);
double sphereRadius = viewerConfig.lookup("display/sphere-r", 0.75);
int sphereTesel = viewerConfig.lookup("display/sphere-tesel", 6);
// The floating-point lookup writes nothing, so this key adds no diagnostic.
bool cullHidden = viewerConfig.lookup("display/cull-hidden", 0.0) == 1.0;
bool fitView = viewerConfig.lookup("display/fit-view", 0.0) == 1.0;
bool colourByHeight = ChoiceSetting(viewerConfig, "display/colour", {"red", "height"}) == 1;
Renderer renderer = ChoiceSetting(viewerConfig, "display/renderer", {"lists", "impostors"}) == 1
                        ? Renderer::impostors
                        : Renderer::lists;

int windowWidth;
int windowHeight;
int viewportWidth;
int viewportHeight;
bool windowOversized;

float fieldOfView;
float nearPlane;
float farPlane;

double camDistance;
double camTheta;
double camPhi;
long zoomStepsPastBound;
double centerX;
double centerY;
double centerZ;
double upX;
double upY;
double upZ;

GLuint sphereList;
GLuint sceneList;
std::size_t sceneSpheres;
std::size_t listBuilds;

int dragMode;
int lastX;
int lastY;
