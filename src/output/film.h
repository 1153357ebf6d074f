// Films made of numbered pictures, encoded by ffmpeg (H.264 in MP4).
#pragma once

#include <string>

// Encodes the `pictures` pictures named by `pattern` (printf style,
// "turn-%04d.png"), numbered from 1, at `framesPerSecond` (a number as
// ffmpeg reads it, such as "10" or "12.5"), into `path`, as
// a PendingFile: it appears whole or not at all, and replaces nothing but a
// regular file. Pictures numbered beyond `pictures` (an earlier run's) are
// left out. Returns "" or what went wrong.
std::string EncodeFilm(const std::string& pattern, int pictures, const std::string& framesPerSecond,
                       const std::string& path);
