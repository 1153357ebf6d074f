#include "camera_keys.h"

#include <cmath>
#include <cstdio>
#include <iostream>

#include "camera_fit.h"
#include "config_store.h"
#include "point_survey.h"

namespace {

std::optional<double> NumberKey(const ConfigStore& store, const char* key) {
    const char* text = store.lookup(key, static_cast<const char*>(nullptr));
    if (text == nullptr) return std::nullopt;
    double value = 0;
    if (std::sscanf(text, "%lf", &value) == 1 && std::isfinite(value)) return value;
    std::cerr << "warning: " << key << ": \"" << text << "\" is not a number; ignored" << std::endl;
    return std::nullopt;
}

std::optional<Point3> PointKey(const ConfigStore& store, const char* key) {
    const char* text = store.lookup(key, static_cast<const char*>(nullptr));
    if (text == nullptr) return std::nullopt;
    Point3 p{};
    if (std::sscanf(text, "%lf %lf %lf", &p[0], &p[1], &p[2]) == 3 && std::isfinite(p[0]) && std::isfinite(p[1]) &&
        std::isfinite(p[2])) {
        return p;
    }
    std::cerr << "warning: " << key << ": \"" << text << "\" is not three numbers (write center = 'X Y Z'); ignored" << std::endl;
    return std::nullopt;
}

double Radians(double degrees) { return degrees * M_PI / 180; }
double Degrees(double radians) { return radians * 180 / M_PI; }

}  // namespace

CameraKeys ReadCameraKeys(const ConfigStore& store) {
    CameraKeys keys;
    keys.azimuthDegrees = NumberKey(store, "camera/azimuth");
    keys.elevationDegrees = NumberKey(store, "camera/elevation");
    keys.distance = NumberKey(store, "camera/distance");
    keys.centre = PointKey(store, "camera/center");
    return keys;
}

OrbitCamera OpeningCamera(const DisplayOptions& options, const PointSurvey& survey, double sphereRadius,
                          const Projection& projection, double aspect) {
    OrbitCamera camera = StartCamera();
    const CameraKeys& keys = options.camera;
    if (keys.azimuthDegrees) camera.theta = Radians(*keys.azimuthDegrees);
    if (keys.elevationDegrees) camera.phi = HeldPolarAngle(Radians(90 - *keys.elevationDegrees));
    if (options.fitView) {
        camera = FittedCamera(camera, SphereBounds(survey, sphereRadius), projection.fieldOfView, aspect);
    }
    if (keys.distance) camera.distance = std::fmin(std::fmax(*keys.distance, distanceLowest), distanceHighest);
    if (keys.centre) camera.centre = *keys.centre;
    return camera;
}

std::string CameraConfigLines(const OrbitCamera& camera) {
    char text[256];
    std::snprintf(text, sizeof text, "[camera]\nazimuth = %.12g\nelevation = %.12g\ndistance = %.12g\ncenter = '%.12g %.12g %.12g'\n",
                  Degrees(camera.theta), 90 - Degrees(camera.phi), camera.distance, camera.centre[0], camera.centre[1],
                  camera.centre[2]);
    return text;
}
