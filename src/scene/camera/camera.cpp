#include "camera/camera.h"

#include <cmath>

namespace {

const double panRatePerDistance = 0.002;

}  // namespace

OrbitCamera StartCamera() { return {{10.0, 10.0, 0.0}, 30.0, 5 * M_PI / 4, M_PI / 4}; }

Projection StartProjection() { return {}; }

Point3 EyePosition(const OrbitCamera& c) {
    return {c.centre[0] + c.distance * std::sin(c.phi) * std::cos(c.theta),
            c.centre[1] + c.distance * std::sin(c.phi) * std::sin(c.theta), c.centre[2] + c.distance * std::cos(c.phi)};
}

OrbitCamera Orbited(OrbitCamera c, int dx, int dy) {
    c.theta = c.theta - dx * M_PI * 2 * 0.0005;
    c.phi = c.phi - dy * M_PI * 2 * 0.0005;
    return c;
}

OrbitCamera Panned(OrbitCamera c, int dx, int dy) {
    // On the ground plane the screen's rightward direction is (-sin θ, cos θ)
    // and its downward one (cos θ, sin θ).
    const double theta = c.theta;
    const double distance = c.distance;
    c.centre[0] = c.centre[0] - (dy * std::cos(theta) - dx * std::sin(theta)) * distance * panRatePerDistance;
    c.centre[1] = c.centre[1] - (dx * std::cos(theta) + dy * std::sin(theta)) * distance * panRatePerDistance;
    return c;
}

double HeldPolarAngle(double phi) {
    if (phi < polarAngleLowest) phi = polarAngleLowest;
    if (phi > polarAngleHighest) phi = polarAngleHighest;
    return phi;
}

WheelZoom Wheeled(WheelZoom zoom, int direction) {
    if (direction == 1) {
        if (zoom.stepsPastBound > 0) {
            --zoom.stepsPastBound;
        } else {
            zoom.distance = zoom.distance / zoomFactor;
        }
    } else if (zoom.distance * zoomFactor > distanceHighest) {
        ++zoom.stepsPastBound;
    } else {
        zoom.distance = zoom.distance * zoomFactor;
    }
    if (zoom.distance < distanceLowest) zoom.distance = distanceLowest;
    return zoom;
}
