#include <epoxy/gl.h>

#include "offscreen_scene.h"

#include <cmath>

#include "camera/camera_fit.h"
#include "camera/opening_camera.h"
#include "shading/fixed_state.h"
#include "data_file.h"
#include "lists/sphere_mesh.h"
#include "shading/height_colours.h"

OffscreenScene::OffscreenScene(int largestTile)
    : config_("config.txt", nullptr, nullptr, nullptr),
      settings_(ReadSceneSettings(config_)),
      firstFile_(FirstDataFile(config_)),
      points_(firstFile_),
      scene_(DrawSphereMesh) {
    if (!context_.ok()) return;
    SetFixedState();
    glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
    scene_.Start(settings_.options.renderer);
    scene_.Show(points_);
    scene_.Prepare(settings_.sphereRadius, settings_.sphereTesel, settings_.options);
    // The colours of a series mean the same heights in every frame: the
    // first frame's range, unless the configuration fixes one.
    if (!settings_.series.pattern.empty() && !settings_.options.colourRange) {
        settings_.options.colourRange = ColoursOf(settings_.options, scene_.survey());
    }
    pictures_ = std::make_unique<OffscreenPictures>(scene_, settings_.options, largestTile, settings_.series);
}

FrameView OffscreenScene::View(int width, int height, int turn, int turns) {
    FrameView view;
    if (!camera_) {
        camera_ = OpeningCamera(settings_.options, scene_.survey(), settings_.sphereRadius, StartProjection(),
                                static_cast<double>(width) / height);
    }
    OrbitCamera camera = *camera_;
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

void OffscreenScene::ShowFrame(const LoadedFrame& frame) {
    scene_.ShowFrame(frame, settings_.sphereRadius, settings_.sphereTesel, settings_.options);
}

FramePreparation OffscreenScene::Preparation() const {
    FramePreparation preparation;
    preparation.impostors = scene_.active() == Renderer::impostors;
    preparation.radius = settings_.sphereRadius;
    preparation.cullHidden = settings_.options.cullHidden;
    preparation.levelOfDetail = settings_.options.levelOfDetail;
    preparation.occlusion = settings_.options.ambientOcclusion;
    return preparation;
}
