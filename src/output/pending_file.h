// A file written for a name without bearing it until it is whole: unnamed
// (O_TMPFILE) where the file system allows, so that a process killed while
// writing leaves nothing behind; otherwise under a fresh, unpredictable name
// beside it, made without following links. Discarded unless published.
#pragma once

#include <string>

class PendingFile {
public:
    explicit PendingFile(std::string path);
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // "" once the file is open; else the rest of an "error:" line.
    const std::string& error() const { return error_; }
    // Open for reading and writing, closed on exec.
    int descriptor() const { return descriptor_; }
    // A name that opens this very file, for this process or for a program
    // started with descriptor() kept open under the same number.
    std::string ReopenName() const;

    // Flushes the file to disk and gives it its name, in place of nothing or
    // of a regular file only; returns "" or the rest of an "error:" line.
    std::string Publish();

private:
    void OpenNamed();
    bool LinkBeside();
    std::string Failed();

    std::string path_;
    std::string temporary_;  // the name beside it, while it has one
    int descriptor_ = -1;
    bool unnamed_ = false;
    std::string error_;
};
