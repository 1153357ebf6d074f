// Which data file the programs load first.
#pragma once

#include <string>

#include "diagnostics.h"
#include "level_mapping.h"
#include "scene_settings.h"
#include "surf_data.h"

class ConfigStore;

// The data file to load first: "data/file" (default "data.txt") as the
// single file always was, or, when "data/series" is set, the first of its
// frames that can be read and holds a point (the first that can be read when
// none holds one); each frame before it gets one warning to `diagnostics`.
// "" after an error when the series names no file, or none that can be read.
// A series' frame is chosen once per process: asked again, the same answer,
// and nothing said.
std::string FirstDataFile(const ConfigStore& config, Diagnostics& diagnostics = ProgramDiagnostics());

// With "data/watch" = 1 on a series, the viewer follows a run: it opens on
// the series' newest frame that reads to its end (the one being written is
// passed over), and FirstDataFile gives the same from then on. Otherwise
// FirstDataFile's choice.
std::string FollowedDataFile(const ConfigStore& config, Diagnostics& diagnostics = ProgramDiagnostics());

// The series "data/series" names when "data/watch" = 1 follows it, else "".
// Says nothing.
std::string FollowedSeries(const ConfigStore& config);

// The newest frame of the series `pattern` names that reads to its end and
// holds a point, its values mapped by `mapping`, or "" while there is none.
std::string NewestWholeFrame(const std::string& pattern, const LevelMapping& mapping = {});

// What the data file is loaded for: with "display/renderer = impostors" the
// grid of heights alone, which is all they draw from; else the points.
// Says nothing: the keys' own warnings are the scene's to give.
SurfaceUse SurfaceUseFor(const ConfigStore& config);

// How the values of an .asc or float .npy file become levels:
// "data/metres-per-level" metres a level (1 when unset) above
// "data/level-0-metres" (0 when unset), the keys the legend reads.
LevelMapping LevelMappingOf(const SeriesSettings& series);
// The same from the store, saying nothing: the keys' own warnings are the
// scene's to give.
LevelMapping LevelMappingFor(const ConfigStore& config);
