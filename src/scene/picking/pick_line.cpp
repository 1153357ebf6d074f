#include "picking/pick_line.h"

#include <cmath>
#include <cstdio>

std::string MetresText(double value) {
    char text[512];
    const double rounded = std::round(value * 100) / 100;
    std::snprintf(text, sizeof text, "%.2f", rounded == 0 ? 0.0 : rounded);
    std::string written = text;
    while (written.back() == '0') written.pop_back();
    if (written.back() == '.') written.pop_back();
    return written + " m";
}

std::int64_t FileRow(std::int64_t y, const PickTerms& terms) { return terms.northFirst ? terms.rows - y : y + 1; }

std::string CellName(std::int64_t x, std::int64_t y, const PickTerms& terms) {
    return "column " + std::to_string(x + 1) + ", row " + std::to_string(FileRow(y, terms));
}

std::string PickLine(int x, int y, const SpherePick& pick, const PickTerms& terms) {
    std::string line = "pick " + std::to_string(x) + "," + std::to_string(y) + ": ";
    if (!pick.hit) return line + "background";
    line += CellName(pick.x, pick.y, terms) + ", level " + std::to_string(pick.level);
    if (terms.metresPerLevel > 0) line += ", " + MetresText(terms.levelZeroMetres + pick.level * terms.metresPerLevel);
    if (terms.cellMetres > 0) {
        // A cell's centre is half a cell in from the grid's corner.
        line += ", " + MetresText((static_cast<double>(pick.x) + 0.5) * terms.cellMetres) + " east, " +
                MetresText((static_cast<double>(pick.y) + 0.5) * terms.cellMetres) + " north of the grid's corner";
    }
    return line;
}
