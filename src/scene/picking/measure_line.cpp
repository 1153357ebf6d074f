#include "picking/measure_line.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// A distance in grid units to two places, without the zeros after the point.
std::string GridUnits(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", std::round(value * 100) / 100);
    std::string written = text;
    while (written.back() == '0') written.pop_back();
    if (written.back() == '.') written.pop_back();
    return written;
}

// A rise is "+", a fall "-", no change neither, so the sign alone says which
// way the second pick lies.
std::string Signed(const std::string& magnitude, bool negative, bool zero) {
    if (zero) return magnitude;
    return (negative ? "-" : "+") + magnitude;
}

}  // namespace

std::string MeasureLine(const SpherePick& from, const SpherePick& to, const PickTerms& terms) {
    const double dx = static_cast<double>(to.x - from.x);
    const double dy = static_cast<double>(to.y - from.y);
    const std::int64_t levels = static_cast<std::int64_t>(to.level) - from.level;
    const double cells = std::hypot(dx, dy);
    const bool groundMetres = terms.cellMetres > 0;
    const bool heightMetres = terms.metresPerLevel > 0;

    std::string line = "measure " + CellName(from.x, from.y, terms) + " to " + CellName(to.x, to.y, terms) + ": ground ";
    line += groundMetres ? MetresText(cells * terms.cellMetres) : GridUnits(cells) + (cells == 1 ? " cell" : " cells");
    line += ", 3-D ";
    if (groundMetres && heightMetres) {
        line += MetresText(std::hypot(cells * terms.cellMetres, static_cast<double>(levels) * terms.metresPerLevel));
    } else {
        // Without both scales the picture's own proportions are the only
        // ones that mean anything: a cell across, a level up.
        line += GridUnits(std::hypot(cells, static_cast<double>(levels))) + " grid units";
    }
    line += ", height ";
    if (heightMetres) {
        const double metres = static_cast<double>(levels) * terms.metresPerLevel;
        const std::string magnitude = MetresText(std::fabs(metres));
        line += Signed(magnitude, metres < 0, magnitude == "0 m");
    } else {
        const std::int64_t size = std::llabs(levels);
        line += Signed(std::to_string(size) + (size == 1 ? " level" : " levels"), levels < 0, levels == 0);
    }
    return line;
}
