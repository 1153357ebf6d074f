// The settings of a scene given as keywords, `name=value` as Python takes
// them, read through the very table and readers config.txt is read with:
// the key's name with `-` as `_` ("ambient_occlusion" for
// display/ambient-occlusion), the value as config.txt would write it.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "scene_settings.h"

using Keywords = std::vector<std::pair<std::string, std::string>>;

// What the keywords give: the settings, or the first keyword no key takes
// (`unknown`, a whole sentence naming the closest key), or the first value
// a key refuses (`refused`, the programs' own words for it).
struct KeywordReading {
    SceneSettings settings;
    std::string unknown;
    std::string refused;
};

// The display keys and the data keys that make sense for a grid given
// whole (the metres of a level and of a cell); the caption is taken as
// written, its ${...} left for the picture's frame.
KeywordReading SettingsFromKeywords(const Keywords& keywords);

// The key of config.txt a keyword SettingsFromKeywords takes stands for
// ("display/ambient-occlusion" for "ambient_occlusion"); "" for one it
// does not take.
std::string KeyOfKeyword(const std::string& keyword);

// The same for the camera's keys: azimuth, elevation, distance, center.
struct CameraReading {
    CameraKeys keys;
    std::string unknown;
    std::string refused;
};
CameraReading CameraFromKeywords(const Keywords& keywords);
