// What the pictures carry over the scene (the colour legend, the axes and
// the scale bar): drawn with the fixed-function pipeline in whole-picture
// pixels from the bottom left, so a picture drawn in tiles shows each its
// part, and with state of their own that the scene gets back afterwards.
#pragma once

#include <string>

#include "camera/frame_view.h"

// A box of the picture, in pixels of the whole picture from its bottom left.
struct Box {
    double left = 0, bottom = 0, right = 0, top = 0;

    double width() const { return right - left; }
    double height() const { return top - bottom; }
};

// Whether two boxes share more than an edge.
bool Overlap(const Box& a, const Box& b);

// Panels are light and a little translucent, text and lines nearly black:
// they read over any colour the scene has and on its white ground.
extern const float panelColour[4];
extern const float inkColour[4];

// Whatever state the scene leaves, an overlay draws with its own and puts
// the scene's back: matrices, enables, viewport, blending and colour through
// the attribute stack, the shader program and vertex array by hand. While it
// lives, vertices are whole-picture pixels of a picture of width x height,
// of which `tile` (a width of 0: all of it) is being drawn.
class OverlayState {
public:
    OverlayState(int width, int height, const TileWindow& tile);
    ~OverlayState();

    OverlayState(const OverlayState&) = delete;
    OverlayState& operator=(const OverlayState&) = delete;

private:
    bool shaders_ = false, vertexArrays_ = false;
    int program_ = 0, vertexArray_ = 0;
};

// Between glBegin(GL_QUADS) and glEnd: a box, and `text` in the bitmap font
// with its left edge at `left`, centred on `middle`, a font pixel `unit`
// pixels wide.
void FillBox(const Box& box);
void DrawText(const std::string& text, double left, double middle, double unit);

// How large overlays draw on a picture: one font pixel is this many pixels,
// twice the font's size on a picture six hundred lines high; narrow pictures
// take their width as the measure.
double OverlayUnit(int width, int height);

// Overlays keep this many units from the picture's edges and from each
// other, and pad their panels by this many round what they show.
constexpr double overlayGap = 8;
constexpr double overlayPadding = 5;
