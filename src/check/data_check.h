// The data file config.txt names (or a series' first frame), loaded as the
// programs load it, and what it will cost to draw.
#pragma once

#include <cstdint>

#include "check_report.h"
#include "config_store.h"
#include "scene_settings.h"

// Above this many points the display lists take seconds to build, and tens of
// seconds at a few million.
constexpr std::uint64_t manyPointsForLists = 200000;

// Adds the data lines and the data's findings to the report.
void CheckData(const ConfigStore& store, const SceneSettings& settings, CheckReport& report);
