#include <epoxy/gl.h>

#include "offscreen_picture.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "scene.h"

namespace {

// Tiles no larger than this keep the framebuffer within 128 MB.
const int defaultLargestTile = 4096;

int ContextLargestTile() {
    GLint renderbuffer = 0, viewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    return std::min({defaultLargestTile, static_cast<int>(renderbuffer), static_cast<int>(viewport[0]),
                     static_cast<int>(viewport[1])});
}

// Averages the N x N samples of every pixel of a tile into the image.
// `samples` holds the tile's RGBA rows from the bottom; the tile's first
// pixel is (x, y) of the image, counted from its bottom left.
void Downsample(const std::vector<unsigned char>& samples, int tileWidth, int n, int x, int y, int width,
                int height, bool transparent, Image& image) {
    const std::uint32_t count = static_cast<std::uint32_t>(n * n);
    for (int py = 0; py < height; ++py) {
        for (int px = 0; px < width; ++px) {
            std::uint32_t sum[4] = {0, 0, 0, 0};
            for (int sy = 0; sy < n; ++sy) {
                const unsigned char* s = &samples[(static_cast<std::size_t>(py * n + sy) * tileWidth + px * n) * 4];
                for (int sx = 0; sx < n; ++sx, s += 4) {
                    const std::uint32_t weight = transparent ? s[3] : 1;
                    for (int c = 0; c < 3; ++c) sum[c] += s[c] * weight;
                    sum[3] += s[3];
                }
            }
            unsigned char* out =
                &image.pixels[(static_cast<std::size_t>(y + py) * image.width + x + px) * image.channels];
            const std::uint32_t total = transparent ? sum[3] : count;
            for (int c = 0; c < 3; ++c) out[c] = static_cast<unsigned char>(total ? (sum[c] + total / 2) / total : 0);
            if (transparent) out[3] = static_cast<unsigned char>((sum[3] + count / 2) / count);
        }
    }
}

}  // namespace

OffscreenPictures::OffscreenPictures(Scene& scene, int largestTile)
    : scene_(scene),
      largestTile_(largestTile > 0 ? largestTile : ContextLargestTile()) {}

OffscreenPictures::~OffscreenPictures() {
    if (framebuffer_ == 0) return;
    glDeleteFramebuffers(1, &framebuffer_);
    glDeleteRenderbuffers(1, &colour_);
    glDeleteRenderbuffers(1, &depth_);
}

bool OffscreenPictures::Target(int width, int height) {
    if (framebuffer_ != 0 && targetWidth_ >= width && targetHeight_ >= height) return true;
    if (framebuffer_ == 0) {
        glGenFramebuffers(1, &framebuffer_);
        glGenRenderbuffers(1, &colour_);
        glGenRenderbuffers(1, &depth_);
    }
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glBindRenderbuffer(GL_RENDERBUFFER, colour_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
    // The depth precision of the viewer's window.
    glBindRenderbuffer(GL_RENDERBUFFER, depth_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
    const bool ready = glGetError() == GL_NO_ERROR &&
                       glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (!ready) {
        error_ = "no framebuffer of " + std::to_string(width) + "x" + std::to_string(height) +
                 " pixels could be made to draw into";
        return false;
    }
    targetWidth_ = width;
    targetHeight_ = height;
    return true;
}

Image OffscreenPictures::Draw(const FrameView& view, const PictureRequest& request) {
    error_.clear();
    const int n = request.supersample;
    // Whole pixels a tile, so no pixel's samples are split between tiles.
    const int tilePixels = std::max(1, largestTile_ / n);
    const int columns = (request.width + tilePixels - 1) / tilePixels;
    const int rows = (request.height + tilePixels - 1) / tilePixels;
    if (!Target(std::min(request.width, tilePixels) * n, std::min(request.height, tilePixels) * n)) return {};

    Image image;
    image.width = request.width;
    image.height = request.height;
    image.channels = request.transparent ? 4 : 3;
    image.bottomUp = true;
    image.pixels.assign(static_cast<std::size_t>(request.width) * request.height * image.channels, 0);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) DrawTile(view, request, column, row, image);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return image;
}

void OffscreenPictures::DrawTile(const FrameView& view, const PictureRequest& request, int column, int row, Image& image) {
    const int n = request.supersample;
    const int tilePixels = std::max(1, largestTile_ / n);
    const int x = column * tilePixels, y = row * tilePixels;
    const int width = std::min(tilePixels, request.width - x), height = std::min(tilePixels, request.height - y);

    FrameView frame = view;
    frame.width = request.width * n;
    frame.height = request.height * n;
    frame.tile = {x * n, y * n, width * n, height * n};
    // One tile that is the whole picture is drawn as the viewer draws it.
    if (frame.tile.width == frame.width && frame.tile.height == frame.height) frame.tile = {};
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    LoadFrame(frame);
    scene_.DrawFrame(frame);

    std::vector<unsigned char> samples(static_cast<std::size_t>(width * n) * (height * n) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width * n, height * n, GL_RGBA, GL_UNSIGNED_BYTE, samples.data());
    Downsample(samples, width * n, n, x, y, width, height, request.transparent, image);
}
