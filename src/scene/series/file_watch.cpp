#include "series/file_watch.h"

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace {

// What is reported of the files in a watched folder. A write is only acted
// on once the writer closes the file or moves it into place; modifications
// show a file still being written.
constexpr std::uint32_t fileEvents = IN_CLOSE_WRITE | IN_MOVED_TO | IN_MODIFY | IN_DELETE | IN_MOVED_FROM;
constexpr std::uint32_t selfEvents = IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED;
// One folder can be watched in two roles (holding files, and above another
// watched folder), so a watch only ever adds to what its folder reports.
constexpr std::uint32_t folderMask = fileEvents | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR | IN_MASK_ADD;
constexpr std::uint32_t aboveMask =
    IN_CREATE | IN_MOVED_TO | IN_DELETE | IN_MOVED_FROM | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR | IN_MASK_ADD;

// The folder that holds `path` (in normal form), or "" when none can be
// named from it.
std::string Above(const std::string& path) {
    const std::filesystem::path name(path);
    if (path == "." || name.filename() == ".." || !name.has_relative_path()) return "";
    const std::filesystem::path parent = name.parent_path();
    return parent.empty() ? "." : parent.string();
}

std::string FolderOf(const std::string& file) {
    const std::string folder = Above(NormalPath(file));
    return folder.empty() ? "." : folder;
}

// The folder one level below `above` on the way down to `folder`.
std::string NextLevel(const std::string& folder, const std::string& above) {
    std::string level = folder;
    for (std::string up = Above(level); !up.empty() && up != above; up = Above(up)) level = up;
    return level;
}

bool IsFolder(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

}  // namespace

std::string NormalPath(const std::string& path) {
    std::filesystem::path normal = std::filesystem::path(path).lexically_normal();
    // "frames/" names the folder "frames".
    if (!normal.has_filename() && normal.has_relative_path()) normal = normal.parent_path();
    return normal.string();
}

FileWatch::FileWatch(const std::vector<std::string>& files)
    : descriptor_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    if (descriptor_ < 0) return;
    for (const std::string& file : files) {
        const std::string folder = FolderOf(file);
        if (std::any_of(folders_.begin(), folders_.end(), [&](const Folder& f) { return f.path == folder; })) continue;
        folders_.push_back({folder, -1, "", -1});
        if (!Rewatch(folders_.back())) {
            SetAbove(folders_.back(), "", -1);
            folders_.pop_back();
        }
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
            const char* name = event.len > 0 ? buffer + at + sizeof(inotify_event) : "";
            at += static_cast<ssize_t>(sizeof(inotify_event) + event.len);
            Take(event, name, changes);
        }
    }
    return changes;
}

void FileWatch::Take(const inotify_event& event, const char* name, std::vector<Change>& changes) {
    if (event.mask & IN_Q_OVERFLOW) {
        // Changes were lost: any file of any folder may have changed.
        for (const Folder& folder : folders_) {
            if (folder.watch >= 0) changes.push_back({folder.path, false, true});
        }
        return;
    }
    const bool self = (event.mask & selfEvents) != 0;
    for (Folder& folder : folders_) {
        if (folder.watch >= 0 && folder.watch == event.wd) {
            if (self) {
                Follow(folder, true, changes);
            } else if (*name != '\0' && (event.mask & fileEvents)) {
                const bool gone = (event.mask & (IN_DELETE | IN_MOVED_FROM)) != 0;
                changes.push_back({NormalPath(folder.path + "/" + name), gone});
            }
        } else if (folder.aboveWatch >= 0 && folder.aboveWatch == event.wd) {
            const bool onTheWay = std::filesystem::path(NextLevel(folder.path, folder.above)).filename() == name;
            if (self || onTheWay) Follow(folder, self || (event.mask & (IN_DELETE | IN_MOVED_FROM)), changes);
        }
    }
}

// The folder's name may lead elsewhere now, or nowhere: watch what it leads
// to, and tell whether the folder went (`away`) and whether one is back.
void FileWatch::Follow(Folder& folder, bool away, std::vector<Change>& changes) {
    const int before = folder.watch;
    const bool there = Rewatch(folder);
    if (there && folder.watch == before) return;
    if (before >= 0 && (away || !there)) changes.push_back({folder.path, true, true});
    if (there) changes.push_back({folder.path, false, true});
}

// Watches the nearest folder above the folder that exists, then the folder
// if it exists. Whether it does.
bool FileWatch::Rewatch(Folder& folder) {
    // A level between the two may be made between finding it missing and
    // watching above it, unseen: then look again, one level further down
    // each round, as deep as the name goes.
    const auto levels = std::count(folder.path.begin(), folder.path.end(), '/') + 2;
    for (long round = 0; round < levels; ++round) {
        std::string above = Above(folder.path);
        int aboveWatch = -1;
        while (!above.empty() && (aboveWatch = inotify_add_watch(descriptor_, above.c_str(), aboveMask)) < 0) {
            above = Above(above);
        }
        SetAbove(folder, above, aboveWatch);
        const int watch = inotify_add_watch(descriptor_, folder.path.c_str(), folderMask);
        SetWatch(folder, watch);
        if (watch >= 0) return true;
        if (aboveWatch < 0 || !IsFolder(NextLevel(folder.path, above))) return false;
    }
    return false;
}

void FileWatch::SetWatch(Folder& folder, int watch) {
    const int before = folder.watch;
    folder.watch = watch;
    if (before != watch) Release(before);
}

void FileWatch::SetAbove(Folder& folder, const std::string& above, int watch) {
    const int before = folder.aboveWatch;
    folder.above = above;
    folder.aboveWatch = watch;
    if (before != watch) Release(before);
}

void FileWatch::Release(int watch) {
    if (watch < 0) return;
    const bool needed = std::any_of(folders_.begin(), folders_.end(),
                                    [&](const Folder& f) { return f.watch == watch || f.aboveWatch == watch; });
    if (!needed) inotify_rm_watch(descriptor_, watch);
}
