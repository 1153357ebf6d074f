// PNG files read back for the tests, through libpng.
#pragma once

#include <string>
#include <vector>

#include "picture.h"

struct PngPicture {
    Picture picture;                   // RGB, rows from the top
    std::vector<unsigned char> alpha;  // one a pixel; empty without a channel
    bool ok() const { return picture.width > 0; }
};

// The file as stored: its colour channels, and its alpha channel if it has one.
PngPicture ReadPng(const std::string& path);

// Each pixel laid over `background` by its alpha, as a viewer shows it.
Picture OverBackground(const PngPicture& png, unsigned char background);
