// A camera written down in "config.txt": the [camera] keys.
#pragma once

#include <optional>

#include "vec3.h"

// The [camera] section. Unset keys leave the start camera (or the fitted
// one) as it is.
struct CameraKeys {
    std::optional<double> azimuthDegrees;    // the orbit's azimuth
    std::optional<double> elevationDegrees;  // above the ground plane: 90 looks straight down
    std::optional<double> distance;
    std::optional<Point3> centre;

    bool any() const { return azimuthDegrees || elevationDegrees || distance || centre; }
};
