#include "counted.h"
#include "frame_read.h"

#include "level_mapping.h"

bool Unreadable(const FrameRead& frame) {
    return !frame.opened || frame.outOfMemory || !frame.refused.empty() ||
           frame.outcome.end == LoadOutcome::End::refused;
}

std::string FrameProblem(const FrameRead& frame, std::size_t points) {
    const std::string named = "frame '" + frame.file + "'";
    if (!frame.opened) return named + " cannot be read; skipped";
    if (frame.outOfMemory) return named + " cannot be held in memory; skipped";
    if (!frame.refused.empty()) return named + ": " + frame.refused + "; skipped";
    if (frame.outcome.end == LoadOutcome::End::refused)
        return named + " cannot be read (more " + (frame.asGrid ? "cells" : "points") +
               " than this machine's memory allows); skipped";
    if (frame.outcome.end == LoadOutcome::End::dataEnded) {
        return named + ": no height could be read at row " + std::to_string(frame.outcome.row + 1) + ", column " +
               std::to_string(frame.outcome.column + 1) + "; the grid ends there with " + Counted(points, "point");
    }
    if (frame.belowLevelZero > 0) return named + ": " + BelowLevelZeroNote(frame.belowLevelZero);
    return "";
}
