// Warnings about a configuration file, told once per process: the same file
// is read by more than one store (the viewer's own and the program's).
#pragma once

#include <string>

// Writes `line` and a line end to standard error unless this process has
// written that very line before.
void warn_once(const std::string& line);
