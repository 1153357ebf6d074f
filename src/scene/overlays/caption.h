// The caption: one line of text in a panel at the picture's top left, the
// frame's number, file or time as "display/caption" words it.
#pragma once

#include <string>

#include "camera/frame_view.h"
#include "overlays/overlay.h"

// The panel a caption of `text` takes on a picture of width x height; an
// empty box (no width) when there is no text.
Box CaptionBox(const std::string& text, int width, int height);

// The band across the picture's top that any caption stands in.
Box CaptionBand(int width, int height);

// Draws `text`, as much of it as fits the picture's width; nothing when it
// is empty.
void DrawCaption(const std::string& text, const FrameView& frame);
