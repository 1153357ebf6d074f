#include "offscreen_scene.h"

#include <cmath>

#include "data_file.h"
#include "point_limit.h"
#include "lists/sphere_mesh.h"

OffscreenScene::OffscreenScene(const OffscreenTrials& trials)
    : config_(std::make_unique<ConfigStore>("config.txt", nullptr, nullptr, nullptr)),
      scene_(ReadSceneSettings(*config_), DrawSphereMesh),
      firstFile_(FirstDataFile(*config_)),
      data_(std::make_unique<SurfData>(firstFile_, SurfaceUseFor(*config_), LevelMappingOf(scene_.settings().series))) {
    scene_.SetDataFile(*data_, firstFile_);
    context_.emplace();
    if (!context_->ok()) return;
    Ready(SurfaceOf(*data_), trials);
}

OffscreenScene::OffscreenScene(const SceneSettings& settings, const HeightGrid& grid, Diagnostics& report,
                               const OffscreenTrials& trials)
    : scene_(settings, DrawSphereMesh, report) {
    context_.emplace();
    if (!context_->ok()) return;
    // As a data file is loaded: the impostors draw from the grid, the lists
    // from its points, under the same limit on points.
    SurfaceSource surface{&grid, {}};
    if (settings.options.renderer != Renderer::impostors) {
        const std::uint64_t points = grid.spheres();
        if (points > MaxLoadablePoints()) {
            report.Error("the grid's " + std::to_string(points) + " points are more than the " +
                         std::to_string(MaxLoadablePoints()) + " points this machine's memory allows");
            return;
        }
        WriteGridPoints(grid, x_, y_, z_);
        surface = {nullptr, PointView(x_, y_, z_)};
    }
    Ready(surface, trials);
}

OffscreenScene::~OffscreenScene() {
    // Another scene's context may be the current one: this scene's objects
    // are deleted in its own.
    if (context_) context_->MakeCurrent();
}

void OffscreenScene::Ready(const SurfaceSource& surface, const OffscreenTrials& trials) {
    const SceneSettings& settings = scene_.settings();
    scene_.Start(trials.renderer);
    scene_.SetSurface(surface);
    scene_.Prepare(settings.sphereRadius, settings.sphereTesel);
    scene_.KeepColoursForSeries();
    scene_.SetFrameFacts(FactsFor(1, 1, firstFile_));
    pictures_ = std::make_unique<OffscreenPictures>(scene_, trials.largestTile);
}

void OffscreenScene::SetCameraKeys(const CameraKeys& keys) {
    scene_.options().camera = keys;
    camera_.reset();
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
