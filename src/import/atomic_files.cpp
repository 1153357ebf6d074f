#include "atomic_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "messages.h"

namespace {

bool Exists(const std::string& path) {
    struct stat status;
    return lstat(path.c_str(), &status) == 0;
}

}  // namespace

int MakeFolders(const std::string& dir, std::vector<std::string>& created) {
    std::vector<std::string> missing;
    std::string path = dir;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    while (!path.empty() && !Exists(path)) {
        missing.push_back(path);
        const std::size_t slash = path.find_last_of('/');
        if (slash == std::string::npos) break;
        path.resize(slash);
        while (path.size() > 1 && path.back() == '/') path.pop_back();
    }
    for (auto folder = missing.rbegin(); folder != missing.rend(); ++folder) {
        if (mkdir(folder->c_str(), 0777) != 0) return errno;
        created.push_back(*folder);
    }
    struct stat status;
    if (stat(dir.c_str(), &status) != 0) return errno;
    if (!S_ISDIR(status.st_mode)) return ENOTDIR;
    return 0;
}

int WriteNewFile(const std::string& path, const std::string& text) {
    // 0666 less the umask, as for any file a program creates.
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return errno;
    int failure = 0;
    for (std::size_t done = 0; done < text.size() && failure == 0;) {
        const ssize_t written = write(fd, text.data() + done, text.size() - done);
        if (written > 0)
            done += static_cast<std::size_t>(written);
        else if (written == 0 || errno != EINTR)
            failure = written == 0 ? EIO : errno;
    }
    if (failure == 0 && fsync(fd) != 0) failure = errno;
    if (close(fd) != 0 && failure == 0) failure = errno;
    if (failure != 0) unlink(path.c_str());
    return failure;
}

int WriteNewFile(const std::string& path, const FileFiller& fill, std::string& reason) {
    // Made empty first, so that an existing file is never written over.
    if (const int failure = WriteNewFile(path, std::string())) {
        reason = std::strerror(failure);
        return failure;
    }
    reason = fill(path);
    int failure = reason.empty() ? 0 : -1;
    if (failure == 0) {
        const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0 || fsync(fd) != 0) failure = errno;
        if (fd >= 0 && close(fd) != 0 && failure == 0) failure = errno;
        if (failure != 0) reason = std::strerror(failure);
    }
    if (failure != 0) unlink(path.c_str());
    return failure;
}

namespace {

// A new file of a name that starts with `prefix`, made by `write` (which
// gives 0 or an errno, EEXIST to try the next name); "" with errno set when
// none could be made.
std::string NewTemporary(const std::string& prefix, const std::function<int(const std::string& name)>& write) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = prefix + std::to_string(getpid()) + "-" + std::to_string(attempt);
        const int failure = write(name);
        if (failure == EEXIST) continue;
        errno = failure;
        return failure == 0 ? name : "";
    }
    errno = EEXIST;
    return "";
}

}  // namespace

std::string WriteTemporary(const std::string& prefix, const std::string& text) {
    return NewTemporary(prefix, [&](const std::string& name) { return WriteNewFile(name, text); });
}

std::string WriteTemporary(const std::string& prefix, const FileFiller& fill, std::string& reason) {
    return NewTemporary(prefix, [&](const std::string& path) { return WriteNewFile(path, fill, reason); });
}

int PlaceFile(const std::string& from, const std::string& to, bool overwrite) {
    if (overwrite) return rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
    if (link(from.c_str(), to.c_str()) == 0) {
        unlink(from.c_str());
        return 0;
    }
    if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP) return errno;
    if (Exists(to)) return EEXIST;
    return rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

std::string PathInFolder(const std::string& dir, const std::string& name) {
    return dir.empty() || dir.back() == '/' ? dir + name : dir + "/" + name;
}

std::vector<std::string> ExistingFiles(const std::string& dir, const std::vector<std::string>& names) {
    std::vector<std::string> existing;
    for (const std::string& name : names)
        if (Exists(PathInFolder(dir, name))) existing.push_back(PathInFolder(dir, name));
    return existing;
}

std::string OverwriteRefusal(const std::string& path) {
    return Quoted(path) + " exists; give --force to overwrite it";
}

std::string NotRegularRefusal(const std::string& dir, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        struct stat status;
        const std::string path = PathInFolder(dir, name);
        if (lstat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode))
            return Quoted(path) + " is not a regular file; only a regular file is replaced";
    }
    return "";
}

FolderWriter::FolderWriter(std::string dir, bool overwrite) : dir_(std::move(dir)), overwrite_(overwrite) {}

FolderWriter::~FolderWriter() {
    if (!done_) Undo();
}

void FolderWriter::Undo() {
    for (const std::string& name : temporaries_)
        if (!name.empty()) unlink(name.c_str());
    // A file that replaced another stays: the one it replaced is gone.
    if (!overwrite_)
        for (const std::string& name : placed_) unlink(name.c_str());
    for (auto folder = created_folders_.rbegin(); folder != created_folders_.rend(); ++folder)
        rmdir(folder->c_str());
    done_ = true;
}

bool FolderWriter::Fail(const std::string& message, std::string& error) {
    error = message;
    Undo();
    return false;
}

bool FolderWriter::Prepare(std::string& error) {
    if (done_) return false;
    if (!folder_made_) {
        if (const int number = MakeFolders(dir_, created_folders_))
            return Fail("cannot make the output folder " + Quoted(dir_) + ": " + std::strerror(number), error);
        folder_made_ = true;
    }
    return true;
}

bool FolderWriter::Add(const NamedText& file, std::string& error) {
    if (!Prepare(error)) return false;
    const std::string name = WriteTemporary(PathInFolder(dir_, "." + file.name + ".tmp-"), file.text);
    if (name.empty())
        return Fail("cannot write " + Quoted(PathInFolder(dir_, file.name)) + ": " + std::strerror(errno), error);
    names_.push_back(file.name);
    temporaries_.push_back(name);
    return true;
}

bool FolderWriter::Add(const std::string& name, const FileFiller& fill, std::string& error) {
    if (!Prepare(error)) return false;
    std::string reason;
    const std::string temporary = WriteTemporary(PathInFolder(dir_, "." + name + ".tmp-"), fill, reason);
    if (temporary.empty()) return Fail("cannot write " + Quoted(PathInFolder(dir_, name)) + ": " + reason, error);
    names_.push_back(name);
    temporaries_.push_back(temporary);
    return true;
}

bool FolderWriter::Commit(std::string& error) {
    if (done_) return false;
    for (std::size_t i = 0; i < names_.size(); ++i) {
        const std::string target = PathInFolder(dir_, names_[i]);
        const int number = PlaceFile(temporaries_[i], target, overwrite_);
        if (number == EEXIST) return Fail(OverwriteRefusal(target), error);
        if (number != 0) return Fail("cannot write " + Quoted(target) + ": " + std::strerror(number), error);
        temporaries_[i].clear();
        placed_.push_back(target);
    }
    done_ = true;
    return true;
}

bool WriteFilesAtomically(const std::string& dir, const std::vector<NamedText>& files, bool overwrite,
                          std::string& error) {
    FolderWriter writer(dir, overwrite);
    for (const NamedText& file : files)
        if (!writer.Add(file, error)) return false;
    return writer.Commit(error);
}
