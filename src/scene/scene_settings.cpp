#include "scene_settings.h"

#include <cmath>
#include <cstdio>
#include <iostream>

#include "camera_keys.h"
#include "choice_setting.h"
#include "config_store.h"
#include "point_survey.h"

namespace {

// Whole samples, from 1 (none) to 64; anything else is one.
int SampleCount(double asked) { return asked >= 1 && asked <= 64 ? static_cast<int>(asked) : 1; }

// Two numbers, the lower first; anything else warns and is left unset.
std::optional<ColourRange> RangeKey(const ConfigStore& store, const char* key) {
    const char* text = store.lookup(key, static_cast<const char*>(nullptr));
    if (text == nullptr) return std::nullopt;
    ColourRange range;
    if (std::sscanf(text, "%lf %lf", &range.lowest, &range.highest) == 2 && std::isfinite(range.lowest) &&
        std::isfinite(range.highest) && range.lowest < range.highest) {
        return range;
    }
    std::cerr << "warning: " << key << ": \"" << text
              << "\" is not two numbers, the lower first (write colour-range = 'LOW HIGH'); ignored" << std::endl;
    return std::nullopt;
}

SeriesSettings ReadSeriesSettings(const ConfigStore& store) {
    SeriesSettings series;
    series.pattern = store.lookup("data/series", "");
    const double fps = store.lookup("data/frames-per-second", 10.0);
    series.framesPerSecond = fps > 0 && fps <= 1000 ? fps : 10;
    series.watch = store.lookup("data/watch", 0.0) == 1.0;
    const double metres = store.lookup("data/metres-per-level", 0.0);
    series.metresPerLevel = metres > 0 && std::isfinite(metres) ? metres : 0;
    const double base = store.lookup("data/level-0-metres", 0.0);
    series.levelZeroMetres = std::isfinite(base) ? base : 0;
    const double cell = store.lookup("data/cell-metres", 0.0);
    series.cellMetres = cell > 0 && std::isfinite(cell) ? cell : 0;
    return series;
}

}  // namespace

ColourRange ColoursOf(const DisplayOptions& options, const PointSurvey& survey) {
    if (options.colourRange) return *options.colourRange;
    return {survey.lowest[2], survey.highest[2]};
}

SceneSettings ReadSceneSettings(const ConfigStore& store) {
    SceneSettings settings;
    settings.sphereRadius = store.lookup("display/sphere-r", 0.75);
    settings.sphereTesel = store.lookup("display/sphere-tesel", 6);
    DisplayOptions& options = settings.options;
    // The floating-point look-up writes nothing, so these add no diagnostic.
    options.cullHidden = store.lookup("display/cull-hidden", 0.0) == 1.0;
    options.fitView = store.lookup("display/fit-view", 0.0) == 1.0;
    options.colourByHeight = ChoiceSetting(store, "display/colour", {"red", "height"}) == 1;
    options.renderer =
        ChoiceSetting(store, "display/renderer", {"lists", "impostors"}) == 1 ? Renderer::impostors : Renderer::lists;
    options.levelOfDetail = store.lookup("display/level-of-detail", 1.0) != 0.0;
    options.antialias = SampleCount(store.lookup("display/antialias", 0.0));
    options.extendedKeys = ChoiceSetting(store, "display/keys", {"standard", "extended"}) == 1;
    options.colourRange = RangeKey(store, "display/colour-range");
    options.legend = store.lookup("display/legend", 0.0) == 1.0;
    options.ambientOcclusion = store.lookup("display/ambient-occlusion", 0.0) == 1.0;
    options.outlines = store.lookup("display/outlines", 0.0) == 1.0;
    options.axes = store.lookup("display/axes", 0.0) == 1.0;
    options.camera = ReadCameraKeys(store);
    settings.series = ReadSeriesSettings(store);
    return settings;
}
