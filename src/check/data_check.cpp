#include "data_check.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "data_file.h"
#include "frame_files.h"
#include "grid_reading.h"
#include "height_grid.h"
#include "input_file.h"
#include "point_limit.h"
#include "point_loader.h"

namespace {

void Add(CheckReport& report, Severity severity, std::string text) {
    report.findings.push_back({severity, Finding::noLine, std::move(text)});
}

// A surface many times taller than it is wide shows as a needle: most often
// heights in metres (or finer) on cells far larger than that.
void WarnOfNeedle(const std::string& fileName, long long highest, long long columns, long long rows,
                  CheckReport& report) {
    const long long side = std::max(columns, rows);
    if (side <= 0 || highest < needleProportion * side) return;
    Add(report, Severity::warning,
        "data file '" + fileName + "': its columns reach level " + std::to_string(highest) + " on a grid of " +
            std::to_string(columns) + " x " + std::to_string(rows) + " cells, " + std::to_string(highest / side) +
            " times as tall as it is wide: it shows as a needle; if its heights are in metres, divide them by the "
            "cells' size in metres to keep the surface's proportions");
}

void WarnOfManyPoints(std::uint64_t count, const SceneSettings& settings, CheckReport& report) {
    if (count <= manyPointsForLists || settings.options.renderer == Renderer::impostors) return;
    Add(report, Severity::warning,
        std::to_string(count) + " points drawn with the display lists, which take seconds to build at this size and "
                                "tens of seconds at a few million points; write renderer = impostors and cull-hidden "
                                "= 1 under [display] (a first frame in about a second)");
}

// A binary or .asc grid is read whole: its cells take a fraction of its
// points' memory.
void CheckGridData(std::istream& file, const std::string& fileName, const SceneSettings& settings,
                   CheckReport& report) {
    HeightGrid grid;
    const GridReading read =
        ReadGridFile(file, fileName, grid, MaxLoadableCells(), LevelMappingOf(settings.series));
    if (!read.refused.empty()) {
        Add(report, Severity::error,
            "data file '" + fileName + "': " + read.refused + "; the programs stop with status 1");
        return;
    }
    if (read.belowLevelZero > 0)
        Add(report, Severity::warning, "data file '" + fileName + "': " + BelowLevelZeroNote(read.belowLevelZero));
    const std::uint64_t points = grid.spheres();
    report.data.push_back(fileName + ": " + std::to_string(grid.columns) + " x " + std::to_string(grid.rows) +
                          " cells, " + std::to_string(points) + (points == 1 ? " point" : " points"));
    if (points > MaxLoadablePoints() && settings.options.renderer != Renderer::impostors) {
        Add(report, Severity::error,
            "data file '" + fileName + "': its " + std::to_string(points) + " points are more than the " +
                std::to_string(MaxLoadablePoints()) +
                " points this machine's memory allows for the display lists; write renderer = impostors under "
                "[display]");
        return;
    }
    const auto highest = std::max_element(grid.heights.begin(), grid.heights.end());
    WarnOfNeedle(fileName, highest == grid.heights.end() ? -1 : *highest, grid.columns, grid.rows, report);
    WarnOfManyPoints(points, settings, report);
}

}  // namespace

void CheckData(const ConfigStore& store, const SceneSettings& settings, CheckReport& report) {
    CollectedDiagnostics said;
    const std::string fileName = FirstDataFile(store, said);
    const std::string& pattern = settings.series.pattern;
    // Frames a series steps over before the one it opens on, and why it
    // cannot open at all.
    for (const CollectedDiagnostics::Entry& entry : said.entries) {
        if (entry.severity == Severity::error) {
            Add(report, Severity::error, entry.text + "; the programs stop there");
        } else if (entry.severity != Severity::note) {
            Add(report, Severity::warning, entry.text);
        }
    }
    if (fileName.empty()) return;
    if (!pattern.empty()) {
        const std::size_t frames = SeriesFiles(pattern).size();
        report.data.push_back("series " + pattern + ": " + std::to_string(frames) +
                              (frames == 1 ? " frame" : " frames") + ", the first " + fileName);
    }

    const std::string quoted = "data file '" + fileName + "'";
    std::ifstream file;
    const InputOpening opening = OpenInput(file, fileName, InputKinds::regularOrStandardInput);
    std::error_code unknown;
    if (opening == InputOpening::missing || std::filesystem::is_directory(fileName, unknown)) {
        Add(report, Severity::error,
            quoted + " is not found, or is a folder; the programs stop with status 1");
        return;
    }
    if (opening == InputOpening::not_regular) {
        Add(report, Severity::error,
            quoted + " is not a regular file (a FIFO, a socket or a device); the programs stop with status 1");
        return;
    }
    if (IsGridFile(fileName)) {
        CheckGridData(file, fileName, settings, report);
        return;
    }
    // Counted, not built: the checker needs the grid's size, and building its
    // points would hold the whole text and 24 bytes a point at once. The
    // impostors hold no points, so for them no point count is too many.
    const bool impostors = settings.options.renderer == Renderer::impostors;
    const PointCount count = CountFilePoints(file, impostors ? UINT64_MAX : MaxLoadablePoints());
    const LoadOutcome& outcome = count.outcome;
    const std::string at = "row " + std::to_string(outcome.row + 1) + ", column " + std::to_string(outcome.column + 1);
    if (outcome.end == LoadOutcome::End::refused) {
        Add(report, Severity::error,
            quoted + ": the height at " + at + " brings the point count to " + std::to_string(outcome.needed) +
                ", more than the " + std::to_string(MaxLoadablePoints()) +
                " points this machine's memory allows; the programs show nothing");
        return;
    }
    const std::string points = std::to_string(count.points) + (count.points == 1 ? " point" : " points");
    if (outcome.end == LoadOutcome::End::dataEnded) {
        report.data.push_back(fileName + ": " + points + ", then the data ends early");
        std::string text = quoted + ": no height could be read at " + at + "; the grid ends there";
        if (outcome.row == 0 && outcome.column > 0) {
            text += "; no row ever ended: a row ends where a line end follows the blank after its last height, "
                    "so a file with no blank before its line ends reads as one long row "
                    "(pelorin-import reads such a matrix)";
        }
        Add(report, Severity::warning, text);
    } else {
        // The grid as the file has it; where its outer rows or columns hold
        // no point, the part that does is said too.
        std::string size = std::to_string(count.gridColumns) + " x " + std::to_string(count.gridRows) + " cells";
        if (count.columns != count.gridColumns || count.rows != count.gridRows) {
            size += " (points in " + std::to_string(count.columns) + " x " + std::to_string(count.rows) + " of them)";
        }
        report.data.push_back(fileName + ": " + size + ", " + points);
        WarnOfNeedle(fileName, count.highest, count.gridColumns, count.gridRows, report);
    }
    WarnOfManyPoints(count.points, settings, report);
}
