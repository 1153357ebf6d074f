#include "overlays/overlay_layout.h"

#include <algorithm>

#include "overlays/caption.h"
#include "survey/point_survey.h"

namespace {

// How wide a terrain `aspect` times as wide as high shows in `box`: the
// measure of a free rectangle.
double FittedWidth(const Box& box, double aspect) { return std::min(box.width(), box.height() * aspect); }

// Puts the box of every overlay placed in `layout` on its list of boxes
// taken, and finds what is left free.
void Reserve(OverlayLayout& layout, const WantedOverlays& wanted, int width, int height, double terrainAspect) {
    const double u = OverlayUnit(width, height);
    if (layout.legend) {
        const std::optional<Box> panel = LegendPanel(*wanted.legend, width, height, *layout.legend);
        if (panel) layout.taken.push_back(*panel);
    }
    if (layout.axes) {
        layout.taken.push_back(TripodPanel(*layout.axes, u));
        if (wanted.scaleBar()) layout.taken.push_back(ScaleBarRoom(*layout.axes, u));
    }
    // The caption's width changes from frame to frame; the band it stands
    // in does not.
    if (wanted.caption) layout.taken.push_back(CaptionBand(width, height));
    layout.free = LargestFreeBox(layout.taken, width, height, terrainAspect);
}

// The fixed places: the legend at the right edge, the tripod in the bottom
// left corner, the scale bar in the middle of the bottom edge.
OverlayLayout AtTheEdges(const WantedOverlays& wanted, int width, int height) {
    OverlayLayout layout;
    if (wanted.legend) layout.legend = EdgeLegendPlace(width, height);
    if (wanted.axes) layout.axes = CornerAxesPlace(width, height);
    return layout;
}

// Everything at the right edge, in a column as wide as the widest of them:
// the tripod at the bottom, the scale bar above it, and the legend halfway
// up, or higher if they would meet. None when the column does not fit the
// picture's height.
std::optional<OverlayLayout> InAColumn(const WantedOverlays& wanted, int width, int height) {
    const double u = OverlayUnit(width, height), gap = overlayGap * u;
    OverlayLayout layout;
    std::optional<Box> legendPanel;
    if (wanted.legend) {
        layout.legend = EdgeLegendPlace(width, height);
        legendPanel = LegendPanel(*wanted.legend, width, height, *layout.legend);
    }
    const double tripodSide = TripodPanel({}, u).width();
    const double columnWidth = std::max(legendPanel ? legendPanel->width() : 0.0, wanted.axes ? tripodSide : 0.0);
    const double columnMiddle = width - gap - columnWidth / 2;
    double stackTop = 0;
    if (wanted.axes) {
        AxesPlace place;
        place.tripodLeft = columnMiddle - tripodSide / 2;
        place.tripodBottom = gap;
        stackTop = TripodPanel(place, u).top;
        place.barMiddle = columnMiddle;
        place.barBottom = stackTop + gap;
        place.barLongest = std::min(width / 5.0, columnWidth - 2 * overlayPadding * u);
        if (wanted.scaleBar()) stackTop = ScaleBarRoom(place, u).top;
        layout.axes = place;
    }
    if (legendPanel) {
        const double rise = std::max(0.0, stackTop + gap - legendPanel->bottom);
        layout.legend->middle += rise;
        if (legendPanel->top + rise > height - gap) return std::nullopt;
    } else if (stackTop > height - gap) {
        return std::nullopt;
    }
    return layout;
}

}  // namespace

WantedOverlays OverlaysWanted(const SceneSettings& settings, const PointSurvey& survey) {
    WantedOverlays wanted;
    wanted.legend = WantedLegend(settings.options, survey, settings.series);
    wanted.axes = settings.options.axes;
    wanted.cellMetres = settings.series.cellMetres;
    wanted.caption = !settings.options.caption.empty();
    return wanted;
}

Box LargestFreeBox(const std::vector<Box>& taken, int width, int height, double aspect) {
    const Box picture{0, 0, static_cast<double>(width), static_cast<double>(height)};
    std::vector<double> xs = {picture.left, picture.right}, ys = {picture.bottom, picture.top};
    std::vector<Box> inside;
    for (const Box& box : taken) {
        if (!Overlap(box, picture)) continue;
        inside.push_back(box);
        for (const double x : {box.left, box.right}) xs.push_back(std::clamp(x, picture.left, picture.right));
        for (const double y : {box.bottom, box.top}) ys.push_back(std::clamp(y, picture.bottom, picture.top));
    }
    std::sort(xs.begin(), xs.end());
    std::sort(ys.begin(), ys.end());
    // A rectangle that cannot grow meets a box or the picture's edge on
    // every side, so some rectangle on these edges is the largest.
    Box best{};
    for (std::size_t l = 0; l < xs.size(); ++l) {
        for (std::size_t r = l + 1; r < xs.size(); ++r) {
            for (std::size_t b = 0; b < ys.size(); ++b) {
                for (std::size_t t = b + 1; t < ys.size(); ++t) {
                    const Box candidate{xs[l], ys[b], xs[r], ys[t]};
                    if (!(candidate.width() > 0) || !(candidate.height() > 0)) continue;
                    if (std::any_of(inside.begin(), inside.end(), [&](const Box& box) { return Overlap(box, candidate); })) {
                        continue;
                    }
                    const double gain = FittedWidth(candidate, aspect) - FittedWidth(best, aspect);
                    if (gain > 0 || (gain == 0 && candidate.width() * candidate.height() > best.width() * best.height())) {
                        best = candidate;
                    }
                }
            }
        }
    }
    return best;
}

OverlayLayout LayOutOverlays(const WantedOverlays& wanted, int width, int height, bool fitted, double terrainAspect) {
    OverlayLayout layout = AtTheEdges(wanted, width, height);
    Reserve(layout, wanted, width, height, terrainAspect);
    if (!fitted || width <= 0 || height <= 0) return layout;
    std::optional<OverlayLayout> column = InAColumn(wanted, width, height);
    if (!column) return layout;
    Reserve(*column, wanted, width, height, terrainAspect);
    const double gain = FittedWidth(column->free, terrainAspect) - FittedWidth(layout.free, terrainAspect);
    const bool larger = column->free.width() * column->free.height() > layout.free.width() * layout.free.height();
    return gain > 0 || (gain == 0 && larger) ? *column : layout;
}
