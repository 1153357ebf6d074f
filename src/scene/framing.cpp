#include "framing.h"

#include "camera/camera_fit.h"
#include "camera/opening_camera.h"
#include "survey/point_survey.h"

OverlayLayout OverlaysFor(const SceneSettings& settings, const PointSurvey& survey, int width, int height) {
    const OrbitCamera angles = OpeningAngles(settings.options);
    const double terrainAspect = SeenAspect(SphereBounds(survey, settings.sphereRadius), angles.theta, angles.phi);
    return LayOutOverlays(OverlaysWanted(settings, survey), width, height, settings.options.fitView, terrainAspect);
}

OrbitCamera OpeningCameraFor(const SceneSettings& settings, const PointSurvey& survey, int width, int height) {
    const double aspect = static_cast<double>(width) / (height > 0 ? height : 1);
    ScreenRect area;
    if (settings.options.fitView && width > 0 && height > 0) {
        const Box free = OverlaysFor(settings, survey, width, height).free;
        area = {free.left / width, free.bottom / height, free.right / width, free.top / height};
    }
    return OpeningCamera(settings.options, survey, settings.sphereRadius, StartProjection(), aspect, area);
}
