#include "picking/profile.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// `value` to `decimals` places, without the zeros after the point.
std::string Trimmed(double value, int decimals) {
    char text[512];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string written = text;
    if (written.find('.') == std::string::npos) return written;
    while (written.back() == '0') written.pop_back();
    if (written.back() == '.') written.pop_back();
    if (written == "-0") written = "0";
    return written;
}

}  // namespace

std::vector<ProfileCell> CellsAlong(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) {
    const std::int64_t across = std::llabs(x1 - x0), up = std::llabs(y1 - y0);
    const std::int64_t stepX = x1 < x0 ? -1 : 1, stepY = y1 < y0 ? -1 : 1;
    const double length = std::hypot(static_cast<double>(across), static_cast<double>(up));
    std::vector<ProfileCell> cells;
    cells.reserve(static_cast<std::size_t>(across + up + 1));
    cells.push_back({x0, y0, 0});
    // The k-th border across x lies at t = (2k + 1) / (2 across) of the way,
    // the m-th across y at (2m + 1) / (2 up): comparing the two cross
    // products keeps an exact tie exact.
    std::int64_t k = 0, m = 0, x = x0, y = y0;
    while (k < across || m < up) {
        const std::int64_t nextX = k < across ? (2 * k + 1) * up : 0;
        const std::int64_t nextY = m < up ? (2 * m + 1) * across : 0;
        const bool crossX = k < across && (m >= up || nextX <= nextY);
        const bool crossY = m < up && (k >= across || nextY <= nextX);
        const double t = crossX ? (2.0 * static_cast<double>(k) + 1) / (2.0 * static_cast<double>(across))
                                : (2.0 * static_cast<double>(m) + 1) / (2.0 * static_cast<double>(up));
        if (crossX) {
            x += stepX;
            ++k;
        }
        if (crossY) {
            y += stepY;
            ++m;
        }
        cells.push_back({x, y, t * length});
    }
    return cells;
}

std::int32_t TopOf(const ColumnTable& columns, std::int64_t x, std::int64_t y) {
    if (columns.empty()) return -1;
    const std::int64_t i = x - columns.lowestX + 1, j = y - columns.lowestY + 1;
    if (i < 0 || j < 0 || i >= columns.width || j >= columns.depth) return -1;
    return columns.top[static_cast<std::size_t>(j * columns.width + i)];
}

std::string ProfileCsv(const std::vector<ProfileCell>& cells, const ColumnTable& columns, const PickTerms& terms) {
    const bool groundMetres = terms.cellMetres > 0;
    const bool heightMetres = terms.metresPerLevel > 0;
    std::string text = groundMetres ? "distance_m" : "distance_cells";
    text += ",column,row,level";
    if (heightMetres) text += ",height_m";
    text += "\n";
    for (const ProfileCell& cell : cells) {
        text += groundMetres ? Trimmed(cell.distance * terms.cellMetres, 2) : Trimmed(cell.distance, 4);
        text += "," + std::to_string(cell.x + 1) + "," + std::to_string(FileRow(cell.y, terms)) + ",";
        const std::int32_t top = TopOf(columns, cell.x, cell.y);
        if (top >= 0) text += std::to_string(top);
        if (heightMetres) {
            text += ",";
            if (top >= 0) text += Trimmed(terms.levelZeroMetres + top * terms.metresPerLevel, 2);
        }
        text += "\n";
    }
    return text;
}
