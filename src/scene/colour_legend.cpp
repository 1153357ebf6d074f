#include <epoxy/gl.h>

#include "colour_legend.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "bitmap_font.h"
#include "height_colours.h"
#include "point_survey.h"

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

// The finest of the steps 1, 2 and 5 times a power of ten that gives at
// most six values, the two ends included.
double RoundStep(double low, double high) {
    const double span = high - low;
    // A hundredth of the span gives far more than six values, so the search
    // below always passes from too many to few enough.
    for (int exponent = static_cast<int>(std::floor(std::log10(span))) - 2;; ++exponent) {
        for (const double mantissa : {1.0, 2.0, 5.0}) {
            const double step = mantissa * std::pow(10.0, exponent);
            const double first = std::floor(low / step + endClearance) + 1;
            const double last = std::ceil(high / step - endClearance) - 1;
            if (last - first + 1 + 2 <= mostTicks) return step;
        }
    }
}

// The box of the picture the legend's parts take, in pixels of the whole
// picture from its bottom left.
struct Box {
    double left = 0, bottom = 0, right = 0, top = 0;
};

void Fill(const Box& box) {
    glVertex2d(box.left, box.bottom);
    glVertex2d(box.right, box.bottom);
    glVertex2d(box.right, box.top);
    glVertex2d(box.left, box.top);
}

// The panel is light and a little translucent, the text and frame nearly
// black: they read over any colour the scene has and on its white ground.
const float panelColour[4] = {1.0f, 1.0f, 1.0f, 0.8f};
const float inkColour[4] = {0.1f, 0.1f, 0.1f, 1.0f};

struct Layout {
    double unit = 0;  // one pixel of the font
    Box panel, bar;
    double tickLength = 0;
    double labelLeft = 0;
};

Layout LayOut(int width, int height, int labelColumns) {
    Layout layout;
    // A six-hundred-line picture draws the font twice its size; narrow
    // pictures take their width as the measure, so the legend still fits.
    const double u = std::min(static_cast<double>(height), 1.5 * width) / 300;
    layout.unit = u;
    const double margin = 8 * u, padding = 5 * u, barWidth = 8 * u, barHeight = 130 * u, labelGap = 4 * u;
    layout.tickLength = 3 * u;
    layout.panel.right = width - margin;
    layout.panel.left =
        layout.panel.right - (padding + barWidth + layout.tickLength + labelGap + labelColumns * u + padding);
    layout.bar.left = layout.panel.left + padding;
    layout.bar.right = layout.bar.left + barWidth;
    layout.bar.bottom = height / 2.0 - barHeight / 2;
    layout.bar.top = layout.bar.bottom + barHeight;
    layout.labelLeft = layout.bar.right + layout.tickLength + labelGap;
    // The end values are centred on the bar's ends and stand out past them.
    const double halfText = glyphRows * u / 2;
    layout.panel.bottom = layout.bar.bottom - halfText - padding;
    layout.panel.top = layout.bar.top + halfText + padding;
    return layout;
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

void DrawLabel(const std::string& text, double left, double middle, double unit) {
    const double bottom = middle - glyphRows * unit / 2;
    for (const FontRun& run : TextRuns(text)) {
        Fill({left + run.column * unit, bottom + run.row * unit, left + (run.column + run.length) * unit,
              bottom + (run.row + 1) * unit});
    }
}

// Whatever state the scene leaves, the legend draws with its own and puts
// the scene's back: matrices, enables, viewport, blending and colour through
// the attribute stack, the shader program and vertex array by hand.
class LegendState {
public:
    LegendState(int width, int height, const TileWindow& tile) {
        shaders_ = epoxy_gl_version() >= 20;
        vertexArrays_ = epoxy_gl_version() >= 30 || epoxy_has_gl_extension("GL_ARB_vertex_array_object");
        if (shaders_) glGetIntegerv(GL_CURRENT_PROGRAM, &program_);
        if (vertexArrays_) glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray_);
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        if (shaders_) glUseProgram(0);
        if (vertexArrays_) glBindVertexArray(0);

        const bool whole = tile.width <= 0;
        const int x = whole ? 0 : tile.x, y = whole ? 0 : tile.y;
        const int drawnWidth = whole ? width : tile.width, drawnHeight = whole ? height : tile.height;
        glViewport(0, 0, drawnWidth, drawnHeight);
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        glOrtho(x, x + drawnWidth, y, y + drawnHeight, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();

        for (const GLenum capability : {GL_LIGHTING, GL_DEPTH_TEST, GL_CULL_FACE, GL_TEXTURE_1D, GL_TEXTURE_2D,
                                        GL_FOG, GL_ALPHA_TEST, GL_STENCIL_TEST, GL_SCISSOR_TEST, GL_COLOR_MATERIAL}) {
            glDisable(capability);
        }
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glShadeModel(GL_SMOOTH);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        // The alpha channel adds the panel's coverage to what is there, so
        // a transparent picture keeps it over whatever it is laid on.
        glEnable(GL_BLEND);
        glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    }

    ~LegendState() {
        glMatrixMode(GL_MODELVIEW);
        glPopMatrix();
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glPopAttrib();
        if (vertexArrays_) glBindVertexArray(static_cast<GLuint>(vertexArray_));
        if (shaders_) glUseProgram(static_cast<GLuint>(program_));
    }

    LegendState(const LegendState&) = delete;
    LegendState& operator=(const LegendState&) = delete;

private:
    bool shaders_ = false, vertexArrays_ = false;
    GLint program_ = 0, vertexArray_ = 0;
};

}  // namespace

std::vector<LegendTick> LegendTicks(const LegendSpec& spec) {
    const bool metres = spec.metresPerLevel > 0;
    const auto valueOf = [&](double level) { return metres ? spec.levelZeroMetres + level * spec.metresPerLevel : level; };
    const std::string unit = metres ? " m" : " levels";
    const double low = spec.range.lowest, high = spec.range.highest;
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
    const double first = std::floor(lowValue / step + endClearance) + 1;
    const double last = std::ceil(highValue / step - endClearance) - 1;
    for (double k = first; k <= last; ++k) {
        const double value = k * step;
        const double level = metres ? (value - spec.levelZeroMetres) / spec.metresPerLevel : value;
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

void DrawLegend(const LegendSpec& spec, int width, int height, const TileWindow& tile) {
    if (width <= 0 || height <= 0) return;
    const std::vector<LegendTick> ticks = LegendTicks(spec);
    if (ticks.empty()) return;
    int labelColumns = 0;
    for (const LegendTick& tick : ticks) labelColumns = std::max(labelColumns, TextColumns(tick.label));
    const Layout layout = LayOut(width, height, labelColumns);
    const double u = layout.unit;
    const double low = spec.range.lowest, high = spec.range.highest;
    const bool flat = !(high > low);

    LegendState state(width, height, tile);
    glBegin(GL_QUADS);
    glColor4fv(panelColour);
    Fill(layout.panel);
    glColor4fv(inkColour);
    const double frame = u / 2;
    Fill({layout.bar.left - frame, layout.bar.bottom - frame, layout.bar.right + frame, layout.bar.top + frame});
    glEnd();
    DrawBar(layout.bar, flat);

    glBegin(GL_QUADS);
    glColor4fv(inkColour);
    for (const LegendTick& tick : ticks) {
        const double share = flat ? 0.5 : (tick.level - low) / (high - low);
        const double y = layout.bar.bottom + share * (layout.bar.top - layout.bar.bottom);
        Fill({layout.bar.right, y - u / 2, layout.bar.right + layout.tickLength, y + u / 2});
        DrawLabel(tick.label, layout.labelLeft, y, u);
    }
    glEnd();
}

void DrawLegendIfWanted(const DisplayOptions& options, const PointSurvey& survey, const SeriesSettings& series,
                        const FrameView& frame) {
    if (!options.legend || !options.colourByHeight) return;
    DrawLegend({ColoursOf(options, survey), series.metresPerLevel, series.levelZeroMetres}, frame.width,
               frame.height, frame.tile);
}
