// Changes to files on disk, told by the kernel (inotify) rather than found
// by polling: a file written and closed, moved into place, or gone, and a
// watched folder gone or made again.
#pragma once

#include <string>
#include <vector>

struct inotify_event;

// One spelling for every name of the same path, for comparing names:
// "./a//b/../c/" is "a/c".
std::string NormalPath(const std::string& path);

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
        std::string path;  // in normal form: the file, or the folder itself
        bool gone = false;  // removed or moved away; else written, moved in or made again
        bool folder = false;  // the watched folder itself: its files may all have changed
    };
    // The changes since the last call; never blocks.
    std::vector<Change> Changes();

private:
    struct Folder {
        std::string path;  // in normal form
        int watch = -1;    // -1 while the folder is gone
        // The nearest folder above it that exists (its parent while it is
        // there), watched to learn when its name goes or comes back: a
        // folder removed while a file in it is open is not told itself.
        std::string above;
        int aboveWatch = -1;
    };
    void Take(const inotify_event& event, const char* name, std::vector<Change>& changes);
    void Follow(Folder& folder, bool away, std::vector<Change>& changes);
    bool Rewatch(Folder& folder);
    void SetWatch(Folder& folder, int watch);
    void SetAbove(Folder& folder, const std::string& above, int watch);
    // Stops a watch no folder needs any more.
    void Release(int watch);

    int descriptor_ = -1;
    std::vector<Folder> folders_;
};
