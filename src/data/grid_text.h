// A grid of heights written as the text data file the loader reads.
#pragma once

#include <string>

#include "height_grid.h"

// The header (the number of columns), then the rows, every height followed
// by one blank and every row by a line feed. Empty cells are written as -1,
// which the loader takes as no points. Only a square grid reads back whole:
// the loader takes as many rows as a row has heights.
std::string GridText(const HeightGrid& grid);
