// Where the terms a pick is named in come from: the data file the scene
// opened on and config.txt. One place, so the viewer and pelorin-render name
// every cell alike.
#pragma once

#include <string>

#include "picking/pick_line.h"
#include "scene_settings.h"

class SurfData;

// The terms of `data`, loaded from `file`, under `settings`.
PickTerms PickTermsFor(const SceneSettings& settings, const SurfData& data, const std::string& file);
