#include <epoxy/gl.h>

#include "overlays/colour_legend.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "overlays/bitmap_font.h"
#include "overlays/overlay.h"
#include "shading/height_colours.h"
#include "survey/point_survey.h"

namespace {

const int mostTicks = 6;
// Round values keep more than half a step from the ends of the range: an
// end written to the step's decimals then never reads as the round value
// beside it, and their labels never crowd each other. The finest step that
// keeps to six values still leaves at least one round value between.
const double endClearance = 0.5;

// Values this large, or steps this fine, are written with an exponent.
const double largestFixed = 1e7;
const double finestFixedStep = 1e-4;

// How the values are written: the number of decimals, or of digits after
// the point of an exponent form.
struct NumberStyle {
    bool exponent = false;
    int digits = 0;
};

NumberStyle StyleFor(double largestMagnitude, double step) {
    NumberStyle style;
    style.exponent = largestMagnitude >= largestFixed || step < finestFixedStep;
    if (style.exponent) {
        const double spread = std::floor(std::log10(largestMagnitude)) - std::floor(std::log10(step) + 1e-9);
        style.digits = static_cast<int>(std::clamp(spread, 0.0, 6.0));
    } else {
        style.digits = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
    }
    return style;
}

std::string Written(double value, const NumberStyle& style) {
    char text[64];
    if (style.exponent) {
        std::snprintf(text, sizeof text, "%.*e", style.digits, value);
    } else {
        const double scale = std::pow(10.0, style.digits);
        double rounded = std::round(value * scale) / scale;
        if (rounded == 0) rounded = 0;  // no "-0"
        std::snprintf(text, sizeof text, "%.*f", style.digits, rounded);
    }
    return text;
}

// Round values are whole numbers of steps, k times the step, with k counted
// in a double. Below 2^52 every k, and k + 1, is exact; a step so fine that
// the range's ends lie further out than that is never taken, or counting
// would stall where k + 1 == k.
const double exactSteps = 4503599627370496.0;  // 2^52
// Powers of ten a double can hold, from the smallest denormal to the largest.
const int finestExponent = -324;
const int coarsestExponent = 308;

// The round values strictly between the ends, as numbers of steps: first to
// last (none when last is below first).
struct StepSpan {
    double first = 0;
    double last = 0;
};

StepSpan BetweenEnds(double low, double high, double step) {
    return {std::floor(low / step + endClearance) + 1, std::ceil(high / step - endClearance) - 1};
}

bool Countable(double low, double high, double step) {
    return std::abs(low / step) < exactSteps && std::abs(high / step) < exactSteps;
}

// The finest of the steps 1, 2 and 5 times a power of ten that gives at
// most six values, the two ends included.
double RoundStep(double low, double high) {
    // A hundredth of the span gives far more than six values, so the search
    // below always passes from too many to few enough. No step finer than
    // the ends' magnitude over 2^52 can be counted, which also gives a start
    // to ends at the same double, with no span to go by.
    double start = std::floor(std::log10(high - low)) - 2;
    start = std::max(start, std::floor(std::log10(std::max(std::abs(low), std::abs(high)) / exactSteps)));
    const int firstExponent = static_cast<int>(std::max(start, static_cast<double>(finestExponent)));
    for (int exponent = firstExponent; exponent <= coarsestExponent; ++exponent) {
        for (const double mantissa : {1.0, 2.0, 5.0}) {
            const double step = mantissa * std::pow(10.0, exponent);
            if (!(step > 0)) continue;  // below the smallest denormal
            const StepSpan between = BetweenEnds(low, high, step);
            if (Countable(low, high, step) && between.last - between.first + 1 + 2 <= mostTicks) return step;
        }
    }
    // Not reached: a step of 1e308 leaves at most three values between any
    // two finite ends.
    return std::pow(10.0, coarsestExponent);
}

struct Layout {
    double unit = 0;  // one pixel of the font
    Box panel, bar;
    double tickLength = 0;
    double labelLeft = 0;
};

Layout LayOut(int width, int height, int labelColumns, const LegendPlace& place) {
    Layout layout;
    const double u = OverlayUnit(width, height);
    layout.unit = u;
    const double padding = overlayPadding * u, barWidth = 8 * u, barHeight = 130 * u, labelGap = 4 * u;
    layout.tickLength = 3 * u;
    layout.panel.right = place.right;
    layout.panel.left =
        layout.panel.right - (padding + barWidth + layout.tickLength + labelGap + labelColumns * u + padding);
    layout.bar.left = layout.panel.left + padding;
    layout.bar.right = layout.bar.left + barWidth;
    layout.bar.bottom = place.middle - barHeight / 2;
    layout.bar.top = layout.bar.bottom + barHeight;
    layout.labelLeft = layout.bar.right + layout.tickLength + labelGap;
    // The end values are centred on the bar's ends and stand out past them.
    const double halfText = glyphRows * u / 2;
    layout.panel.bottom = layout.bar.bottom - halfText - padding;
    layout.panel.top = layout.bar.top + halfText + padding;
    return layout;
}

int LabelColumns(const std::vector<LegendTick>& ticks) {
    int columns = 0;
    for (const LegendTick& tick : ticks) columns = std::max(columns, TextColumns(tick.label));
    return columns;
}

void DrawBar(const Box& bar, bool flat) {
    // The map is linear between its stops, so enough bands draw it exactly.
    const int bands = flat ? 1 : 64;
    glBegin(GL_QUAD_STRIP);
    for (int i = 0; i <= bands; ++i) {
        const double t = static_cast<double>(i) / bands;
        const Colour colour = ColourMapAt(flat ? 0.5 : t);
        glColor4f(colour[0], colour[1], colour[2], 1.0f);
        const double y = bar.bottom + t * (bar.top - bar.bottom);
        glVertex2d(bar.left, y);
        glVertex2d(bar.right, y);
    }
    glEnd();
}

}  // namespace

std::vector<LegendTick> LegendTicks(const LegendScale& scale) {
    const bool metres = scale.metresPerLevel > 0;
    const auto valueOf = [&](double level) { return metres ? scale.levelZeroMetres + level * scale.metresPerLevel : level; };
    const std::string unit = metres ? " m" : " levels";
    const double low = scale.range.lowest, high = scale.range.highest;
    if (!std::isfinite(valueOf(high) - valueOf(low))) return {};

    if (!(high > low)) {
        const double value = valueOf(low);
        char text[32];
        std::snprintf(text, sizeof text, "%.4g", value == 0 ? 0.0 : value);
        return {{low, text + unit}};
    }

    const double lowValue = valueOf(low), highValue = valueOf(high);
    const double step = RoundStep(lowValue, highValue);
    const NumberStyle style = StyleFor(std::max(std::abs(lowValue), std::abs(highValue)), step);
    std::vector<LegendTick> ticks = {{low, Written(lowValue, style)}};
    const StepSpan between = BetweenEnds(lowValue, highValue, step);
    // At most four, by the choice of step; counted exactly, by the same.
    const int count = between.last >= between.first ? static_cast<int>(between.last - between.first + 1) : 0;
    for (int i = 0; i < count; ++i) {
        const double value = (between.first + i) * step;
        const double level = metres ? (value - scale.levelZeroMetres) / scale.metresPerLevel : value;
        ticks.push_back({level, Written(value, style)});
    }
    ticks.push_back({high, Written(highValue, style)});
    if (metres) {
        for (LegendTick& tick : ticks) tick.label += unit;
    } else {
        ticks.back().label += unit;
    }
    return ticks;
}

LegendPlace EdgeLegendPlace(int width, int height) {
    return {width - overlayGap * OverlayUnit(width, height), height / 2.0};
}

std::optional<Box> LegendPanel(const LegendScale& scale, int width, int height, const LegendPlace& place) {
    if (width <= 0 || height <= 0) return std::nullopt;
    const std::vector<LegendTick> ticks = LegendTicks(scale);
    if (ticks.empty()) return std::nullopt;
    return LayOut(width, height, LabelColumns(ticks), place).panel;
}

void DrawLegend(const LegendScale& scale, int width, int height, const TileWindow& tile, const LegendPlace& place) {
    if (width <= 0 || height <= 0) return;
    const std::vector<LegendTick> ticks = LegendTicks(scale);
    if (ticks.empty()) return;
    const Layout layout = LayOut(width, height, LabelColumns(ticks), place);
    const double u = layout.unit;
    const double low = scale.range.lowest, high = scale.range.highest;
    const bool flat = !(high > low);

    const OverlayState state(width, height, tile);
    glBegin(GL_QUADS);
    glColor4fv(panelColour);
    FillBox(layout.panel);
    glColor4fv(inkColour);
    const double frame = u / 2;
    FillBox({layout.bar.left - frame, layout.bar.bottom - frame, layout.bar.right + frame, layout.bar.top + frame});
    glEnd();
    DrawBar(layout.bar, flat);

    glBegin(GL_QUADS);
    glColor4fv(inkColour);
    for (const LegendTick& tick : ticks) {
        const double share = flat ? 0.5 : (tick.level - low) / (high - low);
        const double y = layout.bar.bottom + share * (layout.bar.top - layout.bar.bottom);
        FillBox({layout.bar.right, y - u / 2, layout.bar.right + layout.tickLength, y + u / 2});
        DrawText(tick.label, layout.labelLeft, y, u);
    }
    glEnd();
}

std::optional<LegendScale> WantedLegend(const DisplayOptions& options, const PointSurvey& survey,
                                        const SeriesSettings& series) {
    if (!options.legend || !options.colourByHeight) return std::nullopt;
    return LegendScale{ColoursOf(options, survey), series.metresPerLevel, series.levelZeroMetres};
}
