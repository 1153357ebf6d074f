// The scene of config.txt in the working directory, read as the viewer reads
// it (the same keys, defaults and messages) and made ready to draw in an
// OpenGL context of its own, with no window; or a scene of settings and a
// grid already in memory, made ready the same way.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "config_store.h"
#include "offscreen_context.h"
#include "offscreen_picture.h"
#include "scene.h"
#include "surf_data.h"

// What pelorin-render is asked beyond the picture itself, for its tests.
struct OffscreenTrials {
    // Tiles of at most this many samples a side; 0: what the context allows.
    int largestTile = 0;
    RendererTrials renderer;
};

class OffscreenScene {
public:
    // Reads config.txt and its data file (one that cannot be opened ends the
    // process with status 1, as it ends the viewer), makes the context and
    // prepares the renderer.
    explicit OffscreenScene(const OffscreenTrials& trials = {});
    // The scene of `settings` showing `grid`, which must outlive it, with no
    // file read and nothing printed: what goes wrong is said to `report`.
    // The grid is drawn as pelorin-render draws a data file of it: its
    // points made for the display lists, the grid itself for the impostors.
    OffscreenScene(const SceneSettings& settings, const HeightGrid& grid, Diagnostics& report,
                   const OffscreenTrials& trials = {});
    ~OffscreenScene();

    OffscreenScene(const OffscreenScene&) = delete;
    OffscreenScene& operator=(const OffscreenScene&) = delete;

    // False, with the reason, when no context could be made.
    bool ok() const { return context_->ok() && pictures_ != nullptr; }
    const std::string& error() const { return context_->error(); }

    // The context is current on the thread that made the scene. Another
    // thread takes it before drawing, and gives it up after.
    bool MakeCurrent() { return context_->MakeCurrent(); }
    void Release() { context_->Release(); }

    // Views and pictures from now on take `keys` for config.txt's [camera].
    void SetCameraKeys(const CameraKeys& keys);

    // The view the viewer opens with, for a picture of width x height,
    // turned `turn` of `turns` steps around a vertical axis (the one
    // through the look-at point, or with fit-view through the middle of the
    // points). With fit-view its planes hold the points.
    // The camera is the one of the first frame shown, kept for a series.
    FrameView View(int width, int height, int turn = 0, int turns = 0);

    // Shows a frame of the series, read and made ready elsewhere as
    // Preparation() says; it must outlive its drawing.
    void ShowFrame(const LoadedFrame& frame);
    void SetFrameFacts(const FrameFacts& facts) { scene_.SetFrameFacts(facts); }
    // For frames shown from memory, with no series in the settings: the
    // colour range is fixed to the frame on show, as a series fixes it.
    void KeepColoursForFrames() { scene_.KeepColours(); }
    FramePreparation Preparation() const { return scene_.Preparation(scene_.settings().sphereRadius); }
    const SceneSettings& settings() const { return scene_.settings(); }
    // The data file the scene opened on: for a series, its first frame that
    // can be read.
    const std::string& firstFile() const { return firstFile_; }

    // The picture of `view`; empty, with pictureError(), when it could not
    // be drawn.
    Image Draw(const FrameView& view, const PictureRequest& request) { return pictures_->Draw(view, request); }
    const std::string& pictureError() const { return pictures_->error(); }


    // The line that says what pixel (x, y), from the top left, of the
    // picture of `view` shows: the sphere met first on the ray through it,
    // named as the data file counts its cells.
    std::string PickLine(const FrameView& view, int x, int y) const;

private:
    // Shows `surface` and makes everything ready to draw.
    void Ready(const SurfaceSource& surface, const OffscreenTrials& trials);

    // Made once the data is read, as it always was, and gone last: the
    // scene's OpenGL objects are deleted with their context current.
    std::optional<OffscreenContext> context_;
    std::unique_ptr<ConfigStore> config_;
    Scene scene_;
    std::string firstFile_;
    // The file road's data; null for a grid in memory.
    std::unique_ptr<SurfData> data_;
    // A grid in memory drawn by the display lists: its points.
    std::vector<double> x_, y_, z_;
    std::unique_ptr<OffscreenPictures> pictures_;
    std::optional<OrbitCamera> camera_;
};
