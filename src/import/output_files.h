// The texts of the two files pelorin-import writes: the data file in the
// loader's exact format and the configuration that shows it.
#pragma once

#include <cstdint>
#include <string>

#include "grid_mapping.h"

// Grids with more points than this are drawn with the sphere impostors and
// the hidden-sphere cull.
constexpr std::uint64_t kLargeGridPoints = 200000;

// The header (the size), then the rows, every height followed by one blank
// and every row by a line feed.
std::string DataText(const HeightGrid& grid);

// What the configuration's comments say about the source.
struct SourceSummary {
    std::string name;    // the input as a reader would find it again
    std::string driver;  // "GTiff", ...
    int width = 0;
    int height = 0;
    double cell_width = 1;  // ground metres of one source cell, along a row
    double cell_height = 1;
    double grid_cell = 1;  // ground metres of one cell of the square grid
    bool georeferenced = false;
    bool geographic = false;
    double lowest = 0;  // metres of the lowest and highest valid cell
    double highest = 0;
    double metres_per_level = 0;
};

// config.txt: comments on the source, data/file, display/fit-view = 1 and
// display/colour = height, and for grids of more than kLargeGridPoints points
// display/renderer = impostors and display/cull-hidden = 1.
std::string ConfigText(const SourceSummary& source, const HeightGrid& grid);

// A number as every message and comment of the importer writes it ("%g").
std::string FormatNumber(double value);
