#include "scene_settings.h"

#include "camera_keys.h"
#include "key_reader.h"

namespace {

// Each number key below is its value, else (unset or refused) the default
// the table gives it, else what the struct holds.
DisplayOptions ReadDisplayOptions(const KeyReader& read) {
    DisplayOptions options;
    options.cullHidden = read.OnOff(keys::cullHidden);
    options.fitView = read.OnOff(keys::fitView);
    options.colourByHeight = read.Choice(keys::colour) == 1;
    options.renderer = read.Choice(keys::renderer) == 1 ? Renderer::impostors : Renderer::lists;
    options.levelOfDetail = read.OnOff(keys::levelOfDetail);
    options.antialias = static_cast<int>(read.Number(keys::antialias).value_or(options.antialias));
    options.extendedKeys = read.Choice(keys::keyBindings) == 1;
    if (const auto range = read.Numbers(keys::colourRange)) options.colourRange = ColourRange{(*range)[0], (*range)[1]};
    options.legend = read.OnOff(keys::legend);
    options.ambientOcclusion = read.OnOff(keys::ambientOcclusion);
    options.outlines = read.OnOff(keys::outlines);
    options.axes = read.OnOff(keys::axes);
    return options;
}

SeriesSettings ReadSeriesSettings(const KeyReader& read) {
    SeriesSettings series;
    series.pattern = read.Text(keys::series);
    series.framesPerSecond = read.Number(keys::framesPerSecond).value_or(series.framesPerSecond);
    series.watch = read.OnOff(keys::watch);
    series.metresPerLevel = read.Number(keys::metresPerLevel).value_or(series.metresPerLevel);
    series.levelZeroMetres = read.Number(keys::levelZeroMetres).value_or(series.levelZeroMetres);
    series.cellMetres = read.Number(keys::cellMetres).value_or(series.cellMetres);
    return series;
}

}  // namespace

SceneSettings ReadSceneSettings(const ConfigStore& store, Diagnostics& diagnostics) {
    const KeyReader read(store, diagnostics);
    SceneSettings settings;
    settings.sphereRadius = read.LookupNumber(keys::sphereRadius);
    settings.sphereTesel = read.LookupWhole(keys::sphereTesel);
    settings.options = ReadDisplayOptions(read);
    settings.options.camera = ReadCameraKeys(store, diagnostics);
    settings.series = ReadSeriesSettings(read);
    return settings;
}
