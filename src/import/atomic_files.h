// Writing a few files into a folder so that each either appears whole under
// its name or not at all.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct NamedText {
    std::string name;  // a file name within the folder
    std::string text;
};

// `name` within `dir`, joined by one slash.
std::string PathInFolder(const std::string& dir, const std::string& name);

// The paths of those of `names` that already exist in `dir`, for refusing
// before any work is done.
std::vector<std::string> ExistingFiles(const std::string& dir, const std::vector<std::string>& names);

// The error text for an existing `path` that is not to be overwritten.
std::string OverwriteRefusal(const std::string& path);

// Writes every file to a hidden temporary name in `dir`, flushes it to disk,
// then renames each into place. `dir` and any missing parents are created.
// Without `overwrite` an existing file is never replaced, even one that
// appears meanwhile. On failure nothing that this call made is left (not the
// temporary files, nor files already renamed, nor folders it created) and
// `error` holds the text of an "error:" line.
bool WriteFilesAtomically(const std::string& dir, const std::vector<NamedText>& files, bool overwrite,
                          std::string& error);
