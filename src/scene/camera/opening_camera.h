// The camera a scene opens with, from the [camera] keys and the point set,
// and the current view written back as such keys.
#pragma once

#include <string>

#include "camera/camera.h"
#include "scene_settings.h"

struct Bounds;
struct PointSurvey;

// The view a scene opens with: the start camera, turned to the configured
// angles, fitted with fit-view to `fitted` (the box of the spheres), seen
// at `aspect`, then moved to the configured distance and
// centre. The elevation and distance are held within the bounds a drag and
// the wheel keep.
OrbitCamera OpeningCamera(const DisplayOptions& options, const Bounds& fitted, const Projection& projection,
                          double aspect);
// The same fitted to the spheres of `survey`.
OrbitCamera OpeningCamera(const DisplayOptions& options, const PointSurvey& survey, double sphereRadius,
                          const Projection& projection, double aspect);

// `camera` as the [camera] section that gives it back.
std::string CameraConfigLines(const OrbitCamera& camera);
