#include "slow_work_note.h"

#include <errno.h>

#include <cstdio>
#include <string>

SlowWorkNote::SlowWorkNote(std::string what, std::chrono::milliseconds patience, Diagnostics& report)
    : what_(std::move(what)), report_(report), patience_(patience), start_(std::chrono::steady_clock::now()), watcher_([this] { Watch(); }) {}

void SlowWorkNote::Watch() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (ended_.wait_for(lock, patience_, [this] { return done_; })) return;
    report_.Note(std::string(program_invocation_short_name) + ": " + what_);
    said_ = true;
}

bool SlowWorkNote::said() {
    std::lock_guard<std::mutex> lock(mutex_);
    return said_;
}

SlowWorkNote::~SlowWorkNote() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        done_ = true;
    }
    ended_.notify_one();
    watcher_.join();
    if (!said_) return;
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start_;
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f", took.count());
    report_.Note(std::string(program_invocation_short_name) + ": ready to draw after " + seconds + " s");
}
