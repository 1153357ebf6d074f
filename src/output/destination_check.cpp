#include "destination_check.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

std::string CannotWrite(const std::string& path, const std::string& why) {
    return "cannot write '" + path + "': " + why;
}

const char* KindOf(mode_t mode) {
    if (S_ISLNK(mode)) return "a symbolic link";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISSOCK(mode)) return "a socket";
    return "a file of an unknown kind";
}

std::string FolderProblem(const std::string& path) {
    const std::string folder = FolderOf(path);
    struct stat status;
    if (stat(folder.c_str(), &status) != 0) {
        if (errno == ENOENT) return CannotWrite(path, "the folder '" + folder + "' does not exist");
        return CannotWrite(path, std::strerror(errno));
    }
    if (!S_ISDIR(status.st_mode)) return CannotWrite(path, "'" + folder + "' is not a folder");
    if (access(folder.c_str(), W_OK | X_OK) != 0) {
        return CannotWrite(path, "the folder '" + folder + "' is not writable (" + std::strerror(errno) + ")");
    }
    return "";
}

}  // namespace

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NonRegularProblem(const std::string& path) {
    // lstat: a link is judged as the link, never by what it points to.
    struct stat status;
    if (lstat(path.c_str(), &status) != 0) {
        return errno == ENOENT ? "" : CannotWrite(path, std::strerror(errno));
    }
    if (S_ISREG(status.st_mode)) return "";
    return CannotWrite(path, std::string("it is ") + KindOf(status.st_mode) + ", not a regular file");
}

std::string DestinationProblem(const std::string& path) {
    const std::string folder = FolderProblem(path);
    return folder.empty() ? NonRegularProblem(path) : folder;
}
