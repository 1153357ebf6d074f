// Changes to files on disk, told by the kernel (inotify) rather than found
// by polling: a file written and closed, moved into place, or gone.
#pragma once

#include <string>
#include <vector>

class FileWatch {
public:
    // Watches the folders that hold these files. A folder that cannot be
    // watched is left out; ok() then says whether any could.
    explicit FileWatch(const std::vector<std::string>& files);
    ~FileWatch();

    FileWatch(const FileWatch&) = delete;
    FileWatch& operator=(const FileWatch&) = delete;

    bool ok() const { return descriptor_ >= 0 && !folders_.empty(); }
    // Readable when a change waits, for poll.
    int Descriptor() const { return descriptor_; }

    struct Change {
        std::string path;  // the folder as watched, joined to the file's name
        bool gone = false;  // removed or moved away; else written or moved in
    };
    // The changes since the last call; never blocks.
    std::vector<Change> Changes();

private:
    int descriptor_ = -1;
    // The watch descriptor of each folder and the folder's name.
    std::vector<std::pair<int, std::string>> folders_;
};
