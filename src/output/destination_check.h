// Where a program of ours may write a file: at a new name, or in place of a
// regular file. A symbolic link, a FIFO, a device or a folder at the name is
// refused rather than replaced, and the folder must exist and be writable.
#pragma once

#include <string>

// "" when `path` may be written; otherwise the rest of an "error:" line,
// naming it: "cannot write 'out/a.png': the folder 'out' does not exist".
std::string DestinationProblem(const std::string& path);

// "" when nothing, or only a regular file, is at `path`; else the same
// kind of line. Checked again right before a finished file replaces it.
std::string NonRegularProblem(const std::string& path);

// The folder part of `path`: "." for a bare name, "/" for one at the root.
std::string FolderOf(const std::string& path);
