// Grids of heights written as data files and loaded, for tests of what is
// drawn from them. Needs the data library.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "surf_data.h"
#include "temp_files.h"

using Heights = std::vector<std::vector<int>>;

// Heights as a data file at `path`, loaded: `rows` of equal length.
inline std::unique_ptr<SurfData> GridAt(const std::string& path, const Heights& rows) {
    std::string text = std::to_string(rows.size()) + "\n";
    for (const auto& row : rows) {
        for (int h : row) text += std::to_string(h) + " ";
        text += "\n";
    }
    WriteFile(path, text);
    return std::make_unique<SurfData>(path);
}

// A square block of columns all of one height.
inline Heights Block(int size, int height) { return Heights(size, std::vector<int>(size, height)); }
