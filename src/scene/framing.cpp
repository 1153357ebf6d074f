#include "framing.h"

#include "camera/camera_fit.h"
#include "camera/opening_camera.h"
#include "survey/point_survey.h"

OverlayLayout OverlaysFor(const SceneSettings& settings, const PointSurvey& survey, int width, int height) {
    const OrbitCamera angles = OpeningAngles(settings.options);
    const double terrainAspect = SeenAspect(SphereBounds(survey, settings.sphereRadius), angles.theta, angles.phi);
    return LayOutOverlays(OverlaysWanted(settings, survey), width, height, settings.options.fitView, terrainAspect);
}

namespace {

double Aspect(int width, int height) { return static_cast<double>(width) / (height > 0 ? height : 1); }

// The part of the picture a fitted view frames the terrain in.
ScreenRect FittedArea(const SceneSettings& settings, const PointSurvey& survey, int width, int height) {
    if (!settings.options.fitView || width <= 0 || height <= 0) return {};
    const Box free = OverlaysFor(settings, survey, width, height).free;
    return {free.left / width, free.bottom / height, free.right / width, free.top / height};
}

std::vector<Point3> HullHolding(const PointSurvey& survey, double radius, const Bounds& alsoHold) {
    std::vector<Point3> hull = SphereHull(survey, radius);
    if (alsoHold.empty) return hull;
    for (int corner = 0; corner < 8; ++corner) {
        hull.push_back({(corner & 1 ? alsoHold.highest : alsoHold.lowest)[0],
                        (corner & 2 ? alsoHold.highest : alsoHold.lowest)[1],
                        (corner & 4 ? alsoHold.highest : alsoHold.lowest)[2]});
    }
    return hull;
}

}  // namespace

OrbitCamera OpeningCameraFor(const SceneSettings& settings, const PointSurvey& survey, int width, int height,
                             const Bounds& alsoHold) {
    return OpeningCamera(settings.options, HullHolding(survey, settings.sphereRadius, alsoHold), StartProjection(),
                         Aspect(width, height), FittedArea(settings, survey, width, height));
}

OrbitCamera RefittedFor(const SceneSettings& settings, const PointSurvey& survey, const OrbitCamera& camera,
                        int width, int height, const Bounds& alsoHold) {
    return FittedCamera(camera, HullHolding(survey, settings.sphereRadius, alsoHold), StartProjection().fieldOfView,
                        Aspect(width, height), FittedArea(settings, survey, width, height));
}
