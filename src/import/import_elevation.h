// pelorin-import as a function: from the command line to OUTDIR/data.txt and
// OUTDIR/config.txt, or, for several inputs, to a series of data files and
// the config.txt that names them; or to one "error:" line.
#pragma once

#include "diagnostics.h"

#include <cstdint>
#include <ostream>

// The most points a grid may hold: what the viewer's loader accepts on this
// machine, and at most the largest height a data file can hold.
std::uint64_t ImportPointLimit();

// Runs the importer on `argv` (argv[0] the program). The usage (--help) and
// the final "wrote ..." line go to `out`, the one "error:" line of a failure
// (and any "warning:" line) to `report`; the progress bar goes to standard error
// when that is a terminal. Returns the exit status: 0, or 1 after an error,
// when nothing was written.
int RunImport(int argc, const char* const* argv, std::ostream& out, Diagnostics& report);
