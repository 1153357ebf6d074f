// A viewer started before the run it follows: it waits for the first frame.
#pragma once

#include "diagnostics.h"
#include <string>

// While the series `pattern` names (followed with "data/watch"; "" for
// none) has no whole frame, says so in one line and waits, woken by the
// folder's changes, until one is there.
void WaitForFirstFrame(const std::string& pattern, Diagnostics& report = ProgramDiagnostics());
