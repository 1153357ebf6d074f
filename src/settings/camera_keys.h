// A camera written down in "config.txt": the [camera] keys.
#pragma once

#include <optional>

#include "diagnostics.h"
#include "vec3.h"

class ConfigStore;

// The [camera] section. Unset keys leave the start camera (or the fitted
// one) as it is.
struct CameraKeys {
    std::optional<double> azimuthDegrees;    // the orbit's azimuth
    std::optional<double> elevationDegrees;  // above the ground plane: 90 looks straight down
    std::optional<double> distance;
    std::optional<Point3> centre;

    bool any() const { return azimuthDegrees || elevationDegrees || distance || centre; }
};

// "camera/azimuth" and "camera/elevation" in degrees, "camera/distance" and
// "camera/center", three numbers in apostrophes ('X Y Z'), since blanks end a
// value. A value that is not a number (or not three, or has more words after
// them), or an angle too large to turn into radians, gives one warning to
// `diagnostics` and is left unset.
CameraKeys ReadCameraKeys(const ConfigStore& store, Diagnostics& diagnostics = ProgramDiagnostics());
