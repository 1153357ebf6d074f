// Every key pelorin and pelorin-render read, each entry saying how it is
// read, what it accepts, its default, its meaning and where its value goes.
// A key is added here (keys.cpp) and nowhere else in the readers.
#pragma once

#include <string>
#include <vector>

#include "key_table.h"

namespace keys {

// The entries named where they are read on their own.
extern const KeyEntry dataFile;
extern const KeyEntry series;
}  // namespace keys

// Every key, in the order pelorin-check lists them: [data], [display],
// [camera]. The programs read [data] last.
const std::vector<const KeyEntry*>& KeyTable();

// The table's entry for `name`, or null.
const KeyEntry* FindKey(const std::string& name);
