// The caption's text for one frame: "display/caption" with its ${...}
// expressions worked out by the configuration's own language, the frame's
// facts given as variables.
#pragma once

#include <string>

class ConfigStore;

// What a caption may say about the frame on show.
struct FrameFacts {
    int frame = 1;      // its place in the series, from 1, as the title counts
    int frames = 1;     // how many the series has now
    std::string file;   // its file's name, without the folder
};

// The facts of frame `frame` of `frames`, read from `path`.
FrameFacts FactsFor(int frame, int frames, const std::string& path);

// The number in a frame's file name (its last run of digits, as a model
// numbers its steps), or the frame's place when the name has none.
std::string FileNumber(const FrameFacts& facts);

// `caption` with its expressions worked out, where ${frame}, ${frames},
// ${file} and ${number} stand for the facts. Numbers the expressions write
// in their long form (7.000000e+001) are shown short (70).
std::string CaptionFor(const std::string& caption, const FrameFacts& facts);

// config.txt works out every ${...} as it is read, before any frame is
// known: the caption as the store of the file `store` read holds it,
// `worked`, has lost its expressions. The caption as written in that file,
// its expressions kept, to be worked out for each frame; `worked` for a
// store not read from a file.
std::string WrittenCaption(const ConfigStore& store, const std::string& worked);
