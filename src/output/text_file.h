// A text file written whole or not at all, as the pictures are.
#pragma once

#include <string>

// Writes `text` to `path` as a PendingFile; returns "" or what went wrong,
// naming the file.
std::string WriteTextFile(const std::string& path, const std::string& text);
