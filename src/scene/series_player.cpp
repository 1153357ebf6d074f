#include "series_player.h"

#include <sys/stat.h>

#include <algorithm>
#include <iostream>

#include "frame_series.h"

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
                           const FramePreparation& preparation, std::chrono::milliseconds steadyFor)
    : settings_(settings),
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

std::string SeriesPlayer::Label() const {
    if (files_.empty()) return "";
    return "frame " + std::to_string(shown_ + 1) + " of " + std::to_string(count()) + ": " + BaseName(file(shown_));
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
    TakeChanges();
    if (playing_ && waiting_.index < 0 && now >= nextPlay_) {
        if (shown_ + 1 < count()) {
            Want(shown_ + 1);
        } else if (!watch_) {
            playing_ = false;
        }
    }
    if (waiting_.index >= 0 && lastSize_ >= 0 && now >= retryAt_ && !loader_.Pending(waiting_.ticket)) {
        Want(waiting_.index, true);
    }
    if (waiting_.index < 0) return nullptr;
    std::unique_ptr<LoadedFrame> frame = loader_.Take(waiting_.ticket);
    return frame ? Arrived(std::move(frame), now) : nullptr;
}

std::unique_ptr<LoadedFrame> SeriesPlayer::Arrived(std::unique_ptr<LoadedFrame> frame, Clock::time_point now) {
    const int index = waiting_.index;
    if (Unreadable(*frame)) {
        if (unreadable_.insert(frame->file).second) std::cerr << FrameWarning(*frame) << std::endl;
        waiting_ = {};
        lastSize_ = -1;
        // Stepping goes on past it; the frame on show stays.
        const int next = index + direction_;
        if (next >= 0 && next < count() && next != shown_) Want(next);
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
    if (!frame->whole()) std::cerr << FrameWarning(*frame) << std::endl;
    shown_ = index;
    waiting_ = {};
    lastSize_ = -1;
    goneSaid_ = false;
    nextPlay_ = now + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / settings_.framesPerSecond));
    Prefetch();
    return frame;
}

void SeriesPlayer::TakeChanges() {
    if (!watch_) return;
    bool rescan = false;
    for (const FileWatch::Change& change : watch_->Changes()) {
        if (count() > 0 && change.path == file(shown_)) {
            if (change.gone) {
                if (!goneSaid_) {
                    std::cerr << "warning: watched file '" << change.path
                              << "' is gone; the last frame read stays on screen" << std::endl;
                }
                goneSaid_ = true;
            } else if (waiting_.index < 0) {
                Want(shown_, true);
            }
        }
        rescan = rescan || !settings_.pattern.empty();
    }
    if (!rescan) return;
    const bool atEnd = shown_ + 1 >= count();
    std::vector<std::string> files = SeriesFiles(settings_.pattern);
    if (files.size() <= files_.size()) return;
    files_ = std::move(files);
    // A series that grows while its last frame is on show follows it.
    if (atEnd && waiting_.index < 0) Want(count() - 1);
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
