// A sign of life for work that takes a while: one note to the sink if
// it is still going after a second, and one more when it ends, so that a big
// grid's preparation does not look like a hang.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "diagnostics.h"

class SlowWorkNote {
public:
    // Starts the clock; `what` completes "<program>: " in the first line,
    // written once the work has gone on for `patience`.
    explicit SlowWorkNote(std::string what, std::chrono::milliseconds patience = std::chrono::seconds(1),
                          Diagnostics& report = ProgramDiagnostics());
    // Ends the work, and says so if the first line was written.
    ~SlowWorkNote();

    // Whether the first line has been written.
    bool said();

    SlowWorkNote(const SlowWorkNote&) = delete;
    SlowWorkNote& operator=(const SlowWorkNote&) = delete;

private:
    void Watch();

    const std::string what_;
    Diagnostics& report_;
    const std::chrono::milliseconds patience_;
    const std::chrono::steady_clock::time_point start_;
    std::mutex mutex_;
    std::condition_variable ended_;
    bool done_ = false;
    bool said_ = false;
    std::thread watcher_;
};
