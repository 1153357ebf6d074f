// Films made of numbered pictures, encoded by ffmpeg (H.264 in MP4).
#pragma once

#include <string>

// Encodes the pictures named by `pattern` (printf style, "turn-%04d.png"),
// numbered from 1, at `framesPerSecond`, into `path`: first under a
// temporary name, renamed into place once complete. Returns "" or what went
// wrong.
std::string EncodeFilm(const std::string& pattern, int framesPerSecond, const std::string& path);
