// pelorin-import as a function: from the command line to OUTDIR/data.txt and
// OUTDIR/config.txt, or, for several inputs, to a series of data files and
// the config.txt that names them; or to one "error:" line.
#pragma once

#include "diagnostics.h"

#include <cstdint>
#include <ostream>

// The most cells a grid may hold on this machine: the viewer keeps 4 bytes
// a cell, the importer at its peak about 16 (a value as a double beside the
// grid, or the grid beside its text); a 32nd of the physical memory leaves
// room for both and the rest, at most 2^31 cells.
std::uint64_t ImportCellLimit();

// The most points the viewer's display lists load on this machine. A grid of
// more is written for the sphere impostors, which keep only its cells.
std::uint64_t ImportPointLimit();

struct ImportLimits {
    std::uint64_t cells = ImportCellLimit();
    std::uint64_t points = ImportPointLimit();
};

// Runs the importer on `argv` (argv[0] the program). The usage (--help) and
// the final "wrote ..." line go to `out`, the one "error:" line of a failure
// (and any "warning:" line) to `report`; the progress bar goes to standard error
// when that is a terminal. Returns the exit status: 0, or 1 after an error,
// when nothing was written.
int RunImport(int argc, const char* const* argv, std::ostream& out, Diagnostics& report,
              const ImportLimits& limits = ImportLimits());
