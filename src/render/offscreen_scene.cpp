#include "offscreen_scene.h"

#include <cmath>

#include "data_file.h"
#include "lists/sphere_mesh.h"

OffscreenScene::OffscreenScene(const OffscreenTrials& trials)
    : config_("config.txt", nullptr, nullptr, nullptr),
      scene_(ReadSceneSettings(config_), DrawSphereMesh),
      firstFile_(FirstDataFile(config_)),
      points_(firstFile_, SurfaceUseFor(config_), LevelMappingOf(scene_.settings().series)) {
    scene_.SetDataFile(points_, firstFile_);
    if (!context_.ok()) return;
    const SceneSettings& settings = scene_.settings();
    scene_.Start(trials.renderer);
    scene_.SetSurface(SurfaceOf(points_));
    scene_.Prepare(settings.sphereRadius, settings.sphereTesel);
    scene_.KeepColoursForSeries();
    scene_.SetFrameFacts(FactsFor(1, 1, firstFile_));
    pictures_ = std::make_unique<OffscreenPictures>(scene_, trials.largestTile);
}

FrameView OffscreenScene::View(int width, int height, int turn, int turns) {
    FrameView view;
    if (!camera_) {
        camera_ = scene_.OpeningCamera(width, height);
    } else if (scene_.TakeRefit()) {
        camera_ = scene_.Refitted(*camera_, width, height);
    }
    OrbitCamera camera = *camera_;
    if (turns > 0) camera = scene_.TurnedAbout(camera, 2 * M_PI * turn / turns);
    view.camera = camera;
    view.width = width;
    view.height = height;
    view.projection = scene_.ProjectionFor(StartProjection(), camera);
    return view;
}

void OffscreenScene::ShowFrame(const LoadedFrame& frame) {
    const SceneSettings& settings = scene_.settings();
    scene_.ShowFrame(frame, settings.sphereRadius, settings.sphereTesel);
}

std::string OffscreenScene::PickLine(const FrameView& view, int x, int y) const {
    return scene_.PickLine(view, x, y);
}
