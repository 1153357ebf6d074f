// The viewer's settings and mutable state. It lives in plain variables shared
// by the set-up code and the GLUT callbacks, which have no other way to reach
// it; they are declared here so the viewer's own files and its tests can read
// them. Everything beyond them (the display options, the renderer, the
// overlays, a series) is the scene core's, reached through `scene`.
#pragma once

#include <GL/gl.h>

#include "config_store.h"
#include "scene.h"

class SurfData;

// The point set on show; owned by the caller of InitDisplay.
extern SurfData* data;

// Built from "config.txt" during static initialisation, separately from the
// store of the entry function, so the sphere settings are known before main.
extern ConfigStore viewerConfig;
extern double sphereRadius;
// Slices and stacks of every sphere; "+" and "-" change it.
extern int sphereTesel;

// Size that Escape restores.
extern int windowWidth;
extern int windowHeight;

// Perspective: vertical field of view in degrees, clipping distances.
extern float fieldOfView;
extern float nearPlane;
extern float farPlane;

// The eye sits on a sphere of radius camDistance about the centre; camTheta is
// its azimuth from +x towards +y, camPhi its polar angle from +z (radians).
extern double camDistance;
extern double camTheta;
extern double camPhi;
extern double centerX;
extern double centerY;
extern double centerZ;
extern double upX;
extern double upY;
extern double upZ;

// The two display lists of the latest build; sceneList is sphereList + 1.
extern GLuint sphereList;
extern GLuint sceneList;

// 0 no drag, 1 orbit (left button held), 2 pan (right button held).
extern int dragMode;
// Pointer position at the last button press or motion event.
extern int lastX;
extern int lastY;

// ---- Beyond the plain viewer ----

// The windowless scene: the settings read with the sphere settings, from the
// same store and in the same static initialisation, and all the work.
extern Scene scene;
