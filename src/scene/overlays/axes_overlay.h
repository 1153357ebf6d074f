// Where the scene's axes point, and how large it is: a small tripod that
// turns with the camera (x red, y green, z blue, each with its letter), and,
// when the ground size of a cell is known, a scale bar: a round length in
// metres or kilometres as long as it shows at the look-at point. Both stand
// where the overlays' layout puts them, by default the tripod in the
// picture's bottom left corner and the bar in the middle of its bottom edge.
// Sized in proportion to the picture, like the legend.
#pragma once

#include <string>

#include "camera/frame_view.h"
#include "overlays/overlay.h"

// The scale bar's length for a picture that shows `metresPerPixel` at the
// look-at point: the longest of 1, 2 or 5 times a power of ten that spans
// at most `longestPixels`, or a fifth of `width` pixels; its label ("500 m",
// "2 km"). A length of 0 when there is nothing to measure.
struct ScaleBar {
    double metres = 0;
    double pixels = 0;
    std::string label;
};
ScaleBar ScaleBarWithin(double metresPerPixel, double longestPixels);
ScaleBar ScaleBarFor(double metresPerPixel, int width);

// Where the tripod and the scale bar stand, in pixels of the whole picture:
// the bottom left corner of the tripod's panel; the middle of the bar, the
// bottom of its panel and the longest the bar may be.
struct AxesPlace {
    double tripodLeft = 0, tripodBottom = 0;
    double barMiddle = 0, barBottom = 0, barLongest = 0;
};

// Their places unless room is made for them elsewhere: the tripod in the
// bottom left corner, the bar in the middle of the bottom edge, at most a
// fifth of the picture long.
AxesPlace CornerAxesPlace(int width, int height);

// The tripod's panel, and the room the scale bar's panel may take, at
// `place` for overlays of `unit` pixels (OverlayUnit).
Box TripodPanel(const AxesPlace& place, double unit);
Box ScaleBarRoom(const AxesPlace& place, double unit);

// Draws the tripod, and the scale bar when `cellMetres` > 0, at `place`
// over the frame just drawn, in the current context; every piece of state
// is put back.
void DrawAxes(const FrameView& frame, double cellMetres, const AxesPlace& place);
