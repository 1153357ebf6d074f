#include "shading/height_colours.h"

#include <algorithm>

#include "survey/point_survey.h"

#include <cmath>
#include <cstddef>

namespace {

// Nine evenly spaced stops, interpolated linearly between them.
const Colour stops[] = {
    {0.267004f, 0.004874f, 0.329415f}, {0.282623f, 0.140926f, 0.457517f}, {0.229739f, 0.322361f, 0.545706f},
    {0.172719f, 0.448791f, 0.557885f}, {0.127568f, 0.566949f, 0.550556f}, {0.157851f, 0.683765f, 0.501686f},
    {0.369214f, 0.788888f, 0.382914f}, {0.678489f, 0.863742f, 0.189503f}, {0.993248f, 0.906157f, 0.143936f},
};
const std::size_t segments = sizeof stops / sizeof stops[0] - 1;

}  // namespace

Colour ColourMapAt(double t) {
    if (!(t > 0)) t = 0;  // NaN too
    if (t > 1) t = 1;
    const double position = t * static_cast<double>(segments);
    const std::size_t index = position >= static_cast<double>(segments) ? segments - 1 : static_cast<std::size_t>(position);
    const Colour& from = stops[index];
    const Colour& to = stops[index + 1];
    const float f = static_cast<float>(position - static_cast<double>(index));
    return {from[0] + (to[0] - from[0]) * f, from[1] + (to[1] - from[1]) * f, from[2] + (to[2] - from[2]) * f};
}

Colour HeightColour(double level, double lowest, double highest) {
    if (!(highest > lowest)) return ColourMapAt(0.5);
    return ColourMapAt((level - lowest) / (highest - lowest));
}

Colour AmbientFor(const Colour& colour) {
    // The red material: diffuse 0.9, ambient 0.3 on its main channel.
    const float share = 1.0f / 3.0f;
    return {colour[0] * share, colour[1] * share, colour[2] * share};
}

ColourRange ColoursOf(const DisplayOptions& options, const PointSurvey& survey) {
    if (options.colourRange) return *options.colourRange;
    if (options.colourRangeAuto) return {survey.topLow, std::max(survey.topHigh, survey.topLow + 1)};
    return {survey.lowest[2], survey.highest[2]};
}
