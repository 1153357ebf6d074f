// pelorin-check's work: config.txt and its data file in the working
// directory, read as pelorin and pelorin-render read them, and reported.
#pragma once

#include <ostream>

// Prints the report to `out` and gives the exit status: 0 when nothing
// looks wrong, 1 otherwise. Changes no file and writes nothing to standard
// error.
int RunCheck(std::ostream& out);

// The command line's description, for --help.
const char* CheckUsage();
