// The camera a scene opens with, from the [camera] keys and the point set,
// and the current view written back as such keys.
#pragma once

#include <string>
#include <vector>

#include "camera/camera.h"
#include "camera/camera_fit.h"
#include "scene_settings.h"

struct PointSurvey;

// The start camera turned to the configured angles.
OrbitCamera OpeningAngles(const DisplayOptions& options);

// The view a scene opens with: the opening angles, fitted to the point set
// with fit-view (the sphere bounds of `survey` in `area` of a picture of
// `aspect`), then moved to the configured distance and centre. The
// elevation and distance are held within the bounds a drag and the wheel
// keep.
OrbitCamera OpeningCamera(const DisplayOptions& options, const PointSurvey& survey, double sphereRadius,
                          const Projection& projection, double aspect, const ScreenRect& area = {});
// The same fitted to the points of `hull` (SphereHull).
OrbitCamera OpeningCamera(const DisplayOptions& options, const std::vector<Point3>& hull, const Projection& projection,
                          double aspect, const ScreenRect& area = {});

// `camera` as the [camera] section that gives it back.
std::string CameraConfigLines(const OrbitCamera& camera);
