// A series of height files: which files a pattern names and in what order,
// and the player that steps through them and follows them on disk, driven
// as the window drives it, without one.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "clock.h"
#include "frame_series.h"
#include "series_player.h"
#include "temp_files.h"

namespace {

// A grid of `size` x `size` columns of height `height`, as a data file.
std::string Grid(int size, int height) {
    std::string text = std::to_string(size) + "\n";
    for (int row = 0; row < size; ++row) {
        for (int column = 0; column < size; ++column) text += std::to_string(height) + " ";
        text += "\n";
    }
    return text;
}

std::size_t Points(int size, int height) { return static_cast<std::size_t>(size * size * (height + 1)); }

TEST(SeriesFiles, NumberedInOrderOfTheirNumbers) {
    const TempDir dir("series");
    for (const char* name : {"h-2.txt", "h-10.txt", "h-1.txt", "h-x.txt", "other.txt", "h-007.txt"}) {
        WriteFile(dir / name, "1\n0 \n");
    }
    const std::string d = dir.path() + "/";
    const struct {
        std::string pattern;
        std::vector<std::string> files;
    } cases[] = {
        {d + "h-%d.txt", {d + "h-1.txt", d + "h-2.txt", d + "h-007.txt", d + "h-10.txt"}},
        {d + "h-%05d.txt", {d + "h-1.txt", d + "h-2.txt", d + "h-007.txt", d + "h-10.txt"}},
        {d + "h-*.txt", {d + "h-1.txt", d + "h-2.txt", d + "h-007.txt", d + "h-10.txt", d + "h-x.txt"}},
        {d + "none-%d.txt", {}},
        {d + "none-*.txt", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(SeriesFiles(c.pattern), c.files) << c.pattern;
    EXPECT_TRUE(IsNumberPattern("frames/h-%05d.txt"));
    EXPECT_FALSE(IsNumberPattern("frames/*.txt"));
    EXPECT_FALSE(IsNumberPattern("fr%dames/h.txt"));
    EXPECT_FALSE(IsNumberPattern("h-%%d.txt"));
}

// Polls the player as the window's idle work does, until it hands back a
// frame or `seconds` pass.
std::unique_ptr<LoadedFrame> NextFrame(SeriesPlayer& player, double seconds = 20) {
    const double deadline = MonotonicSeconds() + seconds;
    while (MonotonicSeconds() < deadline) {
        if (std::unique_ptr<LoadedFrame> frame = player.Poll()) return frame;
        std::vector<pollfd> waits;
        for (int d : player.Descriptors()) waits.push_back({d, POLLIN, 0});
        const int due = player.WaitMilliseconds();
        poll(waits.data(), waits.size(), due < 0 || due > 100 ? 100 : due);
    }
    return nullptr;
}

SeriesSettings Series(const std::string& pattern, bool watch = false) {
    SeriesSettings settings;
    settings.pattern = pattern;
    settings.watch = watch;
    return settings;
}

// A frame that cannot be read is named once and stepped over; the one on
// show stays until the next readable one is read.
TEST(SeriesPlayer, StepsOverAFrameThatCannotBeRead) {
    const TempDir dir("player");
    WriteFile(dir / "f-1.txt", Grid(4, 1));
    ASSERT_EQ(mkdir((dir / "f-2.txt").c_str(), 0700), 0);
    WriteFile(dir / "f-3.txt", Grid(4, 3));
    SeriesPlayer player(Series(dir / "f-%d.txt"), "", FramePreparation{});
    ASSERT_EQ(player.count(), 3);
    testing::internal::CaptureStderr();
    player.Step(1);
    std::unique_ptr<LoadedFrame> frame = NextFrame(player);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->x.size(), Points(4, 3));
    EXPECT_EQ(player.shown(), 2);
    EXPECT_EQ(player.Label(), "frame 3 of 3: f-3.txt");
    player.Step(-1);
    frame = NextFrame(player);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(player.shown(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "warning: frame '" + (dir / "f-2.txt") + "' cannot be read; skipped\n");
}

// A watched file rewritten slowly is shown only once whole; one replaced by
// rename is shown at once; one removed leaves the last frame, said once.
TEST(SeriesPlayer, FollowsAFileWithoutShowingItHalfWritten) {
    const TempDir dir("watch");
    const std::string file = dir / "data.txt";
    WriteFile(file, Grid(6, 1));
    SeriesPlayer player(Series("", true), file, FramePreparation{}, std::chrono::hours(1));

    const std::string whole = Grid(6, 2);
    WriteFile(file, whole.substr(0, whole.size() / 2));
    // Read short while it grows: nothing to show yet.
    EXPECT_EQ(NextFrame(player, 0.5), nullptr);
    WriteFile(file, whole);
    std::unique_ptr<LoadedFrame> frame = NextFrame(player);
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->whole());
    EXPECT_EQ(frame->x.size(), Points(6, 2));

    WriteFile(dir / "next.tmp", Grid(6, 4));
    ASSERT_EQ(std::rename((dir / "next.tmp").c_str(), file.c_str()), 0);
    frame = NextFrame(player);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->x.size(), Points(6, 4));

    testing::internal::CaptureStderr();
    std::remove(file.c_str());
    EXPECT_EQ(NextFrame(player, 0.5), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "warning: watched file '" + file + "' is gone; the last frame read stays on screen\n");
}

// A series that grows while its last frame is shown follows it to the new
// last frame; a file that stays short is taken as it is once its size holds.
TEST(SeriesPlayer, FollowsASeriesAsItGrows) {
    const TempDir dir("grow");
    WriteFile(dir / "g-1.txt", Grid(3, 1));
    SeriesPlayer player(Series(dir / "g-%d.txt", true), "", FramePreparation{}, std::chrono::milliseconds(0));
    testing::internal::CaptureStderr();
    WriteFile(dir / "g-2.txt", "3\n1 1 1 \n1 ");
    std::unique_ptr<LoadedFrame> frame = NextFrame(player);
    const std::string said = testing::internal::GetCapturedStderr();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(player.count(), 2);
    EXPECT_EQ(player.shown(), 1);
    EXPECT_EQ(frame->x.size(), 8u);
    EXPECT_EQ(said.rfind("warning: frame '" + (dir / "g-2.txt") + "': no height could be read at row 2", 0), 0u)
        << said;
}

}  // namespace
