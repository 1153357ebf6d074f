#include "output_files.h"

#include <cstdio>

namespace {

// A name in a comment stays on its line.
std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r') c = '?';
    return text;
}

}  // namespace

std::string FormatNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string DataText(const HeightGrid& grid) {
    std::string text = std::to_string(grid.size) + "\n";
    // Heights are mostly one to three digits: reserve for three and a blank.
    text.reserve(text.size() + grid.heights.size() * 4 + grid.size);
    char number[16];
    for (int row = 0; row < grid.size; ++row) {
        for (int column = 0; column < grid.size; ++column) {
            const int length = std::snprintf(number, sizeof number, "%d ",
                                             grid.heights[static_cast<std::size_t>(row) * grid.size + column]);
            text.append(number, length);
        }
        text += '\n';
    }
    return text;
}

std::string ConfigText(const SourceSummary& source, const HeightGrid& grid) {
    const std::string size = std::to_string(grid.size);
    std::string text = "# Written by pelorin-import.\n";
    text += "# Source: " + OneLine(source.name) + " (" + source.driver + ", " + std::to_string(source.width) +
            " x " + std::to_string(source.height) + " cells, band 1)\n";
    if (source.georeferenced) {
        text += "# Source cells: " + FormatNumber(source.cell_width) + " x " + FormatNumber(source.cell_height) +
                " metres on the ground" + (source.geographic ? " (from degrees, at the centre)" : "") + "\n";
        text += "# Grid cells: " + FormatNumber(source.grid_cell) +
                " metres on the ground (as --metres-per-level, heights keep their true scale)\n";
    } else {
        text += "# Source cells: not georeferenced; taken as square\n";
    }
    text += "# Heights: " + FormatNumber(source.lowest) + " to " + FormatNumber(source.highest) +
            " metres, as levels 0 to " + std::to_string(grid.highest) + " of " +
            FormatNumber(source.metres_per_level) + " metres per level\n";
    text += "# Grid: " + size + " x " + size + " cells, " + std::to_string(grid.points) + " points\n";
    text += "\n[data]\nfile = data.txt\n\n[display]\nfit-view = 1\ncolour = height\n";
    if (grid.points > kLargeGridPoints) text += "renderer = impostors\ncull-hidden = 1\n";
    return text;
}
