// How reading one frame of a series went, and the one line said about it,
// so every program that reads frames says the same words.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "point_loader.h"

struct FrameRead {
    std::string file;
    // Whether the file could be opened and read as a file at all.
    bool opened = false;
    // Read, but its points and their survey could not be held in memory.
    bool outOfMemory = false;
    LoadOutcome outcome;
    // Read as a grid of heights, whose limit is on cells, not points.
    bool asGrid = false;
    // Why a .npy or .asc frame was refused, to follow its name; else "".
    std::string refused;
    // Cells left empty because their value maps below level 0.
    std::uint64_t belowLevelZero = 0;
};

// Whether the frame is stepped over rather than shown: it is no file that
// can be read, or its points cannot be held.
bool Unreadable(const FrameRead& frame);

// What is said about a frame holding `points`, as a warning: why it is
// stepped over, where a frame shown all the same ends early, or how many
// of its cells map below level 0; "" for a whole frame with nothing to say.
std::string FrameProblem(const FrameRead& frame, std::size_t points);
