// The overlays' places and the opening camera worked out together: the
// fitted view frames the terrain in the rectangle the overlays leave free,
// and the overlays stand where that rectangle is largest for the terrain's
// shape. Scene calls these for the viewer and pelorin-render alike.
#pragma once

#include "camera/camera.h"
#include "camera/camera_fit.h"
#include "overlays/overlay_layout.h"
#include "scene_settings.h"

struct PointSurvey;

// Where the overlays the settings ask for stand on a picture of width x
// height, and the rectangle they leave free; with fit-view placed for the
// terrain as the opening angles show it, whatever the camera does later.
OverlayLayout OverlaysFor(const SceneSettings& settings, const PointSurvey& survey, int width, int height);

// The view the scene opens with for a picture of width x height: the start
// camera, the [camera] keys, and with fit-view every sphere fitted into the
// rectangle the overlays leave free, and all of `alsoHold` too (the frames
// shown before, with fit-view = grow).
OrbitCamera OpeningCameraFor(const SceneSettings& settings, const PointSurvey& survey, int width, int height,
                             const Bounds& alsoHold = {});

// `camera`, its angles kept, fitted as the opening camera is, to the
// spheres and `alsoHold`.
OrbitCamera RefittedFor(const SceneSettings& settings, const PointSurvey& survey, const OrbitCamera& camera,
                        int width, int height, const Bounds& alsoHold);
