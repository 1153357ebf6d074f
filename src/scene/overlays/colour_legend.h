// The legend of the height colours: a vertical bar of the colour map from
// the lowest level of the range to the highest, with a few values beside
// it, in levels or in metres, on a light panel where the overlays' layout
// puts it, by default near the picture's right edge. Its size follows the
// picture's height, so it reads the same in a small window and in a large
// rendered picture.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "camera/frame_view.h"
#include "overlays/overlay.h"
#include "scene_settings.h"

struct PointSurvey;

struct LegendScale {
    ColourRange range;
    // What one level is in metres; 0 gives the values in levels.
    double metresPerLevel = 0;
    // The height of level 0, in metres.
    double levelZeroMetres = 0;
};

struct LegendTick {
    double level = 0;  // where on the bar, in levels
    std::string label;
};

// The values written beside the bar, from the lowest up: both ends of the
// range and round values between them, 3 to 6 in all, every one with the
// same number of decimals. In metres each carries " m"; in levels the
// highest carries " levels". A range of no extent (every sphere takes the
// map's middle colour) has its one value; one beyond the numbers has none,
// and no legend is drawn.
std::vector<LegendTick> LegendTicks(const LegendScale& scale);

// Where the legend stands: the right edge of its panel, and the height its
// bar is centred on, in pixels of the whole picture.
struct LegendPlace {
    double right = 0;
    double middle = 0;
};

// Its place unless room is made for it elsewhere: near the picture's right
// edge, halfway up.
LegendPlace EdgeLegendPlace(int width, int height);

// The legend's panel at `place` on a picture of width x height; none when
// the legend has no values to show, and then it is not drawn.
std::optional<Box> LegendPanel(const LegendScale& scale, int width, int height, const LegendPlace& place);

// Draws the legend at `place` over the picture in the current OpenGL
// context, with the fixed-function pipeline, leaving every piece of state as
// it found it. The picture is width x height pixels (or samples, for a
// supersampled one), of which `tile` is drawn now (a width of 0: the whole
// picture); the legend is laid out on the whole picture, so tiles show their
// parts of it.
void DrawLegend(const LegendScale& scale, int width, int height, const TileWindow& tile, const LegendPlace& place);

// The legend the options ask for: "display/legend = 1" with the height
// colours (the red material has none), its values in metres when the
// series gives what a level is.
std::optional<LegendScale> WantedLegend(const DisplayOptions& options, const PointSurvey& survey,
                                        const SeriesSettings& series);
