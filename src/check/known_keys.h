// The keys that pelorin and pelorin-render read from config.txt: one table,
// so that a key the programs learn is taught to the checker in one line.
#pragma once

#include <string>
#include <vector>

// How the programs take a key's value, which decides what the checker can
// say about a value they will not use.
enum class KeyKind {
    text,        // taken as written
    number,      // a floating-point look-up, without a word: a value that does not convert means the default
    whole,       // the integer look-up, the same, truncated toward zero
    ownReader,   // read by a function of the programs that warns about a bad value itself
};

struct KnownKey {
    const char* name;          // section and name: "display/colour"
    KeyKind kind;
    const char* defaultValue;  // as the user would write it; null when unset by default
    const char* meaning;       // a few words, for one line of the checker's output
};

// In the order the checker lists them: [data], [display], [camera].
const std::vector<KnownKey>& KnownKeys();

// The table's entry for `name`, or null.
const KnownKey* FindKnownKey(const std::string& name);

// Whether the programs read any key in `section` ("display/", or "" for the
// top level, where a key written before its section label lands).
bool IsReadSection(const std::string& section);
