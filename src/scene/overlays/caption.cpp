#include <epoxy/gl.h>

#include "overlays/caption.h"

#include <algorithm>

#include "overlays/bitmap_font.h"

namespace {

// In font pixels: the panel's distance from the picture's edges, and the
// room around the text inside it.
constexpr double edge = 3;
constexpr double padding = 2;

// The longest start of `text` whose panel fits `width`.
std::string Fitting(const std::string& text, int width, double unit) {
    const double room = width / unit - 2 * (edge + padding);
    std::string fitting = text;
    while (!fitting.empty() && TextColumns(fitting) > room) fitting.pop_back();
    return fitting;
}

}  // namespace

Box CaptionBox(const std::string& text, int width, int height) {
    if (text.empty() || width <= 0 || height <= 0) return {};
    const double unit = OverlayUnit(width, height);
    const double columns = TextColumns(Fitting(text, width, unit));
    if (columns <= 0) return {};
    const double top = height - edge * unit;
    const double left = edge * unit;
    return {left, top - (glyphRows + 2 * padding) * unit, left + (columns + 2 * padding) * unit, top};
}

Box CaptionBand(int width, int height) {
    const Box one = CaptionBox("0", width, height);
    return {0, one.bottom, static_cast<double>(width), static_cast<double>(height)};
}

void DrawCaption(const std::string& text, const FrameView& frame) {
    const Box box = CaptionBox(text, frame.width, frame.height);
    if (box.right <= box.left) return;
    const double unit = OverlayUnit(frame.width, frame.height);
    const OverlayState state(frame.width, frame.height, frame.tile);
    glBegin(GL_QUADS);
    glColor4fv(panelColour);
    FillBox(box);
    glColor4fv(inkColour);
    DrawText(Fitting(text, frame.width, unit), box.left + padding * unit, (box.bottom + box.top) / 2, unit);
    glEnd();
}
