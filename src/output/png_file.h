// Pictures written as PNG files, through libpng.
#pragma once

#include <string>
#include <vector>

// Eight bits a channel, three (RGB) or four (RGBA, alpha not premultiplied)
// channels a pixel, rows one after another without padding.
struct Image {
    int width = 0;
    int height = 0;
    int channels = 3;
    // True when the first row in `pixels` is the bottom one, as OpenGL reads
    // them back.
    bool bottomUp = false;
    std::vector<unsigned char> pixels;
};

// Writes `image` to `path` as a PendingFile: it appears whole or not at
// all, and replaces nothing but a regular file. Returns "" or what went
// wrong, naming the file.
std::string WritePng(const std::string& path, const Image& image);
