#include "viewer_fit.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "viewer_state.h"

namespace {

// The share of the half-width kept free at each edge of the fitted view.
const double fitMargin = 0.05;

Bounds fittedBox;

Point3 Centre() { return {centerX, centerY, centerZ}; }

}  // namespace

void FitCameraToPoints() {
    fittedBox = SphereBounds(*data, sphereRadius);
    if (fittedBox.empty) return;
    const Point3 middle = fittedBox.middle();
    centerX = middle[0];
    centerY = middle[1];
    centerZ = middle[2];
    const double aspect = static_cast<double>(windowWidth) / static_cast<double>(windowHeight);
    camDistance = FitDistance(fittedBox, camTheta, camPhi, fieldOfView, aspect, fitMargin);
}

void ApplyProjection(const Point3& eye) {
    if (fitView && !fittedBox.empty) {
        const ClipPlanes planes = ClipPlanesFor(fittedBox, eye, Centre());
        nearPlane = static_cast<float>(planes.nearPlane);
        farPlane = static_cast<float>(planes.farPlane);
    }
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // A window shrunk to no height has no aspect ratio; one pixel keeps the
    // projection finite until it grows again.
    const int aspectHeight = viewportHeight == 0 ? 1 : viewportHeight;
    gluPerspective(fieldOfView, static_cast<double>(viewportWidth) / static_cast<double>(aspectHeight), nearPlane,
                   farPlane);
}
