// Where the scene's axes point, and how large it is: a small tripod in the
// picture's bottom left corner that turns with the camera (x red, y green,
// z blue, each with its letter), and, when the ground size of a cell is
// known, a scale bar at the bottom: a round length in metres or kilometres
// as long as it shows at the look-at point. Sized in proportion to the
// picture, like the legend.
#pragma once

#include <string>

#include "camera/frame_view.h"
#include "scene_settings.h"

// The scale bar's length for a picture that shows `metresPerPixel` at the
// look-at point: the longest of 1, 2 or 5 times a power of ten that spans
// at most a fifth of `width` pixels; its label ("500 m", "2 km"). A length
// of 0 when there is nothing to measure.
struct ScaleBar {
    double metres = 0;
    double pixels = 0;
    std::string label;
};
ScaleBar ScaleBarFor(double metresPerPixel, int width);

// Draws the tripod, and the scale bar when `cellMetres` > 0, over the frame
// just drawn, in the current context; every piece of state is put back.
void DrawAxes(const FrameView& frame, double cellMetres);

// The same when the options ask for it ("display/axes = 1").
void DrawAxesIfWanted(const DisplayOptions& options, const SeriesSettings& series, const FrameView& frame);
