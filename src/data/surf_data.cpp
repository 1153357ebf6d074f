#include "counted.h"
#include "surf_data.h"

#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <utility>

#include "diagnostics.h"
#include "input_file.h"
#include "point_limit.h"
#include "point_loader.h"
#include "grid_reading.h"

namespace {

// Anything but a regular file counts as a file that cannot be opened: from a
// directory nothing can be read, and a FIFO or a device could keep the
// program waiting for ever. The standard input by name is the one stream
// read, for `gen | pelorin`.
bool OpensAsFile(std::ifstream& file, const std::string& fileName) {
    return OpenInput(file, fileName, InputKinds::regularOrStandardInput) == InputOpening::opened;
}

[[noreturn]] void RefuseOversized(const std::string& fileName, long long row, long long column,
                                   std::uint64_t needed, std::uint64_t limit, const char* what = "point") {
    ProgramDiagnostics().Error("data file '" + fileName + "': the height at row " + std::to_string(row + 1) +
                               ", column " + std::to_string(column + 1) + " brings the " + what + " count to " +
                               std::to_string(needed) + ", more than the " + std::to_string(limit) + " " + what +
                               "s this machine's memory allows; nothing is shown");
    std::exit(1);
}

}  // namespace

std::string DataEndedText(const std::string& fileName, long long row, long long column, std::size_t points) {
    std::string text = "data file '" + fileName + "': no height could be read at row " +
                       std::to_string(row + 1) + ", column " + std::to_string(column + 1) +
                       "; the grid ends there with " + Counted(points, "point");
    // Heights were read but no row ever ended: most likely a matrix written
    // with the usual number formatting, which puts no blank after a row's
    // last number, so every line end is taken as a separator.
    if (row == 0 && column > 0)
        text += "; a row ends where a line end follows the blank after its last height: one "
                "blank after every height, and the line end right after that blank (a file "
                "written without a blank after each row's last height reads as one row)";
    return text;
}

SurfData::SurfData(std::string fileName) : SurfData(std::move(fileName), SurfaceUse::points) {}

SurfData::SurfData(std::string fileName, SurfaceUse use, const LevelMapping& mapping) {
    if (!OpensAsFile(file, fileName)) {
        ProgramDiagnostics().Error("file not found (SurfData constructor)");
        std::exit(1);
    }
    if (use == SurfaceUse::grid || IsGridFile(fileName)) {
        LoadGridOrEnd(fileName, mapping);
        if (use == SurfaceUse::points) PointsFromGrid(fileName);
        std::cout << "data prepared" << std::endl;
        return;
    }

    LoadOutcome outcome = LoadPoints(file, x, y, z, MaxLoadablePoints());
    if (outcome.end == LoadOutcome::End::refused)
        RefuseOversized(fileName, outcome.row, outcome.column, outcome.needed, MaxLoadablePoints());
    if (outcome.end == LoadOutcome::End::dataEnded)
        ProgramDiagnostics().Warning(DataEndedText(fileName, outcome.row, outcome.column, x.size()));

    std::cout << "data prepared" << std::endl;
}

SurfData::~SurfData() { file.close(); }

void SurfData::LoadGridOrEnd(const std::string& fileName, const LevelMapping& mapping) {
    const GridReading reading = ReadGridFile(file, fileName, grid, MaxLoadableCells(), mapping);
    if (!reading.refused.empty()) {
        ProgramDiagnostics().Error("data file '" + fileName + "': " + reading.refused + "; nothing is shown");
        std::exit(1);
    }
    gridRows = grid.rows;
    const LoadOutcome& outcome = reading.outcome;
    if (outcome.end == LoadOutcome::End::refused)
        RefuseOversized(fileName, outcome.row, outcome.column, outcome.needed, MaxLoadableCells(), "cell");
    if (outcome.end == LoadOutcome::End::dataEnded)
        ProgramDiagnostics().Warning(DataEndedText(fileName, outcome.row, outcome.column, grid.spheres()));
    if (reading.belowLevelZero > 0)
        ProgramDiagnostics().Warning("data file '" + fileName + "': " + BelowLevelZeroNote(reading.belowLevelZero));
}

void SurfData::PointsFromGrid(const std::string& fileName) {
    const std::uint64_t points = grid.spheres();
    if (points > MaxLoadablePoints()) {
        ProgramDiagnostics().Error("data file '" + fileName + "': its " + std::to_string(points) +
                                   " points are more than the " + std::to_string(MaxLoadablePoints()) +
                                   " points this machine's memory allows; nothing is shown");
        std::exit(1);
    }
    WriteGridPoints(grid, x, y, z);
    grid = HeightGrid();
}
