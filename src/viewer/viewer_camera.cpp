#include "viewer_camera.h"

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
    frame.width = scene.area().width;
    frame.height = scene.area().height;
    frame.dragging = dragMode != 0;
    return frame;
}

void PlaceOpeningCamera() {
    // Before the first resize the window has the size it was opened with.
    const bool sized = scene.area().width > 0 && scene.area().height > 0;
    StoreCamera(scene.OpeningCamera(sized ? scene.area().width : windowWidth,
                                    sized ? scene.area().height : windowHeight));
    scene.ForgetHeldWheelSteps();
}

void ApplyProjection() {
    const Projection held = scene.ProjectionFor(CurrentProjection(), CurrentCamera());
    nearPlane = held.nearPlane;
    farPlane = held.farPlane;
    LoadPerspective(CurrentProjection(), scene.area().width, scene.area().height);
}
