// What the frames of a series must share to be shown as one terrain: their
// size in cells and their georeferencing.
#pragma once

#include <string>

#include "raster_source.h"

// Why frame `name` cannot join a series whose first frame is `firstName`:
// the text of an "error:" line naming both and what differs, or "".
std::string FrameMismatch(const std::string& name, const RasterInfo& info, const std::string& firstName,
                          const RasterInfo& first);
