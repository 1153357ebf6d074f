// The camera of "display/fit-view": framed on the whole point set at start,
// with clipping planes that follow the eye.
#pragma once

#include "camera_fit.h"

// Centres the camera on the point set's box, keeps the start angles and
// moves the eye just far enough back for the whole box to be in view. An
// empty point set keeps the start camera.
void FitCameraToPoints();

// Sets the projection for the window's current size: the fixed planes of
// the plain viewer, or with fit-view the planes that hold the whole box as
// seen from `eye`.
void ApplyProjection(const Point3& eye);
