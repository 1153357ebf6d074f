#include "scene_settings.h"

#include <cmath>
#include <iostream>
#include <vector>

#include "camera_keys.h"
#include "choice_setting.h"
#include "config_store.h"
#include "number_setting.h"

namespace {

bool AboveZero(double value) { return value > 0 && std::isfinite(value); }
bool PlayRate(double value) { return value > 0 && value <= 1000; }
bool Finite(double value) { return std::isfinite(value); }
bool SampleCount(double value) { return value >= 1 && value <= 64 && value == std::floor(value); }

const NumberRule aboveZero{AboveZero, "a number above 0"};
const NumberRule playRate{PlayRate, "a number above 0 and at most 1000"};
const NumberRule finite{Finite, "a finite number"};
const NumberRule sampleCount{SampleCount, "a whole number from 1 to 64"};

// Two numbers, the lower first; anything else warns and is left unset.
std::optional<ColourRange> RangeKey(const ConfigStore& store, const char* key) {
    const char* text = store.lookup(key, static_cast<const char*>(nullptr));
    if (text == nullptr) return std::nullopt;
    const std::optional<std::vector<double>> numbers = NumbersIn(text, 2);
    if (numbers) {
        const ColourRange range{(*numbers)[0], (*numbers)[1]};
        if (std::isfinite(range.lowest) && std::isfinite(range.highest) && range.lowest < range.highest) return range;
    }
    std::cerr << "warning: " << RefusedValue(key, text)
              << " is not two numbers, the lower first (write colour-range = 'LOW HIGH'); ignored" << std::endl;
    return std::nullopt;
}

SeriesSettings ReadSeriesSettings(const ConfigStore& store) {
    SeriesSettings series;
    series.pattern = store.lookup("data/series", "");
    series.framesPerSecond = NumberSetting(store, "data/frames-per-second", playRate, "10").value_or(10);
    series.watch = SwitchSetting(store, "data/watch", false);
    series.metresPerLevel = NumberSetting(store, "data/metres-per-level", aboveZero, nullptr).value_or(0);
    series.levelZeroMetres = NumberSetting(store, "data/level-0-metres", finite, nullptr).value_or(0);
    series.cellMetres = NumberSetting(store, "data/cell-metres", aboveZero, nullptr).value_or(0);
    return series;
}

}  // namespace

SceneSettings ReadSceneSettings(const ConfigStore& store) {
    SceneSettings settings;
    settings.sphereRadius = store.lookup("display/sphere-r", 0.75);
    settings.sphereTesel = store.lookup("display/sphere-tesel", 6);
    DisplayOptions& options = settings.options;
    options.cullHidden = SwitchSetting(store, "display/cull-hidden", false);
    options.fitView = SwitchSetting(store, "display/fit-view", false);
    options.colourByHeight = ChoiceSetting(store, "display/colour", {"red", "height"}) == 1;
    options.renderer =
        ChoiceSetting(store, "display/renderer", {"lists", "impostors"}) == 1 ? Renderer::impostors : Renderer::lists;
    options.levelOfDetail = SwitchSetting(store, "display/level-of-detail", true);
    options.antialias = static_cast<int>(NumberSetting(store, "display/antialias", sampleCount, "1").value_or(1));
    options.extendedKeys = ChoiceSetting(store, "display/keys", {"standard", "extended"}) == 1;
    options.colourRange = RangeKey(store, "display/colour-range");
    options.legend = SwitchSetting(store, "display/legend", false);
    options.ambientOcclusion = SwitchSetting(store, "display/ambient-occlusion", false);
    options.outlines = SwitchSetting(store, "display/outlines", false);
    options.axes = SwitchSetting(store, "display/axes", false);
    options.camera = ReadCameraKeys(store);
    settings.series = ReadSeriesSettings(store);
    return settings;
}
