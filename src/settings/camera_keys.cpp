#include "camera_keys.h"

#include "key_reader.h"
#include "key_table.h"
#include "scene_settings.h"

CameraKeys ReadCameraKeys(const ConfigStore& store, Diagnostics& diagnostics) {
    const KeyReader read(store, diagnostics);
    SceneSettings settings;
    for (const KeyEntry* key : KeyTable()) {
        if (std::string(key->name).rfind("camera/", 0) == 0) key->apply(read, *key, settings);
    }
    return settings.options.camera;
}
