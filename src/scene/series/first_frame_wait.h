// A viewer started before the run it follows: it waits for the first frame.
#pragma once

#include "diagnostics.h"
#include "level_mapping.h"
#include <string>

// While the series `pattern` names (followed with "data/watch"; "" for
// none) has no whole frame, says so in one line and waits, woken by the
// folder's changes, until one is there. The values of .asc and float .npy
// frames are mapped by `mapping`, as they will be shown.
void WaitForFirstFrame(const std::string& pattern, Diagnostics& report = ProgramDiagnostics(),
                       const LevelMapping& mapping = {});
