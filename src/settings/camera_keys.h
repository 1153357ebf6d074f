// A camera written down in "config.txt": the [camera] keys.
#pragma once

#include "diagnostics.h"
#include "scene_settings.h"

class ConfigStore;

// "camera/azimuth" and "camera/elevation" in degrees, "camera/distance" and
// "camera/center", three numbers in apostrophes ('X Y Z'), since blanks end a
// value. A value that is not a number (or not three, or has more words after
// them), or an angle too large to turn into radians, gives one warning to
// `diagnostics` and is left unset.
CameraKeys ReadCameraKeys(const ConfigStore& store, Diagnostics& diagnostics = ProgramDiagnostics());
