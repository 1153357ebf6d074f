// Writing a few files into a folder so that each either appears whole under
// its name or not at all.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

struct NamedText {
    std::string name;  // a file name within the folder
    std::string text;
};

// Writes the content of the new, empty file at the path it is given, for
// content that is not held as one text (an .npy grid is written straight
// from its cells); gives "" or why it could not.
using FileFiller = std::function<std::string(const std::string& path)>;

// Creates `dir` and its missing parents; `created` gets them, outermost
// first. Gives 0 or the errno of the failure.
int MakeFolders(const std::string& dir, std::vector<std::string>& created);

// Writes `text` to `path`, which must not exist yet, and flushes it to disk;
// gives 0 or the errno of the failure, when no file is left.
int WriteNewFile(const std::string& path, const std::string& text);

// The same with `fill` writing the file: gives 0, or the errno of a failure
// to make or flush it (`reason` its text), or -1 when `fill` failed
// (`reason` its words). No file is left after a failure.
int WriteNewFile(const std::string& path, const FileFiller& fill, std::string& reason);

// Writes `text` to a new file of a name that starts with `prefix` and
// flushes it to disk; gives its name, or "" with errno set.
std::string WriteTemporary(const std::string& prefix, const std::string& text);

// The same with `fill` writing it; on failure gives "" with `reason` set.
std::string WriteTemporary(const std::string& prefix, const FileFiller& fill, std::string& reason);

// Renames `from` to `to`; without `overwrite`, fails with EEXIST when `to`
// exists. A hard link refuses atomically where the file system has them.
// Gives 0 or the errno of the failure.
int PlaceFile(const std::string& from, const std::string& to, bool overwrite);

// `name` within `dir`, joined by one slash.
std::string PathInFolder(const std::string& dir, const std::string& name);

// The paths of those of `names` that already exist in `dir`, for refusing
// before any work is done.
std::vector<std::string> ExistingFiles(const std::string& dir, const std::vector<std::string>& names);

// The error text for an existing `path` that is not to be overwritten.
std::string OverwriteRefusal(const std::string& path);

// The error text for the first of `names` in `dir` that exists but is not a
// regular file (a folder, a FIFO, a device, a link), which is never replaced
// nor read; "" when there is none.
std::string NotRegularRefusal(const std::string& dir, const std::vector<std::string>& names);

// Files written one at a time into a folder, so that only one text need be
// held at once, and put in place together. Each is written to a hidden
// temporary name in the folder and flushed to disk; Commit renames them all
// into place. The folder and any missing parents are created by the first
// Add. Without `overwrite` an existing file is never replaced, even one that
// appears meanwhile. On a failure, or when the writer goes away without a
// Commit, nothing that it made is left (not the temporary files, nor files
// already renamed, nor folders it created); a failure's `error` holds the
// text of an "error:" line, and the writer does nothing more.
class FolderWriter {
public:
    FolderWriter(std::string dir, bool overwrite);
    ~FolderWriter();
    FolderWriter(const FolderWriter&) = delete;
    FolderWriter& operator=(const FolderWriter&) = delete;

    bool Add(const NamedText& file, std::string& error);
    // Adds the file `name` that `fill` writes.
    bool Add(const std::string& name, const FileFiller& fill, std::string& error);
    bool Commit(std::string& error);

private:
    bool Prepare(std::string& error);  // makes the folder once
    bool Fail(const std::string& message, std::string& error);
    void Undo();

    std::string dir_;
    bool overwrite_;
    bool folder_made_ = false;
    bool done_ = false;  // committed or failed
    std::vector<std::string> names_;
    std::vector<std::string> temporaries_;
    std::vector<std::string> placed_;
    std::vector<std::string> created_folders_;
};

// Writes every file with a FolderWriter and commits them: all appear, or
// nothing that this call made is left and `error` says why.
bool WriteFilesAtomically(const std::string& dir, const std::vector<NamedText>& files, bool overwrite,
                          std::string& error);
