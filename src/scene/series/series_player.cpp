#include "series/series_player.h"

#include <sys/stat.h>

#include <algorithm>

#include "frame_files.h"

namespace {

// How often a frame read short is read again.
const std::chrono::milliseconds retryEvery(100);

long long SizeOf(const std::string& file) {
    struct stat status;
    return stat(file.c_str(), &status) == 0 ? static_cast<long long>(status.st_size) : -1;
}

std::string BaseName(const std::string& file) {
    const std::size_t slash = file.rfind('/');
    return slash == std::string::npos ? file : file.substr(slash + 1);
}

}  // namespace

SeriesPlayer::SeriesPlayer(const SeriesSettings& settings, const std::string& openedFile,
                           const FramePreparation& preparation, std::chrono::milliseconds steadyFor,
                           Diagnostics& report)
    : settings_(settings),
      report_(report),
      steadyFor_(steadyFor),
      files_(settings.pattern.empty() ? std::vector<std::string>{openedFile} : SeriesFiles(settings.pattern)),
      loader_(preparation) {
    // A series opens on its first frame that can be shown, not always on
    // its first file; those before it were warned about then.
    const auto opened = std::find(files_.begin(), files_.end(), openedFile);
    if (opened != files_.end()) {
        shown_ = static_cast<int>(opened - files_.begin());
        unreadable_.insert(files_.begin(), opened);
    }
    if (settings.watch) {
        watch_ = std::make_unique<FileWatch>(files_.empty() ? std::vector<std::string>{settings.pattern} : files_);
    }
    Prefetch();
}

void SeriesPlayer::FollowNewest() {
    if (watch_ && shown_ + 1 < count()) Want(count() - 1);
}

std::string SeriesPlayer::Label() const {
    if (files_.empty()) return "";
    return "frame " + std::to_string(shown_ + 1) + " of " + std::to_string(count()) + ": " + BaseName(file(shown_));
}

bool SeriesPlayer::LabelChanged() {
    const std::string label = Label();
    if (label == labelSeen_) return false;
    labelSeen_ = label;
    return true;
}

void SeriesPlayer::Step(int by) {
    direction_ = by < 0 ? -1 : 1;
    playing_ = false;
    Want(std::clamp((waiting_.index >= 0 ? waiting_.index : shown_) + by, 0, std::max(count() - 1, 0)));
}

void SeriesPlayer::First() {
    direction_ = 1;
    playing_ = false;
    Want(0);
}

void SeriesPlayer::Last() {
    direction_ = -1;
    playing_ = false;
    Want(count() - 1);
}

void SeriesPlayer::TogglePlay() {
    playing_ = !playing_ && count() > 1;
    direction_ = 1;
    nextPlay_ = Clock::now();
}

void SeriesPlayer::Want(int index, bool again) {
    if (index < 0 || index >= count()) return;
    if (!again && index == shown_ && waiting_.index < 0) return;
    if (!again && prefetched_.index == index && loader_.Pending(prefetched_.ticket)) {
        waiting_ = prefetched_;
        prefetched_ = {};
        return;
    }
    // The loader reads one frame at a time: this request takes the place of
    // any frame read ahead.
    waiting_ = {++tickets_, index};
    prefetched_ = {};
    loader_.Request(waiting_.ticket, file(index));
}

// The frame after the one on show, in the direction of travel, is read while
// this one is shown.
void SeriesPlayer::Prefetch() {
    const int next = shown_ + direction_;
    if (waiting_.index >= 0 || next < 0 || next >= count()) return;
    if (prefetched_.index == next && loader_.Pending(prefetched_.ticket)) return;
    prefetched_ = {++tickets_, next};
    loader_.Request(prefetched_.ticket, file(next));
}

std::unique_ptr<LoadedFrame> SeriesPlayer::Poll(Clock::time_point now) {
    loader_.Drain();
    TakeChanges(now);
    if (playing_ && waiting_.index < 0 && now >= nextPlay_) {
        if (shown_ + 1 < count()) {
            Want(shown_ + 1);
        } else {
            PlayReachedEnd();
        }
    }
    if (waiting_.index >= 0 && lastSize_ >= 0 && now >= retryAt_ && !loader_.Pending(waiting_.ticket)) {
        Want(waiting_.index, true);
        // The read wakes the window through the loader when it is done;
        // until then no retry is due.
        retryAt_ = Clock::time_point::max();
    }
    if (waiting_.index < 0) return nullptr;
    std::unique_ptr<LoadedFrame> frame = loader_.Take(waiting_.ticket);
    return frame ? Arrived(std::move(frame), now) : nullptr;
}

// A play past the last frame of a followed series waits for the next frame
// to appear, woken by the watch; any other play stops there.
void SeriesPlayer::PlayReachedEnd() {
    if (watch_ && watch_->ok()) {
        nextPlay_ = Clock::time_point::max();
    } else {
        playing_ = false;
    }
}

std::unique_ptr<LoadedFrame> SeriesPlayer::Arrived(std::unique_ptr<LoadedFrame> frame, Clock::time_point now) {
    int index = waiting_.index;
    if (Unreadable(*frame)) {
        if (unreadable_.insert(frame->file).second) report_.Warning(FrameProblem(*frame));
        waiting_ = {};
        lastSize_ = -1;
        // Stepping goes on past it; the frame on show stays.
        const int next = index + direction_;
        if (next >= 0 && next < count() && next != shown_) {
            Want(next);
        } else if (playing_) {
            PlayReachedEnd();
        }
        return nullptr;
    }
    if (!frame->whole() && watch_) {
        // Still being written, most likely: wait for it to be whole, or
        // for its size to settle.
        const long long size = SizeOf(frame->file);
        if (size != lastSize_) lastSize_ = size, sizeSince_ = now;
        if (now - sizeSince_ < steadyFor_) {
            retryAt_ = now + retryEvery;
            return nullptr;
        }
    }
    if (const std::string problem = FrameProblem(*frame); !problem.empty()) report_.Warning(problem);
    if (keptForShown_ && index != shown_) {
        // Its file is gone: the frame leaves the list with the screen.
        files_.erase(files_.begin() + shown_);
        if (index > shown_) --index;
        keptForShown_ = false;
    }
    shown_ = index;
    waiting_ = {};
    lastSize_ = -1;
    goneSaid_ = false;
    // A rate of almost nothing waits a day at most: its period in the clock's
    // ticks would not fit.
    const double period = std::min(1.0 / settings_.framesPerSecond, 86400.0);
    nextPlay_ = now + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(period));
    Prefetch();
    return frame;
}

void SeriesPlayer::TakeChanges(Clock::time_point now) {
    if (!watch_) return;
    const std::vector<FileWatch::Change> changes = watch_->Changes();
    if (changes.empty()) return;
    const std::string shownFile = count() > 0 ? NormalPath(file(shown_)) : "";
    bool readShownAgain = false;
    for (const FileWatch::Change& change : changes) {
        if (change.folder) {
            if (change.gone) {
                report_.Warning("watched folder '" + change.path +
                                "' is gone; the last frame read stays on screen until it is made again");
            } else {
                readShownAgain = true;
            }
        } else if (change.path == shownFile) {
            if (!change.gone) {
                readShownAgain = true;
            } else if (!goneSaid_) {
                report_.Warning("watched file '" + file(shown_) + "' is gone; the last frame read stays on screen");
                goneSaid_ = true;
            }
        }
    }
    // A play waiting at the end looks again for a next frame.
    if (playing_ && nextPlay_ == Clock::time_point::max()) nextPlay_ = now;
    if (!settings_.pattern.empty()) Relist(SeriesFiles(settings_.pattern));
    if (readShownAgain && waiting_.index < 0 && count() > 0 && SizeOf(file(shown_)) >= 0) Want(shown_, true);
}

// Takes the files on disk now. The frame on show keeps its place by its
// name, and while shown stays listed even when its file is gone, so that
// the frames after it follow it; the frames asked for and read ahead are
// found again by name.
void SeriesPlayer::Relist(std::vector<std::string> files) {
    if (files_.empty()) {
        files_ = std::move(files);
        if (count() > 0) Want(count() - 1, true);
        return;
    }
    const std::string shownFile = file(shown_);
    const std::string waitingFile = waiting_.index >= 0 ? file(waiting_.index) : "";
    const std::string prefetchedFile = prefetched_.index >= 0 ? file(prefetched_.index) : "";
    // Following the end: its last frame on show, or asked for while an
    // earlier one is.
    const bool atEnd = shown_ + 1 >= count() ? waiting_.index < 0 || waiting_.index == shown_
                                             : waiting_.index == count() - 1;
    keptForShown_ = std::find(files.begin(), files.end(), shownFile) == files.end();
    if (keptForShown_) {
        files.insert(std::upper_bound(files.begin(), files.end(), shownFile, NumericallyBefore), shownFile);
    }
    if (files == files_) return;
    files_ = std::move(files);
    shown_ = IndexOf(shownFile);
    prefetched_.index = IndexOf(prefetchedFile);
    if (prefetched_.index < 0) prefetched_ = {};
    if (waiting_.index >= 0) {
        waiting_.index = IndexOf(waitingFile);
        if (waiting_.index < 0) {
            // Its file is gone: the step goes to the frame in its place.
            waiting_ = {};
            lastSize_ = -1;
            Want(PlaceOf(waitingFile));
        }
    }
    // A series that grows while it is followed to its end goes on to its new
    // last frame.
    if (atEnd && shown_ + 1 < count() && waiting_.index != count() - 1) Want(count() - 1);
    Prefetch();
}

int SeriesPlayer::IndexOf(const std::string& name) const {
    const auto found = std::find(files_.begin(), files_.end(), name);
    return found == files_.end() ? -1 : static_cast<int>(found - files_.begin());
}

// Where a frame no longer listed was, in the direction of travel: the first
// frame after it, or going back the last one before it; -1 when none is.
int SeriesPlayer::PlaceOf(const std::string& name) const {
    const auto after = std::upper_bound(files_.begin(), files_.end(), name, NumericallyBefore);
    const int place = static_cast<int>(after - files_.begin()) - (direction_ < 0 ? 1 : 0);
    return place < count() ? place : -1;
}

std::vector<int> SeriesPlayer::Descriptors() const {
    std::vector<int> descriptors = {loader_.ReadyDescriptor()};
    if (watch_ && watch_->ok()) descriptors.push_back(watch_->Descriptor());
    return descriptors;
}

int SeriesPlayer::WaitMilliseconds(Clock::time_point now) const {
    Clock::time_point due = Clock::time_point::max();
    if (playing_ && waiting_.index < 0) due = nextPlay_;
    if (waiting_.index >= 0 && lastSize_ >= 0) due = std::min(due, retryAt_);
    if (due == Clock::time_point::max()) return -1;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(due - now).count();
    return static_cast<int>(std::max<long long>(0, left));
}
