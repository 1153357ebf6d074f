// Reading the settings: walking the table of keys into SceneSettings.
#include "scene_settings.h"

#include "key_reader.h"
#include "keys.h"

namespace {

bool IsDataKey(const KeyEntry& key) { return std::string(key.name).rfind("data/", 0) == 0; }

}  // namespace

SceneSettings ReadSceneSettings(const ConfigStore& store, Diagnostics& diagnostics) {
    const KeyReader read(store, diagnostics);
    SceneSettings settings;
    // [display] and [camera] first, then [data], as the keys were always read.
    for (const bool data : {false, true}) {
        for (const KeyEntry* key : KeyTable()) {
            if (key->apply != nullptr && IsDataKey(*key) == data) key->apply(read, *key, settings);
        }
    }
    return settings;
}

CameraKeys ReadCameraKeys(const ConfigStore& store, Diagnostics& diagnostics) {
    const KeyReader read(store, diagnostics);
    SceneSettings settings;
    for (const KeyEntry* key : KeyTable()) {
        if (std::string(key->name).rfind("camera/", 0) == 0) key->apply(read, *key, settings);
    }
    return settings.options.camera;
}
