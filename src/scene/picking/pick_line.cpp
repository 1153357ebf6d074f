#include "picking/pick_line.h"

#include <cmath>
#include <cstdio>

#include "printable_text.h"

std::string MetresText(double value) {
    char text[512];
    const double rounded = std::round(value * 100) / 100;
    std::snprintf(text, sizeof text, "%.2f", rounded == 0 ? 0.0 : rounded);
    std::string written = text;
    while (written.back() == '0') written.pop_back();
    if (written.back() == '.') written.pop_back();
    return written + " m";
}

namespace {

// A coordinate on a map: six decimals keep a tenth of a metre in degrees
// and far less in metres; the zeros after the last digit that counts go.
std::string Coordinate(double value) {
    char text[512];
    std::snprintf(text, sizeof text, "%.6f", value);
    std::string written = text;
    while (written.back() == '0') written.pop_back();
    if (written.back() == '.') written.pop_back();
    return written == "-0" ? "0" : written;
}

}  // namespace

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
    if (terms.origin && terms.cellSize) {
        const std::array<double, 2>& corner = *terms.origin;
        const std::array<double, 2>& cell = *terms.cellSize;
        line += ", at " + Coordinate(corner[0] + (static_cast<double>(pick.x) + 0.5) * cell[0]) + " " +
                Coordinate(corner[1] + (static_cast<double>(pick.y) + 0.5) * cell[1]);
        // The name is config.txt's, and reaches the terminal only as
        // printable text.
        if (!terms.crs.empty()) line += " (" + PrintableText(terms.crs) + ")";
    }
    return line;
}
