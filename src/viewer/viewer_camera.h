// The viewer's camera variables as the scene core's values, and back.
#pragma once

#include "camera/camera.h"
#include "camera/frame_view.h"

OrbitCamera CurrentCamera();
void StoreCamera(const OrbitCamera& camera);
Projection CurrentProjection();

// The frame the window draws next: the camera, the projection and the
// drawing area as they stand, dragged while a button is held.
FrameView CurrentFrame();

// Puts the camera where the scene opens: the start camera, or the one the
// [camera] keys and fit-view give, for the window's size (its start size
// before the first resize).
void PlaceOpeningCamera();

// Loads the projection for the window's current size: the fixed planes of
// the plain viewer, or with fit-view the planes that hold the whole point
// set as seen from the current camera.
void ApplyProjection();
