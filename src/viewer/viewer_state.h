// The viewer's settings and mutable state. It lives in plain variables shared
// by the set-up code and the GLUT callbacks, which have no other way to reach
// it; they are declared here so the viewer's own files and its tests can read
// them.
#pragma once

#include <GL/gl.h>

#include <cstddef>

#include "config_store.h"

class SurfData;

// The point set on show; owned by the caller of InitDisplay.
extern SurfData* data;

// Built from "config.txt" during static initialisation, separately from the
// store of the entry function, so the sphere settings are known before main.
extern ConfigStore viewerConfig;
extern double sphereRadius;
// Slices and stacks of every sphere; "+" and "-" change it.
extern int sphereTesel;
// "display/cull-hidden" = 1: the scene leaves out the spheres that no camera
// outside the solid can see. Off by default.
extern bool cullHidden;

// Opt-in display choices; each default is the picture of the plain viewer.
// "display/fit-view" = 1: InitDisplay frames the whole point set.
extern bool fitView;
// "display/colour" = height: spheres coloured by level instead of red.
extern bool colourByHeight;
// "display/renderer": the display lists, or ray-cast sphere impostors.
enum class Renderer { lists, impostors };
extern Renderer renderer;

// Size that Escape restores.
extern int windowWidth;
extern int windowHeight;

// Size of the window's drawing area at the last reshape.
extern int viewportWidth;
extern int viewportHeight;
// The window has grown past what the renderer can draw into and has been
// asked to shrink back; no frame is drawn until it has.
extern bool windowOversized;

// Perspective: vertical field of view in degrees, clipping distances.
extern float fieldOfView;
extern float nearPlane;
extern float farPlane;

// The eye sits on a sphere of radius camDistance about the centre; camTheta is
// its azimuth from +x towards +y, camPhi its polar angle from +z (radians).
extern double camDistance;
extern double camTheta;
extern double camPhi;
// Wheel steps out that the distance's upper bound has held back.
extern long zoomStepsPastBound;
extern double centerX;
extern double centerY;
extern double centerZ;
extern double upX;
extern double upY;
extern double upZ;

// The two display lists of the latest build; sceneList is sphereList + 1.
extern GLuint sphereList;
extern GLuint sceneList;
// How many spheres the latest scene list draws.
extern std::size_t sceneSpheres;
// How many times the lists have been built.
extern std::size_t listBuilds;

// 0 no drag, 1 orbit (left button held), 2 pan (right button held).
extern int dragMode;
// Pointer position at the last button press or motion event.
extern int lastX;
extern int lastY;

// The sphere call's cost grows with the square of the tessellation, and the
// configuration may ask for any int. Only the value handed to the sphere call
// is capped: sphereTesel itself keeps what was asked, so "+" and "-" still
// step from the configured value.
constexpr int sphereTeselCap = 64;
