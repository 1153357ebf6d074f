#include "camera_keys.h"

#include <cmath>
#include <cstdio>
#include <iostream>
#include <vector>

#include "config_store.h"
#include "number_setting.h"

namespace {

double Radians(double degrees) { return degrees * M_PI / 180; }

// The angles as the camera takes them.
double AzimuthRadians(double degrees) { return Radians(degrees); }
double PolarRadians(double elevationDegrees) { return Radians(90 - elevationDegrees); }

std::optional<double> NumberKey(const ConfigStore& store, const char* key) {
    const char* text = store.lookup(key, static_cast<const char*>(nullptr));
    if (text == nullptr) return std::nullopt;
    const std::optional<std::vector<double>> number = NumbersIn(text, 1);
    if (number && std::isfinite(number->front())) return number->front();
    std::cerr << "warning: " << RefusedValue(key, text) << " is not a number; ignored" << std::endl;
    return std::nullopt;
}

// Past about 5e307 degrees the radians overflow, and the sine and cosine of
// the eye's position would be NaN: a blank picture with no word of why.
std::optional<double> AngleKey(const ConfigStore& store, const char* key, double (*radians)(double)) {
    const std::optional<double> degrees = NumberKey(store, key);
    if (!degrees || std::isfinite(radians(*degrees))) return degrees;
    std::cerr << "warning: " << RefusedValue(key, store.lookup(key, "")) << " is too large an angle; ignored"
              << std::endl;
    return std::nullopt;
}

std::optional<Point3> PointKey(const ConfigStore& store, const char* key) {
    const char* text = store.lookup(key, static_cast<const char*>(nullptr));
    if (text == nullptr) return std::nullopt;
    const std::optional<std::vector<double>> numbers = NumbersIn(text, 3);
    if (numbers && std::isfinite((*numbers)[0]) && std::isfinite((*numbers)[1]) && std::isfinite((*numbers)[2])) {
        return Point3{(*numbers)[0], (*numbers)[1], (*numbers)[2]};
    }
    std::cerr << "warning: " << RefusedValue(key, text) << " is not three numbers (write center = 'X Y Z'); ignored"
              << std::endl;
    return std::nullopt;
}

}  // namespace

CameraKeys ReadCameraKeys(const ConfigStore& store) {
    CameraKeys keys;
    keys.azimuthDegrees = AngleKey(store, "camera/azimuth", AzimuthRadians);
    keys.elevationDegrees = AngleKey(store, "camera/elevation", PolarRadians);
    keys.distance = NumberKey(store, "camera/distance");
    keys.centre = PointKey(store, "camera/center");
    return keys;
}
