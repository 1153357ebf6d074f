// The orbit camera as values: where the eye is, and how a drag, a wheel step
// or a configured view moves it. Nothing here touches OpenGL or a window; the
// viewer keeps the numbers in its own variables and calls these.
#pragma once

#include "vec3.h"

// The eye sits on a sphere of radius `distance` about `centre`; `theta` is
// its azimuth from +x towards +y and `phi` its polar angle from +z, in
// radians. Up is +z.
struct OrbitCamera {
    Point3 centre{};
    double distance = 0;
    double theta = 0;
    double phi = 0;
};

// Perspective: vertical field of view in degrees, and the clipping planes,
// kept in single precision as the viewer keeps them.
struct Projection {
    float fieldOfView = 40.0f;
    float nearPlane = 0.1f;
    float farPlane = 800.0f;
};

// The polar angle stays off 0, where the view direction would be parallel to
// the up vector and the camera would lose its orientation.
constexpr double polarAngleLowest = 0.00001;
constexpr double polarAngleHighest = 3.14159265358979323846;
constexpr double distanceLowest = 0.00001;
// Far beyond any view worth having, yet finite: without it some 10 000 wheel
// steps out make the distance infinite, and no step in brings it back.
constexpr double distanceHighest = 1e12;
constexpr double zoomFactor = 1.075;

// The camera the viewer starts from: 30 units from (10, 10, 0), azimuth 5π/4,
// polar angle π/4.
OrbitCamera StartCamera();
Projection StartProjection();

Point3 EyePosition(const OrbitCamera& camera);

// A left drag by (dx, dy) pixels: 0.18 degrees a pixel, right lowering the
// azimuth and down lowering the polar angle. The angle is not held here.
OrbitCamera Orbited(OrbitCamera camera, int dx, int dy);

// A right drag: the centre moves across the ground against the drag, so the
// scene follows the pointer, by 0.002 times the distance a pixel.
OrbitCamera Panned(OrbitCamera camera, int dx, int dy);

// `phi` held within [polarAngleLowest, polarAngleHighest].
double HeldPolarAngle(double phi);

// The distance and the wheel steps out that its upper bound has held back.
struct WheelZoom {
    double distance = 0;
    long stepsPastBound = 0;
};

// One wheel step: `direction` 1 brings the eye closer by zoomFactor, any
// other value takes it away. Steps out past distanceHighest are counted
// rather than taken, and steps in pay them back first, so as many steps in as
// went out always return to the same view. Never below distanceLowest.
WheelZoom Wheeled(WheelZoom zoom, int direction);
