// Dark outlines where depth jumps, drawn over a picture of impostors from
// its depth buffer, as edge cueing does: a pixel whose neighbour lies much
// deeper, or is background, is darkened. The test is made in the picture, a
// pixel at a time, so the lines stay one pixel wide at any zoom, and depend
// on the frame's geometry alone, so they do not flicker while it turns.
#pragma once

#include <string>

#include "camera/frame_view.h"

class OutlinePass {
public:
    // Builds its shaders in the current context; returns why it cannot, or "".
    std::string Start();

    // Darkens the edges of what the current framebuffer holds in its
    // `width` x `height` drawing area, drawn with `projection`. A depth jump
    // counts when it is more than three sphere radii and more than 2 % of
    // the nearer depth.
    void Draw(int width, int height, const Matrix4& projection, double radius);

private:
    unsigned program_ = 0;
    unsigned depths_ = 0;
    int width_ = 0, height_ = 0;
};
