// A camera written down in "config.txt": the [camera] keys, how they place
// the opening view, and the current view written back as such keys.
#pragma once

#include <string>

#include "camera.h"
#include "scene_settings.h"

class ConfigStore;
struct PointSurvey;

// "camera/azimuth" and "camera/elevation" in degrees, "camera/distance" and
// "camera/center", three numbers in apostrophes ('X Y Z'), since blanks end a
// value. A value that is not a number (or not three, or has more words after
// them), or an angle too large to turn into radians, gives one "warning:"
// line and is left unset.
CameraKeys ReadCameraKeys(const ConfigStore& store);

// The view a scene opens with: the start camera, turned to the configured
// angles, fitted to the point set with fit-view (the sphere bounds of
// `survey`, seen at `aspect`), then moved to the configured distance and
// centre. The elevation and distance are held within the bounds a drag and
// the wheel keep.
OrbitCamera OpeningCamera(const DisplayOptions& options, const PointSurvey& survey, double sphereRadius,
                          const Projection& projection, double aspect);

// `camera` as the [camera] section that gives it back.
std::string CameraConfigLines(const OrbitCamera& camera);
