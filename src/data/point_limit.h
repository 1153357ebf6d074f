#pragma once

#include <cstdint>

// The most points a loaded grid may hold: the coordinate arrays (24 bytes a
// point) may take a quarter of the machine's physical memory, leaving the rest
// for the display lists built from them and for everything else.
std::uint64_t MaxLoadablePoints();

// The most cells a grid of heights may hold when no point is made: a
// quarter of the physical memory at 32 bytes a cell, room for the heights,
// their table and the spheres the surface shows.
std::uint64_t MaxLoadableCells();
