// Pictures of the scene drawn into framebuffer objects of the current
// context, at any size: a picture larger than the context can draw at once
// is drawn in tiles, each through its own part of the view volume, and N x N
// samples a pixel are averaged into it.
#pragma once

#include <string>

#include "camera/frame_view.h"
#include "png_file.h"

class Scene;

struct PictureRequest {
    int width = 800;
    int height = 600;
    int supersample = 1;
    // Keep an alpha channel, the background at 0. Colours are averaged
    // weighted by their alpha, so an edge blends right over any background.
    bool transparent = false;
};

class OffscreenPictures {
public:
    // `largestTile` bounds a tile's side in samples; 0 takes what the context
    // allows, at most 4096.
    explicit OffscreenPictures(Scene& scene, int largestTile = 0);
    ~OffscreenPictures();

    OffscreenPictures(const OffscreenPictures&) = delete;
    OffscreenPictures& operator=(const OffscreenPictures&) = delete;

    // The picture of `view` (its camera, up vector and projection; its size
    // and tile are set here). On failure the image is empty and error()
    // says why.
    Image Draw(const FrameView& view, const PictureRequest& request);
    const std::string& error() const { return error_; }

private:
    bool Target(int width, int height);
    void DrawTile(const FrameView& view, const PictureRequest& request, int column, int row, Image& image);

    Scene& scene_;
    int largestTile_;
    unsigned framebuffer_ = 0, colour_ = 0, depth_ = 0;
    int targetWidth_ = 0, targetHeight_ = 0;
    std::string error_;
};
