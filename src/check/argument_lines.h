// Where in the file each of a configuration store's arguments was written.
//
// The store keeps its arguments (labels and definitions, sections prefixed and
// expressions worked out) but no line numbers. They are found again by
// running the store's own tokenizer over the file one line at a time and
// lining the tokens up with those of the whole file: where they agree, a
// token starts on the line that gave it. A token that spans lines (an
// apostrophe closed on a later line, a backslash before the line end, a
// definition split around "=") makes the lines agree only together; the
// token is then given the first of them, and so are any other tokens that
// start in them. Past 64 lines that will not agree, the rest of the file is
// taken as one piece, and only its first token gets a line. If the pieces
// cannot be lined up with the store's arguments at all, no argument gets one.
#pragma once

#include <string>
#include <vector>

class ConfigStore;

struct ArgumentSource {
    static constexpr int unknownLine = 0;
    int line = unknownLine;  // from 1
    std::string written;      // the token as written, its expressions not yet worked out
};

// One entry for each of store.arguments (the first, the file name, with no
// line), for the store built from `fileName`. The file's own warnings (UTF-16,
// too long) go to standard error as when the store read it, at most once.
std::vector<ArgumentSource> ArgumentSources(const ConfigStore& store, const char* fileName);
