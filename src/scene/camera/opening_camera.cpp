#include "camera/opening_camera.h"

#include <cmath>
#include <cstdio>

#include "survey/point_survey.h"

namespace {

double Radians(double degrees) { return degrees * M_PI / 180; }
double Degrees(double radians) { return radians * 180 / M_PI; }

}  // namespace

OrbitCamera OpeningAngles(const DisplayOptions& options) {
    OrbitCamera camera = StartCamera();
    const CameraKeys& keys = options.camera;
    if (keys.azimuthDegrees) camera.theta = Radians(*keys.azimuthDegrees);
    if (keys.elevationDegrees) camera.phi = HeldPolarAngle(Radians(90 - *keys.elevationDegrees));
    return camera;
}

OrbitCamera OpeningCamera(const DisplayOptions& options, const PointSurvey& survey, double sphereRadius,
                          const Projection& projection, double aspect, const ScreenRect& area) {
    return OpeningCamera(options, SphereHull(survey, sphereRadius), projection, aspect, area);
}

OrbitCamera OpeningCamera(const DisplayOptions& options, const std::vector<Point3>& hull, const Projection& projection,
                          double aspect, const ScreenRect& area) {
    OrbitCamera camera = OpeningAngles(options);
    const CameraKeys& keys = options.camera;
    if (options.fitView) camera = FittedCamera(camera, hull, projection.fieldOfView, aspect, area);
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
