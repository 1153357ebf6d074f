#include <epoxy/gl.h>

#include "offscreen_scene.h"

#include <cmath>

#include "camera_fit.h"
#include "camera_keys.h"
#include "fixed_state.h"
#include "sphere_mesh.h"

OffscreenScene::OffscreenScene(int largestTile)
    : config_("config.txt", nullptr, nullptr, nullptr),
      settings_(ReadSceneSettings(config_)),
      points_(std::string(config_.lookup("data/file", "data.txt"))),
      scene_(DrawSphereMesh) {
    if (!context_.ok()) return;
    SetFixedState();
    glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
    scene_.Start(settings_.options.renderer);
    scene_.Show(points_);
    scene_.Prepare(settings_.sphereRadius, settings_.sphereTesel, settings_.options);
    pictures_ = std::make_unique<OffscreenPictures>(scene_, settings_.options, largestTile);
}

FrameView OffscreenScene::View(int width, int height, int turn, int turns) const {
    FrameView view;
    OrbitCamera camera = OpeningCamera(settings_.options, scene_.survey(), settings_.sphereRadius, StartProjection(),
                                       static_cast<double>(width) / height);
    if (turns > 0) camera.theta += 2 * M_PI * turn / turns;
    view.camera = camera;
    view.width = width;
    view.height = height;
    view.projection = StartProjection();
    if (settings_.options.fitView) {
        view.projection = ProjectionHolding(view.projection, SphereBounds(scene_.survey(), settings_.sphereRadius),
                                            EyePosition(camera), camera.centre);
    }
    return view;
}
