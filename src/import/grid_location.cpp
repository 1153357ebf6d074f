#include "grid_location.h"

#include <algorithm>
#include <charconv>
#include <cmath>

GridLocation LocateGrid(const std::array<double, 6>& transform, int width, int height, const GridPlacement& placement) {
    GridLocation location;
    if (transform[2] != 0 || transform[4] != 0) return location;
    if (width <= 0 || height <= 0 || placement.columns <= 0 || placement.rows <= 0) return location;
    const double rasterWidth = width * transform[1];
    const double rasterHeight = height * transform[5];
    location.cellWidth = std::fabs(rasterWidth) / placement.columns;
    location.cellHeight = std::fabs(rasterHeight) / placement.rows;
    // Whichever way the raster's columns and rows run, the grid turns them
    // so that x runs east and y north: its corner is the raster's lowest x
    // and y, less the holes the square puts west and south of it.
    const double west = std::min(transform[0], transform[0] + rasterWidth);
    const double south = std::min(transform[3], transform[3] + rasterHeight);
    location.x = west - placement.firstColumn * location.cellWidth;
    location.y = south - placement.firstRow * location.cellHeight;
    location.known = location.cellWidth > 0 && location.cellHeight > 0 && std::isfinite(location.cellWidth) &&
                     std::isfinite(location.cellHeight) && std::isfinite(location.x) && std::isfinite(location.y);
    return location;
}

std::string ExactNumber(double value) {
    if (value == 0) return "0";  // no "-0"
    // The longest fixed text of a double: 309 digits before the point, and
    // at most 767 significant ones after it for the smallest.
    char text[1100];
    const std::to_chars_result written = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    if (written.ec != std::errc()) return "0";
    return std::string(text, written.ptr);
}

std::string ConfigQuoted(const std::string& text) {
    std::string quoted = "'";
    // Within apostrophes a backslash makes the next character plain, and a
    // character so made plain does the same when it is a backslash itself:
    // after one, the next character is written as it is.
    bool plainNext = false;
    for (const char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < ' ' || byte == 0x7F) {
            quoted += '?';
            plainNext = false;
        } else if (c == '$') {
            // "${...}" would be worked out when the file is read; an
            // expression that quotes the dollar keeps it.
            quoted += "${:$}";
            plainNext = false;
        } else if (plainNext) {
            quoted += c;
            plainNext = c == '\\';
        } else if (c == '\\') {
            quoted += "\\\\";
            plainNext = true;
        } else if (c == '\'') {
            quoted += "\\'";
        } else {
            quoted += c;
        }
    }
    // A closing apostrophe made plain would close nothing: an empty
    // expression ends the plain run first.
    if (plainNext) quoted += "${:}";
    return quoted + "'";
}
