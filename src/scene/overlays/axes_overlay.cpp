#include <epoxy/gl.h>

#include "overlays/axes_overlay.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "overlays/bitmap_font.h"
#include "overlays/overlay.h"

namespace {

const float axisColours[3][4] = {{0.85f, 0.15f, 0.1f, 1.0f}, {0.1f, 0.6f, 0.15f, 1.0f}, {0.15f, 0.3f, 0.9f, 1.0f}};
const char* const axisNames[3] = {"x", "y", "z"};

// A thick line from a to b, as one quad.
void Line(double ax, double ay, double bx, double by, double width) {
    const double dx = bx - ax, dy = by - ay, length = std::hypot(dx, dy);
    if (!(length > 0)) return;
    const double nx = -dy / length * width / 2, ny = dx / length * width / 2;
    glVertex2d(ax + nx, ay + ny);
    glVertex2d(bx + nx, by + ny);
    glVertex2d(bx - nx, by - ny);
    glVertex2d(ax - nx, ay - ny);
}

// The tripod's arms, and the room round them for their letters.
const double armUnits = 18, letterRoomUnits = 5;

void DrawTripod(const FrameView& frame, const AxesPlace& place, double u) {
    const Matrix4 view = ModelviewMatrix(frame);
    const double arm = armUnits * u, pad = overlayPadding * u;
    const double cx = place.tripodLeft + pad + arm + letterRoomUnits * u;
    const double cy = place.tripodBottom + pad + arm + letterRoomUnits * u;
    glBegin(GL_QUADS);
    glColor4fv(panelColour);
    FillBox(TripodPanel(place, u));
    glEnd();
    // The axes furthest from the eye first, so the nearer ones cross them.
    std::array<int, 3> order = {0, 1, 2};
    std::sort(order.begin(), order.end(), [&](int a, int b) { return view[4 * a + 2] < view[4 * b + 2]; });
    for (int axis : order) {
        const double ex = view[static_cast<std::size_t>(4 * axis)] * arm;
        const double ey = view[static_cast<std::size_t>(4 * axis + 1)] * arm;
        glBegin(GL_QUADS);
        glColor4fv(axisColours[axis]);
        Line(cx, cy, cx + ex, cy + ey, 1.6 * u);
        // The letter just past the arm's end, in the arm's colour.
        const double reach = std::hypot(ex, ey);
        const double lx = reach > 0 ? cx + ex * (reach + 4 * u) / reach : cx, ly = reach > 0 ? cy + ey * (reach + 4 * u) / reach : cy;
        DrawText(axisNames[axis], lx - glyphColumns * u / 2, ly, u);
        glEnd();
    }
}

// The top of the scale bar's panel: the bar, a gap, its label and padding.
double ScaleBarTop(const AxesPlace& place, double u) {
    const double pad = overlayPadding * u;
    return place.barBottom + pad + 3 * u + 4 * u + glyphRows * u + pad;
}

void DrawScaleBar(const ScaleBar& bar, const AxesPlace& place, double u) {
    const double pad = overlayPadding * u, middle = place.barMiddle;
    const double textWidth = TextColumns(bar.label) * u;
    const double left = middle - bar.pixels / 2, bottom = place.barBottom + pad;
    glBegin(GL_QUADS);
    glColor4fv(panelColour);
    FillBox({std::min(left, middle - textWidth / 2) - pad, place.barBottom,
             std::max(left + bar.pixels, middle + textWidth / 2) + pad, ScaleBarTop(place, u)});
    glColor4fv(inkColour);
    // A bar with ends a little taller, and its length above it.
    FillBox({left, bottom, left + bar.pixels, bottom + 1.5 * u});
    FillBox({left, bottom, left + 1.2 * u, bottom + 3 * u});
    FillBox({left + bar.pixels - 1.2 * u, bottom, left + bar.pixels, bottom + 3 * u});
    DrawText(bar.label, middle - textWidth / 2, bottom + 3 * u + 2 * u + glyphRows * u / 2, u);
    glEnd();
}

// The longest of 1, 2 or 5 times a power of ten that is at most `most`
// metres, as a bar for `metresPerPixel`.
ScaleBar BarOfAtMost(double metresPerPixel, double most) {
    ScaleBar bar;
    // Past the largest double, or below the smallest, no length can be
    // written down.
    if (!(most > 0) || !std::isfinite(most)) return bar;
    double best = 0;
    // The power of ten at or below the most, and one on either side of it.
    const int top = static_cast<int>(std::floor(std::log10(most)));
    for (int exponent = top - 1; exponent <= top + 1; ++exponent) {
        for (const double mantissa : {1.0, 2.0, 5.0}) {
            const double metres = mantissa * std::pow(10.0, exponent);
            if (std::isfinite(metres) && metres <= most * (1 + 1e-9)) best = std::max(best, metres);
        }
    }
    if (!(best > 0)) return bar;
    bar.metres = best;
    bar.pixels = best / metresPerPixel;
    char text[32];
    if (best >= 1000) {
        std::snprintf(text, sizeof text, "%g km", best / 1000);
    } else {
        std::snprintf(text, sizeof text, "%g m", best);
    }
    bar.label = text;
    return bar;
}

}  // namespace

ScaleBar ScaleBarWithin(double metresPerPixel, double longestPixels) {
    if (!(metresPerPixel > 0) || !std::isfinite(metresPerPixel) || !(longestPixels > 0)) return {};
    return BarOfAtMost(metresPerPixel, metresPerPixel * longestPixels);
}

ScaleBar ScaleBarFor(double metresPerPixel, int width) {
    if (!(metresPerPixel > 0) || !std::isfinite(metresPerPixel) || width <= 0) return {};
    return BarOfAtMost(metresPerPixel, metresPerPixel * width / 5);
}

AxesPlace CornerAxesPlace(int width, int height) {
    AxesPlace place;
    const double margin = overlayGap * OverlayUnit(width, height);
    place.tripodLeft = place.tripodBottom = margin;
    place.barMiddle = width / 2.0;
    place.barBottom = margin;
    place.barLongest = width / 5.0;
    return place;
}

Box TripodPanel(const AxesPlace& place, double u) {
    // Padding, room for a letter and an arm on either side of the middle.
    const double arm = armUnits * u, pad = overlayPadding * u, room = letterRoomUnits * u;
    const double cx = place.tripodLeft + pad + arm + room, cy = place.tripodBottom + pad + arm + room;
    return {place.tripodLeft, place.tripodBottom, cx + arm + pad + room, cy + arm + pad + room};
}

Box ScaleBarRoom(const AxesPlace& place, double u) {
    const double half = place.barLongest / 2 + overlayPadding * u;
    return {place.barMiddle - half, place.barBottom, place.barMiddle + half, ScaleBarTop(place, u)};
}

void DrawAxes(const FrameView& frame, double cellMetres, const AxesPlace& place) {
    if (frame.width <= 0 || frame.height <= 0) return;
    const double u = OverlayUnit(frame.width, frame.height);
    const OverlayState state(frame.width, frame.height, frame.tile);
    DrawTripod(frame, place, u);
    if (!(cellMetres > 0)) return;
    // At the look-at point one scene unit (a cell) shows this many pixels.
    const double pixelsPerUnit =
        frame.height / 2.0 / std::tan(frame.projection.fieldOfView * M_PI / 360) / frame.camera.distance;
    const ScaleBar bar = ScaleBarWithin(cellMetres / pixelsPerUnit, place.barLongest);
    if (bar.pixels > 0) DrawScaleBar(bar, place, u);
}
