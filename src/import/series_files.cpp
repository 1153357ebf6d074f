#include "series_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "atomic_files.h"
#include "config_store.h"
#include "messages.h"

namespace {

constexpr const char* configName = "config.txt";
constexpr const char* configTemporary = ".config.txt.tmp-";

bool StartsWith(const std::string& text, const std::string& start) { return text.compare(0, start.size(), start) == 0; }

std::vector<std::string> NamesIn(const std::string& dir) {
    std::vector<std::string> names;
    std::error_code failure;
    for (std::filesystem::directory_iterator entry(dir, failure), end; !failure && entry != end;
         entry.increment(failure))
        names.push_back(entry->path().filename().string());
    return names;
}

// Whether the config.txt in `dir` names `names` as its series. Only a
// regular file is read: a FIFO would block.
bool ConfigNames(const std::string& dir, const FrameNames& names) {
    const std::string path = PathInFolder(dir, configName);
    struct stat status;
    if (lstat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
    const ConfigStore config(path.c_str());
    return config.lookup("data/series", "") == names.pattern();
}

// Whether the process that wrote a temporary of this name has gone: the
// names hold the writer's process id after the prefix.
bool WriterGone(const std::string& name, const std::string& prefix) {
    char* end = nullptr;
    const long pid = std::strtol(name.c_str() + prefix.size(), &end, 10);
    return pid > 0 && *end == '-' && kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

std::string WriteError(const std::string& path, int number, const std::string& reason = "") {
    return number == EEXIST ? OverwriteRefusal(path)
                            : "cannot write " + Quoted(path) + ": " + (number > 0 ? std::strerror(number) : reason);
}

}  // namespace

const FrameNames usualFrameNames("frame-", ".txt");
const FrameNames otherFrameNames("frame-b-", ".txt");
const FrameNames usualNpyFrameNames("frame-", ".npy");
const FrameNames otherNpyFrameNames("frame-b-", ".npy");

namespace {

const FrameNames* const everyFrameName[] = {&usualFrameNames, &otherFrameNames, &usualNpyFrameNames,
                                            &otherNpyFrameNames};

}  // namespace

const FrameNames& UsualFrameNames(DataFormat format) {
    return format == DataFormat::npy ? usualNpyFrameNames : usualFrameNames;
}

FrameNames::FrameNames(std::string prefix, std::string suffix)
    : prefix_(std::move(prefix)), suffix_(std::move(suffix)), pattern_(prefix_ + "%05d" + suffix_) {}

std::string FrameNames::Name(int number) const {
    std::string digits = std::to_string(number);
    if (digits.size() < 5) digits.insert(0, 5 - digits.size(), '0');
    return prefix_ + digits + suffix_;
}

std::vector<std::string> FrameNames::In(const std::string& dir) const {
    std::vector<std::string> frames;
    for (const std::string& name : NamesIn(dir)) {
        if (name.size() <= prefix_.size() + suffix_.size() || !StartsWith(name, prefix_) ||
            name.compare(name.size() - suffix_.size(), suffix_.size(), suffix_) != 0)
            continue;
        const std::string digits = name.substr(prefix_.size(), name.size() - prefix_.size() - suffix_.size());
        if (digits.size() <= 18 && digits.find_first_not_of("0123456789") == std::string::npos)
            frames.push_back(name);
    }
    std::sort(frames.begin(), frames.end());
    return frames;
}

SeriesWriter::SeriesWriter(std::string dir, bool overwrite, std::function<void()> afterEachChange,
                           DataFormat format)
    : dir_(std::move(dir)),
      overwrite_(overwrite),
      after_each_change_(std::move(afterEachChange)),
      usual_(&UsualFrameNames(format)),
      other_(format == DataFormat::npy ? &otherNpyFrameNames : &otherFrameNames),
      names_(usual_) {}

SeriesWriter::~SeriesWriter() {
    if (!done_) Undo();
}

std::string SeriesWriter::PathOf(const std::string& name) const { return PathInFolder(dir_, name); }

void SeriesWriter::Changed() const {
    if (after_each_change_) after_each_change_();
}

bool SeriesWriter::Fail(const std::string& message, std::string& error) {
    error = message;
    Undo();
    return false;
}

void SeriesWriter::Undo() {
    for (int number = 1; number <= written_; ++number) unlink(PathOf(names_->Name(number)).c_str());
    for (auto folder = created_folders_.rbegin(); folder != created_folders_.rend(); ++folder)
        rmdir(folder->c_str());
    done_ = true;
}

bool SeriesWriter::Prepare(std::string& error) {
    if (const int number = MakeFolders(dir_, created_folders_))
        return Fail("cannot make the output folder " + Quoted(dir_) + ": " + std::strerror(number), error);
    if (!created_folders_.empty()) Changed();
    if (!overwrite_) return true;  // an existing frame then refuses the import as it is written

    RemoveLeftoverTemporaries();
    // While the usual names hold the series on show, the new one takes the
    // other names until it is committed.
    const bool usualOnShow = !usual_->In(dir_).empty() && !ConfigNames(dir_, *other_);
    names_ = usualOnShow ? other_ : usual_;
    // What those names hold now was left by an import that did not finish,
    // and config.txt does not name it.
    for (const std::string& name : names_->In(dir_)) {
        if (unlink(PathOf(name).c_str()) != 0)
            return Fail("cannot remove " + Quoted(PathOf(name)) + ", left from an earlier import: " +
                            std::strerror(errno),
                        error);
        Changed();
    }
    return true;
}

void SeriesWriter::RemoveLeftoverTemporaries() {
    for (const std::string& name : NamesIn(dir_))
        if (StartsWith(name, configTemporary) && WriterGone(name, configTemporary) &&
            unlink(PathOf(name).c_str()) == 0)
            Changed();
}

bool SeriesWriter::Add(const std::string& text, std::string& error) {
    return AddFrame([&text](const std::string& path, std::string&) { return WriteNewFile(path, text); }, error);
}

bool SeriesWriter::Add(const FileFiller& fill, std::string& error) {
    return AddFrame([&fill](const std::string& path, std::string& reason) { return WriteNewFile(path, fill, reason); },
                    error);
}

bool SeriesWriter::AddFrame(const std::function<int(const std::string& path, std::string& reason)>& write,
                            std::string& error) {
    if (done_) return false;
    if (!prepared_ && !Prepare(error)) return false;
    prepared_ = true;
    const std::string path = PathOf(names_->Name(written_ + 1));
    std::string reason;
    if (const int number = write(path, reason)) return Fail(WriteError(path, number, reason), error);
    ++written_;
    Changed();
    return true;
}

bool SeriesWriter::PlaceConfig(const std::string& text, bool overwrite, std::string& error) {
    const std::string path = PathOf(configName);
    const std::string temporary = WriteTemporary(PathOf(configTemporary), text);
    if (temporary.empty()) {
        error = "cannot write " + Quoted(path) + ": " + std::strerror(errno);
        return false;
    }
    Changed();
    if (const int number = PlaceFile(temporary, path, overwrite)) {
        unlink(temporary.c_str());
        error = WriteError(path, number);
        return false;
    }
    Changed();
    return true;
}

bool SeriesWriter::Commit(const std::function<std::string(const std::string& pattern)>& configText,
                          std::string& error) {
    if (done_ || written_ == 0) return false;
    if (!PlaceConfig(configText(names_->pattern()), overwrite_, error)) return Fail(error, error);
    done_ = true;
    if (!overwrite_) return true;
    const bool usualNames = names_ == usual_;
    for (const FrameNames* names : everyFrameName)
        if (names != names_) RemoveFrames(*names, "a frame of the series written before");
    if (!usualNames) TakeUsualNames(configText);
    return true;
}

void SeriesWriter::RemoveFrames(const FrameNames& names, const std::string& what) {
    for (const std::string& name : names.In(dir_)) {
        if (unlink(PathOf(name).c_str()) != 0)
            warnings_.push_back("cannot remove " + Quoted(PathOf(name)) + ", " + what + ": " + std::strerror(errno));
        else
            Changed();
    }
}

// Where a link cannot be made (a file system without hard links, or a frame
// of the series before that could not be removed), the frames keep the
// other names, which config.txt names already.
void SeriesWriter::TakeUsualNames(const std::function<std::string(const std::string& pattern)>& configText) {
    const auto unlinkUsual = [this](int last) {
        for (int number = 1; number <= last; ++number) unlink(PathOf(usual_->Name(number)).c_str());
    };
    for (int number = 1; number <= written_; ++number) {
        const std::string from = PathOf(other_->Name(number));
        const std::string to = PathOf(usual_->Name(number));
        if (link(from.c_str(), to.c_str()) != 0) {
            warnings_.push_back("cannot give " + Quoted(from) + " its usual name " + Quoted(to) + ": " +
                                std::strerror(errno) + "; config.txt names the frames as they are");
            unlinkUsual(number - 1);
            return;
        }
        Changed();
    }
    std::string error;
    if (!PlaceConfig(configText(usual_->pattern()), true, error)) {
        warnings_.push_back(error + "; config.txt names the frames " + other_->pattern());
        unlinkUsual(written_);
        return;
    }
    names_ = usual_;
    RemoveFrames(*other_, "another name of a frame just written");
}
