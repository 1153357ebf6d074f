// How the importer's messages name a file or a value: between apostrophes.
#pragma once

#include <string>

inline std::string Quoted(const std::string& text) { return "'" + text + "'"; }
