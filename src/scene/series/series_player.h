// Stepping, playing and following a series of height files, apart from any
// window: which frame is wanted, which is being read, when the next one is
// due, and what a change on disk means. The window asks it for work and
// shows the frames it hands back.
#pragma once

#include <chrono>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "diagnostics.h"
#include "series/file_watch.h"
#include "series/frame_loader.h"
#include "scene_settings.h"

class SeriesPlayer {
public:
    using Clock = std::chrono::steady_clock;

    // The frames "data/series" names, or `openedFile` alone when it names
    // none (to follow it with "data/watch"). `openedFile`, the frame the
    // scene opened on, is taken as shown (frame 0 when the series lacks
    // it). A watched frame read short is taken as it is once its size has
    // stayed the same for `steadyFor`.
    SeriesPlayer(const SeriesSettings& settings, const std::string& openedFile, const FramePreparation& preparation,
                 std::chrono::milliseconds steadyFor = std::chrono::milliseconds(500),
                 Diagnostics& report = ProgramDiagnostics());

    int count() const { return static_cast<int>(files_.size()); }
    int shown() const { return shown_; }
    bool playing() const { return playing_; }
    // The frame asked for and not yet shown, or -1.
    int wanted() const { return waiting_.index; }
    const std::string& file(int index) const { return files_[static_cast<std::size_t>(index)]; }
    // "frame 3 of 20: h-00030.txt".
    std::string Label() const;
    // Whether the label differs from when this was last asked (true the
    // first time): it changes with the frame shown, and when files come or go.
    bool LabelChanged();

    // For a followed run opened on its newest whole frame: a newer file,
    // still being written, is shown once it is whole, so that the frames
    // after it are followed from there.
    void FollowNewest();

    // The user's steps; the frame comes later from Poll.
    void Step(int by);
    void First();
    void Last();
    void TogglePlay();

    // Does what is due: takes changes on disk, starts the next frame of a
    // play, and hands back a frame to show once it is read. Says on
    // the sink what it skips.
    std::unique_ptr<LoadedFrame> Poll(Clock::time_point now = Clock::now());
    // What to wait on, and for how long at most, before the next Poll.
    std::vector<int> Descriptors() const;
    int WaitMilliseconds(Clock::time_point now = Clock::now()) const;

private:
    struct Wanted {
        int ticket = -1;
        int index = -1;
    };
    void Want(int index, bool again = false);
    void Prefetch();
    void PlayReachedEnd();
    void TakeChanges(Clock::time_point now);
    void Relist(std::vector<std::string> files);
    int IndexOf(const std::string& file) const;
    int PlaceOf(const std::string& file) const;
    std::unique_ptr<LoadedFrame> Arrived(std::unique_ptr<LoadedFrame> frame, Clock::time_point now);

    SeriesSettings settings_;
    Diagnostics& report_;
    std::chrono::milliseconds steadyFor_;
    std::vector<std::string> files_;
    FrameLoader loader_;
    std::unique_ptr<FileWatch> watch_;
    int shown_ = 0;
    int direction_ = 1;
    bool playing_ = false;
    Clock::time_point nextPlay_{};
    int tickets_ = 0;
    Wanted waiting_, prefetched_;
    // Frames that could not be read, warned about once.
    std::set<std::string> unreadable_;
    // A frame read short while it is still being written: read again until
    // its grid is whole, or its size has not changed for a while.
    Clock::time_point retryAt_{};
    long long lastSize_ = -1;
    Clock::time_point sizeSince_{};
    bool goneSaid_ = false;
    std::string labelSeen_;
    // The file on show is gone from disk and stays listed only while shown,
    // so that the frames around it keep their places.
    bool keptForShown_ = false;
};
