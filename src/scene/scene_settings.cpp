#include "scene_settings.h"

#include "camera_keys.h"
#include "choice_setting.h"
#include "config_store.h"

namespace {

// Whole samples, from 1 (none) to 64; anything else is one.
int SampleCount(double asked) { return asked >= 1 && asked <= 64 ? static_cast<int>(asked) : 1; }

}  // namespace

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
    options.camera = ReadCameraKeys(store);
    return settings;
}
