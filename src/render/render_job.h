// pelorin-render's work from start to end: the scene of config.txt in the
// working directory, read as the viewer reads it, drawn offscreen into PNG
// files (and a film).
#pragma once

#include "render_options.h"

// Runs the job and returns the process's exit status: 0 when every file was
// written, 1 when something could not be done (after one "error:" line).
// A data file that cannot be opened ends the process inside, with status 1,
// as it ends the viewer.
int RunRender(const RenderOptions& options);
