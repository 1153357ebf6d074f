#include "pending_file.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <utility>

#include "destination_check.h"

namespace {

// An unnamed file can be given a name only through /proc (without
// privileges), so it is used only where /proc is there.
bool ProcessFilesVisible() { return access("/proc/self/fd", X_OK) == 0; }

std::string RandomSuffix() {
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device source;
    std::string suffix = ".";
    for (int i = 0; i < 6; ++i) suffix += letters[source() % (sizeof letters - 1)];
    return suffix;
}

}  // namespace

PendingFile::PendingFile(std::string path) : path_(std::move(path)) {
    if (ProcessFilesVisible()) {
        // 0666 less the umask, as for any file a program creates.
        descriptor_ = open(FolderOf(path_).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
        unnamed_ = descriptor_ >= 0;
    }
    if (descriptor_ < 0) OpenNamed();
}

PendingFile::~PendingFile() {
    if (descriptor_ >= 0) close(descriptor_);
    if (!temporary_.empty()) unlink(temporary_.c_str());
}

void PendingFile::OpenNamed() {
    temporary_ = path_ + ".XXXXXX";
    descriptor_ = mkostemp(&temporary_[0], O_CLOEXEC);
    if (descriptor_ < 0) {
        temporary_.clear();
        error_ = Failed();
        return;
    }
    // mkostemp makes the file readable by its owner alone; the file is for
    // everyone the user's umask lets read it.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(descriptor_, 0666 & ~mask);
}

std::string PendingFile::ReopenName() const {
    if (!unnamed_ && !ProcessFilesVisible()) return temporary_;
    return "/proc/self/fd/" + std::to_string(descriptor_);
}

std::string PendingFile::Failed() { return "cannot write '" + path_ + "': " + std::strerror(errno); }

bool PendingFile::LinkBeside() {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = path_ + RandomSuffix();
        if (linkat(AT_FDCWD, ReopenName().c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            temporary_ = name;
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

std::string PendingFile::Publish() {
    if (descriptor_ < 0) return error_;
    if (fsync(descriptor_) != 0) return Failed();
    if (unnamed_) {
        // A new name takes the file at once, never showing it half made.
        if (linkat(AT_FDCWD, ReopenName().c_str(), AT_FDCWD, path_.c_str(), AT_SYMLINK_FOLLOW) == 0) return "";
        // Something is at the name: a file can only replace it by a rename.
        if (errno != EEXIST || !LinkBeside()) return Failed();
    }
    // What is at the name may have changed while the file was written.
    const std::string problem = NonRegularProblem(path_);
    if (!problem.empty()) return problem;
    if (std::rename(temporary_.c_str(), path_.c_str()) != 0) return Failed();
    temporary_.clear();
    return "";
}
