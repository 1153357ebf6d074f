// The key of the table a misspelled one was most likely meant to be.
#pragma once

#include <cstddef>
#include <string>

#include "key_table.h"

// Edits (insertions, deletions, substitutions and swaps of two neighbouring
// characters) that turn `a` into `b`.
std::size_t EditDistance(const std::string& a, const std::string& b);

// The known key closest to `name` ("display/color", "rendrer" at the top
// level, "dispaly/colour"), or null when none is close enough to suggest.
const KeyEntry* ClosestKnownKey(const std::string& name);
