#include "output_files.h"

#include <algorithm>
#include <cstdio>

#include "grid_text.h"

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

bool IsGroundSize(double metres) { return metres > 0 && metres <= earthCircumferenceMetres; }

bool CellsMeasured(const SourceSummary& source) { return source.georeferenced || source.cellMetresGiven; }

std::string DataText(const LevelGrid& grid) { return GridText(grid.cells); }

std::string HeightUnit(const SourceSummary& source) {
    if (source.metresKnown) return "metres";
    if (source.text_matrix) return "matrix units";
    return source.valueUnit.empty() ? "units" : source.valueUnit;
}

std::string PerLevel(const SourceSummary& source) {
    std::string unit = HeightUnit(source);
    const std::string units = "units";
    if (source.metresPerLevel == 1 && !source.metresKnown && unit.size() >= units.size() &&
        unit.compare(unit.size() - units.size(), units.size(), units) == 0)
        unit.pop_back();
    return FormatNumber(source.metresPerLevel) + " " + unit + " per level";
}

std::string ConfigText(const SourceSummary& source, const WrittenGrids& written) {
    const std::string size = std::to_string(written.size);
    const std::string unit = HeightUnit(source);
    const bool series = !written.seriesPattern.empty();
    std::string text = "# Written by pelorin-import.\n";
    text += "# Source: " + (series ? std::to_string(source.inputs) + " frames, the first " : std::string()) +
            OneLine(source.name) + " (" + source.driver + ", " + std::to_string(source.width) + " x " +
            std::to_string(source.height) + " cells" +
            (source.text_matrix ? "" : ", band " + std::to_string(source.band)) + ")\n";
    if (series) text += "# Last frame: " + OneLine(source.lastName) + "\n";
    if (CellsMeasured(source)) {
        const std::string gridCell = FormatNumber(source.gridCell);
        text += "# Source cells: " + FormatNumber(source.cellWidth) + " x " + FormatNumber(source.cellHeight) +
                " metres on the ground" +
                (source.cellMetresGiven ? " (as --cell-metres gives them)"
                 : source.degreesAssumed ? " (from degrees, going by the extent: no coordinate system; at the centre)"
                 : source.geographic    ? " (from degrees, at the centre)"
                                        : "") +
                "\n";
        // Advice only where it can be followed: levels past what a cell
        // holds would be refused.
        text += "# Grid cells: " + gridCell + " metres on the ground" +
                (!IsGroundSize(source.gridCell) ? " (more than the Earth's circumference: no cell-metres)"
                 : !source.trueScaleFits ? " (as --metres-per-level the levels would pass the highest a cell holds)"
                 : source.metresKnown   ? " (as --metres-per-level, heights keep their true scale)"
                                         : " (if the heights are metres, --metres-per-level " + gridCell +
                                             " keeps their true scale)") +
                "\n";
    } else if (source.text_matrix) {
        text += "# Source cells: a text matrix's, taken as square; their ground size is unknown\n";
    } else if (source.cellUnitUnknown) {
        text += "# Source cells: in units of no coordinate system; taken as square\n";
    } else {
        text += "# Source cells: not georeferenced; taken as square\n";
    }
    text += "# Heights" + std::string(series ? " over the whole series" : "") + ": " +
            FormatNumber(source.lowest) + " to " + FormatNumber(source.highest) + " " + unit + ", as levels 0 to " +
            std::to_string(written.highest) + " of " + PerLevel(source) + "\n";
    if (!source.metresKnown && !source.text_matrix && source.valueUnit.empty())
        text += "# The band names no unit for its values; --metres-per-level takes them as metres\n";
    text += "# Grid: " + size + " x " + size + " cells, " + std::to_string(written.fewestPoints) +
            (written.mostPoints != written.fewestPoints ? " to " + std::to_string(written.mostPoints) : "") +
            " points" + (series ? " a frame" : "") + "\n";
    text += "\n[data]\n";
    text += series ? "series = " + written.seriesPattern + "\n" : "file = " + written.dataFile + "\n";
    if (CellsMeasured(source) && IsGroundSize(source.gridCell)) {
        char number[32];
        std::snprintf(number, sizeof number, "%.10g", source.gridCell);
        text += "cell-metres = " + std::string(number) + "\n";  // for the scale bar
    }
    if (source.metresKnown && source.metresPerLevel > 0) {
        // More digits than the comments': the legend computes with these.
        char number[32];
        std::snprintf(number, sizeof number, "%.10g", source.metresPerLevel);
        text += "metres-per-level = " + std::string(number) + "\n";
        std::snprintf(number, sizeof number, "%.10g", source.lowest);
        text += "level-0-metres = " + std::string(number) + "\n";
    }
    if (source.location.known) {
        // So that a picked cell can be found on a map: the grid's outer
        // south-west corner and its cells, in the source's coordinates.
        const GridLocation& place = source.location;
        text += "origin = '" + ExactNumber(place.x) + " " + ExactNumber(place.y) + "'\n";
        text += "cell-size = '" + ExactNumber(place.cellWidth) + " " + ExactNumber(place.cellHeight) + "'\n";
        if (!place.coordinateSystem.empty()) text += "crs = " + ConfigQuoted(place.coordinateSystem) + "\n";
    }
    text += "\n[display]\nfit-view = 1\ncolour = height\n";
    // Colours over the whole series, not only its first frame: a surface
    // that grows keeps telling its heights apart in the last frame too.
    if (series) text += "colour-range = '0 " + std::to_string(std::max(written.highest, 1)) + "'\n";
    if (written.mostPoints > std::min(largeGridPoints, written.pointLimit))
        text += "renderer = impostors\ncull-hidden = 1\n";
    return text;
}
