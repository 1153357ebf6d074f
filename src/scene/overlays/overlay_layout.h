// Where the overlays stand on a picture, and the part of it they leave to
// the terrain. Every overlay drawn puts the box it takes in one list; the
// largest rectangle that meets none of them is where a fitted view frames
// the terrain. Without a fitted view the overlays keep their fixed places
// (the legend at the right edge, the tripod in the bottom left corner, the
// scale bar in the middle of the bottom edge); with one they may instead
// stand in a column at the right edge, whichever leaves the terrain more
// room.
#pragma once

#include <optional>
#include <vector>

#include "overlays/axes_overlay.h"
#include "overlays/colour_legend.h"
#include "overlays/overlay.h"
#include "scene_settings.h"

struct PointSurvey;

// What the settings ask to be drawn over the picture.
struct WantedOverlays {
    std::optional<LegendScale> legend;
    bool axes = false;
    // With the axes, when the ground size of a cell is known.
    double cellMetres = 0;
    // A caption line at the top left.
    bool caption = false;
    bool scaleBar() const { return axes && cellMetres > 0; }
};

WantedOverlays OverlaysWanted(const SceneSettings& settings, const PointSurvey& survey);

struct OverlayLayout {
    // The places of the wanted overlays; the others' are left unset.
    std::optional<LegendPlace> legend;
    std::optional<AxesPlace> axes;
    // Every box an overlay takes. An overlay of its own adds its box here
    // (in `Reserve`), and the fitted view keeps the terrain out of it.
    std::vector<Box> taken;
    // The largest rectangle of the picture clear of them all.
    Box free;
};

// The largest rectangle of the width x height picture that overlaps none of
// `taken`, largest for a shape `aspect` times as wide as high set in it (of
// two as good, the one of more area): its edges are the picture's and the
// boxes'. The whole picture when nothing is taken.
Box LargestFreeBox(const std::vector<Box>& taken, int width, int height, double aspect);

// The wanted overlays laid out on a width x height picture: in their fixed
// places unless `fitted`, and then wherever leaves the larger free
// rectangle for a terrain seen `terrainAspect` times as wide as high.
OverlayLayout LayOutOverlays(const WantedOverlays& wanted, int width, int height, bool fitted, double terrainAspect);
