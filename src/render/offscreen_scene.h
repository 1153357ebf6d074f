// The scene of config.txt in the working directory, read as the viewer reads
// it (the same keys, defaults and messages) and made ready to draw in an
// OpenGL context of its own, with no window.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "config_store.h"
#include "series/frame_loader.h"
#include "offscreen_context.h"
#include "offscreen_picture.h"
#include "scene_renderer.h"
#include "scene_settings.h"
#include "surf_data.h"

class OffscreenScene {
public:
    // Reads config.txt and its data file (one that cannot be opened ends the
    // process with status 1, as it ends the viewer), makes the context and
    // prepares the renderer. Tiles are at most `largestTile` samples a side
    // (0: what the context allows).
    explicit OffscreenScene(int largestTile = 0);

    // False, with the reason, when no context could be made.
    bool ok() const { return context_.ok(); }
    const std::string& error() const { return context_.error(); }

    // The view the viewer opens with, for a picture of width x height,
    // turned `turn` of `turns` steps around the vertical axis through the
    // look-at point. With fit-view its planes hold the points.
    // The camera is the one of the first frame shown, kept for a series.
    FrameView View(int width, int height, int turn = 0, int turns = 0);

    // Shows a frame of the series, read and made ready elsewhere as
    // Preparation() says; it must outlive its drawing.
    void ShowFrame(const LoadedFrame& frame);
    FramePreparation Preparation() const;
    const SceneSettings& settings() const { return settings_; }

    // The picture of `view`; empty, with pictureError(), when it could not
    // be drawn.
    Image Draw(const FrameView& view, const PictureRequest& request) { return pictures_->Draw(view, request); }
    const std::string& pictureError() const { return pictures_->error(); }

    const SurfData& points() const { return points_; }
    // The data file the scene opened with: for a series, the frame it opened on.
    const std::string& firstFile() const { return firstFile_; }

private:
    ConfigStore config_;
    SceneSettings settings_;
    std::string firstFile_;
    SurfData points_;
    OffscreenContext context_;
    SceneRenderer scene_;
    std::unique_ptr<OffscreenPictures> pictures_;
    std::optional<OrbitCamera> camera_;
};
