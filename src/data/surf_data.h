// SurfData: the point set loaded from a height-grid file.
//
// A cell of height h at column c and row r becomes the h + 1 points
// (c, r, 0) ... (c, r, h). The file is opened by the constructor and stays
// open, unread, until the object is destroyed.
#pragma once

#include <fstream>
#include <string>
#include <vector>

#include "height_grid.h"
#include "level_mapping.h"

// What the loaded surface is for: the points of the display lists, or only
// the grid of heights, for a renderer that draws from the heights.
enum class SurfaceUse { points, grid };

// What is said of a file whose data ended, or held something that is not a
// whole number, at `row` and `column` (from 0), `points` read before.
std::string DataEndedText(const std::string& fileName, long long row, long long column, std::size_t points);

class SurfData {
public:
    // Loads the file and writes "data prepared" to standard output. A file
    // that cannot be opened, or whose points could not be held in memory,
    // ends the process with status 1 after an "error:" line on standard error.
    explicit SurfData(std::string fileName);
    // With SurfaceUse::grid, only `grid` is filled, limited by its cells
    // rather than its points; x, y and z stay empty. The values of an .asc
    // or float .npy file become levels through `mapping`.
    SurfData(std::string fileName, SurfaceUse use, const LevelMapping& mapping = {});
    ~SurfData();

    SurfData(const SurfData&) = delete;
    SurfData& operator=(const SurfData&) = delete;

    std::ifstream file;
    std::vector<double> x;
    std::vector<double> y;
    std::vector<double> z;

    // The heights, when loaded for SurfaceUse::grid; else empty.
    HeightGrid grid;
    // The rows of the grid read from a grid file (.npy, .asc), kept when its
    // points replace it: an .asc file counts its rows from the north.
    std::int64_t gridRows = 0;

private:
    // Reads the file into `grid`; a refused one ends the process with
    // status 1 after an "error:" line.
    void LoadGridOrEnd(const std::string& fileName, const LevelMapping& mapping);
    // Turns `grid` into x, y and z, for the display lists.
    void PointsFromGrid(const std::string& fileName);
};
