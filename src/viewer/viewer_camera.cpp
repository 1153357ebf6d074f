#include "viewer_camera.h"

#include "camera/camera_fit.h"
#include "camera/opening_camera.h"
#include "viewer_callbacks.h"
#include "viewer_state.h"

OrbitCamera CurrentCamera() { return {{centerX, centerY, centerZ}, camDistance, camTheta, camPhi}; }

void StoreCamera(const OrbitCamera& camera) {
    camDistance = camera.distance;
    camTheta = camera.theta;
    camPhi = camera.phi;
    centerX = camera.centre[0];
    centerY = camera.centre[1];
    centerZ = camera.centre[2];
}

Projection CurrentProjection() { return {fieldOfView, nearPlane, farPlane}; }

FrameView CurrentFrame() {
    FrameView frame;
    frame.camera = CurrentCamera();
    frame.up = {upX, upY, upZ};
    frame.projection = CurrentProjection();
    const WindowArea area = DrawingArea();
    frame.width = area.width;
    frame.height = area.height;
    frame.dragging = dragMode != 0;
    return frame;
}

void PlaceOpeningCamera() {
    const double aspect = static_cast<double>(windowWidth) / static_cast<double>(windowHeight);
    StoreCamera(OpeningCamera(displayOptions, scene.survey(), sphereRadius, CurrentProjection(), aspect));
    ForgetHeldWheelSteps();
}

void ApplyProjection(const Point3& eye) {
    if (displayOptions.fitView) {
        const Projection held =
            ProjectionHolding(CurrentProjection(), SphereBounds(scene.survey(), sphereRadius), eye, CurrentCamera().centre);
        nearPlane = held.nearPlane;
        farPlane = held.farPlane;
    }
    LoadPerspective(CurrentProjection(), DrawingArea().width, DrawingArea().height);
}
