#include "file_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace {

std::string FolderOf(const std::string& file) {
    const std::size_t slash = file.rfind('/');
    return slash == std::string::npos ? "." : file.substr(0, slash == 0 ? 1 : slash);
}

}  // namespace

FileWatch::FileWatch(const std::vector<std::string>& files)
    : descriptor_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (descriptor_ < 0) return;
    for (const std::string& file : files) {
        const std::string folder = FolderOf(file);
        if (std::any_of(folders_.begin(), folders_.end(), [&](const auto& f) { return f.second == folder; })) continue;
        // A write is only acted on once the writer closes the file or moves
        // it into place; modifications show a file still being written.
        const int watch = inotify_add_watch(descriptor_, folder.c_str(),
                                            IN_CLOSE_WRITE | IN_MOVED_TO | IN_MODIFY | IN_DELETE | IN_MOVED_FROM);
        if (watch >= 0) folders_.emplace_back(watch, folder);
    }
}

FileWatch::~FileWatch() {
    if (descriptor_ >= 0) close(descriptor_);
}

std::vector<FileWatch::Change> FileWatch::Changes() {
    std::vector<Change> changes;
    if (descriptor_ < 0) return changes;
    alignas(inotify_event) char buffer[16384];
    for (;;) {
        const ssize_t got = read(descriptor_, buffer, sizeof buffer);
        if (got <= 0) break;
        for (ssize_t at = 0; at < got;) {
            inotify_event event;
            std::memcpy(&event, buffer + at, sizeof event);
            const char* name = buffer + at + sizeof(inotify_event);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event.len);
            if (event.len == 0) continue;
            const int watch = event.wd;  // Clang captures no struct with a flexible array member
            const auto folder = std::find_if(folders_.begin(), folders_.end(),
                                             [watch](const auto& f) { return f.first == watch; });
            if (folder == folders_.end()) continue;
            const std::string path = folder->second == "." ? std::string(name) : folder->second + "/" + name;
            changes.push_back({path, (event.mask & (IN_DELETE | IN_MOVED_FROM)) != 0});
        }
    }
    return changes;
}
