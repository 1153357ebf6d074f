#include "slow_work_note.h"

#include <errno.h>

#include <cstdio>

SlowWorkNote::SlowWorkNote(std::string what, std::chrono::milliseconds patience)
    : what_(std::move(what)), patience_(patience), start_(std::chrono::steady_clock::now()), watcher_([this] { Watch(); }) {}

void SlowWorkNote::Watch() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (ended_.wait_for(lock, patience_, [this] { return done_; })) return;
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, what_.c_str());
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
    std::fprintf(stderr, "%s: ready to draw after %.1f s\n", program_invocation_short_name, took.count());
}
