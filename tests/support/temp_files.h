// Temporary folders and whole-file reads and writes for the tests.
#pragma once

#include <string>

// A fresh directory under /tmp, named after `label`, removed with all it
// holds when the object goes away. `path()` is empty if it could not be made.
class TempDir {
public:
    explicit TempDir(const std::string& label);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};
void WriteFile(const std::string& path, const std::string& text);
// Whole at once, as a writer that moves each file into place.
void PutFile(const std::string& path, const std::string& text);
std::string ReadFile(const std::string& path);
