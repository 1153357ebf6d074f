// The viewer following a run as it writes its frames: started before the
// first one, or after some, it shows the newest and keeps the title's count
// true; with colour-range = grow a surface that grows keeps its colours
// apart instead of running into the top colour.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "child_process.h"
#include "clock.h"
#include "picture.h"
#include "temp_files.h"
#include "x_driver.h"
#include "xvfb_server.h"

namespace {

constexpr double deadlineSeconds = 30;

bool TitleBecomes(const std::string& window, const std::string& title) {
    const double deadline = MonotonicSeconds() + deadlineSeconds;
    while (TitleOf(window) != title && MonotonicSeconds() < deadline) usleep(50 * 1000);
    return TitleOf(window) == title;
}

bool ErrorsSay(const ChildProcess& process, const std::string& text) {
    const double deadline = MonotonicSeconds() + deadlineSeconds;
    while (process.errors().find(text) == std::string::npos && MonotonicSeconds() < deadline) usleep(50 * 1000);
    return process.errors().find(text) != std::string::npos;
}

// The picture once it has changed from `before` (if given) and then stays
// as it is.
Picture SettledAfter(const std::string& window, const Picture& before = {}) {
    Picture last = before.rgb.empty() ? Screenshot(window) : WaitForChange(window, before, 1000, deadlineSeconds);
    const double deadline = MonotonicSeconds() + deadlineSeconds;
    for (Picture next; MonotonicSeconds() < deadline; last = next) {
        next = Screenshot(window);
        if (DifferingPixels(next, last) == 0) break;
    }
    return last;
}

struct FollowCase {
    const char* name;
    std::vector<std::string> before;  // frames written before the viewer starts
    std::string openingTitle;
};

TEST(FollowedRun, ShowsTheNewestFrameWithColoursThatGrow) {
    const FollowCase cases[] = {
        {"BeforeTheFirstFrame", {}, "Pelorin: frame 1 of 1: f-1.txt"},
        {"AfterTwoFrames", {"f-1.txt", "f-2.txt"}, "Pelorin: frame 2 of 2: f-2.txt"},
    };
    const XvfbServer server;
    ASSERT_TRUE(server.ok()) << server.error();
    setenv("DISPLAY", server.display().c_str(), 1);
    for (const FollowCase& c : cases) {
        SCOPED_TRACE(c.name);
        const TempDir dir("follow");
        WriteFile(dir / "config.txt",
                  "[data]\nseries = f-%d.txt\nwatch = 1\n[display]\ncolour = height\ncolour-range = grow\n"
                  "fit-view = grow\n");
        for (const std::string& frame : c.before) PutFile(dir / frame, RampText(12, 1));
        ChildProcess viewer(dir.path(), PELORIN_PROGRAM, {}, {SanitizerOptionsForGlProgram()});
        if (c.before.empty()) {
            ASSERT_TRUE(ErrorsSay(viewer, "waiting for the first frame of data/series 'f-%d.txt'\n")) << viewer.errors();
            PutFile(dir / "f-1.txt", RampText(12, 1));
        }
        const std::string window = WaitForWindow(c.openingTitle, deadlineSeconds);
        ASSERT_FALSE(window.empty()) << viewer.errors();
        const Picture opening = SettledAfter(window);
        const int next = static_cast<int>(c.before.size()) + 1;
        for (int frame = next; frame < next + 3; ++frame) {
            PutFile(dir / ("f-" + std::to_string(frame) + ".txt"), RampText(12, 3 * (frame - next + 1)));
        }
        const std::string last = std::to_string(next + 2);
        EXPECT_TRUE(TitleBecomes(window, "Pelorin: frame " + last + " of " + last + ": f-" + last + ".txt"))
            << TitleOf(window);
        // Grown to the last frame's nine levels, the colours climb the ramp;
        // kept at the first frame's two, most of it would be the top colour.
        EXPECT_LT(TopColourShare(SettledAfter(window, opening)), 0.3);
        TypeKeys(window, "q");
        EXPECT_EQ(viewer.wait(deadlineSeconds), 0);
    }
}

}  // namespace
