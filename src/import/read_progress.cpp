#include "read_progress.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr auto quietTime = std::chrono::seconds(1);  // no bar for reads faster than this
constexpr int barWidth = 40;

// A reader's report as a fraction from 0 to 1; a NaN one as 0, so that no
// cast to a whole number ever sees it.
double Fraction(double reported) { return reported >= 0 ? std::min(reported, 1.0) : 0.0; }

}  // namespace

ReadProgress::ReadProgress(std::string label, bool enabled, std::FILE* stream)
    : label_(std::move(label)), enabled_(enabled), stream_(stream), start_time_(Clock::now()) {}

ReadProgress::~ReadProgress() {
    if (shown_) {
        std::fputc('\n', stream_);
        std::fflush(stream_);
    }
}

int ReadProgress::Report(double fraction, const char*, void* data) {
    static_cast<ReadProgress*>(data)->ReportAt(fraction, Clock::now());
    return 1;
}

void ReadProgress::ReportAt(double fraction, Clock::time_point now) {
    if (!enabled_ || now - start_time_ < quietTime) return;
    const double overall = Fraction(fraction);
    const int percent = static_cast<int>(std::floor(overall * 100));
    if (percent == last_percent_) return;
    last_percent_ = percent;
    shown_ = true;
    std::fputs(("\r" + Bar(label_, overall)).c_str(), stream_);
    std::fflush(stream_);
}

std::string ReadProgress::Bar(const std::string& label, double fraction) {
    fraction = Fraction(fraction);
    const int filled = static_cast<int>(std::floor(fraction * barWidth));
    const int percent = static_cast<int>(std::floor(fraction * 100));
    std::string bar = label + " [" + std::string(filled, '#') + std::string(barWidth - filled, ' ') + "] ";
    const std::string number = std::to_string(percent);
    return bar + std::string(3 - number.size(), ' ') + number + "%";
}

bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }
