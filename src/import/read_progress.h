// The progress bar on standard error while a raster is read: GDAL reports
// the fraction done through its progress callback, and the bar appears only
// when standard error is a terminal and the read has taken over a second.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

class ReadProgress {
public:
    using Clock = std::chrono::steady_clock;

    // `label` names what is read; the bar is drawn on `stream` when `enabled`.
    ReadProgress(std::string label, bool enabled, std::FILE* stream = stderr);
    // Ends a bar that was drawn with a line end.
    ~ReadProgress();

    ReadProgress(const ReadProgress&) = delete;
    ReadProgress& operator=(const ReadProgress&) = delete;

    // GDAL's progress function (a GDALProgressFunc); `data` is the
    // ReadProgress. Always returns TRUE: reading is never cancelled.
    static int Report(double fraction, const char* message, void* data);

    // The bar for `fraction` (0..1), as drawn after a carriage return.
    static std::string Bar(const std::string& label, double fraction);

    // Whether the bar is on screen.
    bool shown() const { return shown_; }

    // Reports as if `now` were the time (for tests).
    void ReportAt(double fraction, Clock::time_point now);

private:
    std::string label_;
    bool enabled_;
    std::FILE* stream_;
    Clock::time_point start_time_;
    bool shown_ = false;
    int last_percent_ = -1;
};

// Whether standard error is a terminal, where a bar can be redrawn.
bool StandardErrorIsTerminal();
