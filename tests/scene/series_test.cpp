// A series of height files: which files a pattern names and in what order,
// and the player that steps through them and follows them on disk, driven
// as the window drives it, without one.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "asc_text.h"
#include "clock.h"
#include "frame_files.h"
#include "series/series_player.h"
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

// Frames of values as a model writes them go through the preparation's
// mapping; a frame with cells below level 0 is shown with one warning, and
// one that cannot be read is stepped over, in the words pelorin-render uses.
TEST(SeriesPlayer, MapsValueFramesAndSaysWhatTheyLeaveOut) {
    const TempDir dir("player");
    WriteFile(dir / "f-1.asc", AscText({{"10", "10"}, {"10", "10"}}));
    WriteFile(dir / "f-2.asc", "ncols 2\n");
    WriteFile(dir / "f-3.asc", AscText({{"10", "7"}, {"12.5", "nan"}}));
    FramePreparation preparation;
    preparation.mapping = {2.5, 10};
    SeriesPlayer player(Series(dir / "f-%d.asc"), "", preparation);
    testing::internal::CaptureStderr();
    player.Step(1);
    std::unique_ptr<LoadedFrame> frame = NextFrame(player);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(player.shown(), 2);
    // The north row (10, 7) is the last: level 0 and a cell left empty;
    // the south row (12.5, NaN) the first: level 1 and no cell.
    EXPECT_EQ(frame->x, (std::vector<double>{0, 0, 0}));
    EXPECT_EQ(frame->y, (std::vector<double>{0, 0, 1}));
    EXPECT_EQ(frame->z, (std::vector<double>{0, 1, 0}));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "warning: frame '" + (dir / "f-2.asc") + "': its header has no 'nrows'; skipped\n"
              "warning: frame '" + (dir / "f-3.asc") + "': 1 cell maps below level 0 (values under "
              "data/level-0-metres) and is left empty\n");
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

// Polls the player as the window's idle work does, with its clock `ahead`
// of the real one, until `done` holds of what Poll hands back or 20 s pass.
bool PollUntil(SeriesPlayer& player, const std::function<bool(const LoadedFrame*)>& done,
               SeriesPlayer::Clock::duration ahead = {}) {
    const double deadline = MonotonicSeconds() + 20;
    while (MonotonicSeconds() < deadline) {
        const SeriesPlayer::Clock::time_point now = SeriesPlayer::Clock::now() + ahead;
        if (done(player.Poll(now).get())) return true;
        std::vector<pollfd> waits;
        for (int d : player.Descriptors()) waits.push_back({d, POLLIN, 0});
        const int due = player.WaitMilliseconds(now);
        poll(waits.data(), waits.size(), due < 0 || due > 100 ? 100 : due);
    }
    return false;
}

std::function<bool(const LoadedFrame*)> FrameOf(const std::string& file) {
    return [file](const LoadedFrame* frame) { return frame != nullptr && frame->file == file; };
}

// Played to the end, a series stops, or when followed waits on the watch
// with no wait of zero, past an unreadable last frame too; a new frame plays.
TEST(SeriesPlayer, PlayingToTheEndWaitsWithoutSpinning) {
    const struct {
        bool watch, lastReadable, playingAtEnd;
        int shownAtEnd;
    } cases[] = {{false, true, false, 1}, {false, false, false, 0}, {true, true, true, 1}, {true, false, true, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "watch " << c.watch << ", last frame readable " << c.lastReadable);
        const TempDir dir("play");
        WriteFile(dir / "p-1.txt", Grid(3, 1));
        if (c.lastReadable) WriteFile(dir / "p-2.txt", Grid(3, 2));
        if (!c.lastReadable) std::filesystem::create_directory(dir / "p-2.txt");
        SeriesPlayer player(Series(dir / "p-%d.txt", c.watch), "", FramePreparation{});
        testing::internal::CaptureStderr();
        player.TogglePlay();
        // An hour ahead, every play step is due as soon as it is looked at.
        const auto ahead = std::chrono::hours(1);
        player.Poll(SeriesPlayer::Clock::now() + ahead);
        EXPECT_TRUE(PollUntil(player, [&](const LoadedFrame*) { return player.wanted() < 0; }, ahead));
        const SeriesPlayer::Clock::time_point end = SeriesPlayer::Clock::now() + 2 * ahead;
        player.Poll(end);
        EXPECT_EQ(player.wanted(), -1);
        EXPECT_EQ(player.WaitMilliseconds(end), -1);
        EXPECT_EQ(player.playing(), c.playingAtEnd);
        EXPECT_EQ(player.shown(), c.shownAtEnd);
        if (c.watch) {
            PutFile(dir / "p-3.txt", Grid(3, 3));
            EXPECT_TRUE(PollUntil(player, FrameOf(dir / "p-3.txt")));
        }
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  c.lastReadable ? "" : "warning: frame '" + (dir / "p-2.txt") + "' cannot be read; skipped\n");
    }
}

// However a watched name is written, its changes and its removal are seen.
TEST(SeriesPlayer, FollowsAFileHoweverItsNameIsWritten) {
    const struct {
        std::string series, file;
    } cases[] = {{"", "./data.txt"}, {"./h-%d.txt", "./h-1.txt"}, {"sub/../h-*.txt", "sub/../h-1.txt"}};
    const std::filesystem::path before = std::filesystem::current_path();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const TempDir dir("names");
        std::filesystem::create_directory(dir / "sub");
        std::filesystem::current_path(dir.path());
        WriteFile(c.file, Grid(3, 1));
        SeriesPlayer player(Series(c.series, true), c.file, FramePreparation{});
        EXPECT_EQ(player.file(0), c.file);
        PutFile(c.file, Grid(3, 2));
        EXPECT_TRUE(PollUntil(player, FrameOf(c.file)));
        testing::internal::CaptureStderr();
        std::remove(c.file.c_str());
        player.Poll();
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  "warning: watched file '" + c.file + "' is gone; the last frame read stays on screen\n");
        std::filesystem::current_path(before);
    }
}

// A watched folder taken away is said once; made again, the frames it then
// holds are followed.
TEST(SeriesPlayer, FollowsAFolderMadeAgain) {
    const struct {
        std::string series, file, takenAway;
        bool moved, heldOpen;
        std::vector<std::string> madeAgain;
        std::string label;
    } cases[] = {
        {"frames/h-%d.txt", "frames/h-1.txt", "frames", false, false, {"h-1.txt", "h-2.txt"}, "frame 2 of 2: h-2.txt"},
        {"frames/h-%d.txt", "frames/h-1.txt", "frames", true, false, {"h-3.txt"}, "frame 1 of 1: h-3.txt"},
        {"deep/frames/*.txt", "deep/frames/h-1.txt", "deep", false, false, {"h-2.txt"}, "frame 1 of 1: h-2.txt"},
        {"", "frames/data.txt", "frames", false, false, {"data.txt"}, "frame 1 of 1: data.txt"},
        // As the viewer holds its first frame's file open.
        {"frames/h-%d.txt", "frames/h-1.txt", "frames", false, true, {"h-2.txt"}, "frame 1 of 1: h-2.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file + (c.moved ? ", moved" : ", removed") + (c.heldOpen ? ", held open" : ""));
        const TempDir dir("refollow");
        const std::string folder = std::filesystem::path(dir / c.file).parent_path().string();
        std::filesystem::create_directories(folder);
        WriteFile(dir / c.file, Grid(3, 1));
        std::ifstream held;
        if (c.heldOpen) held.open(dir / c.file);
        SeriesPlayer player(Series(c.series.empty() ? "" : dir / c.series, true), dir / c.file, FramePreparation{});
        testing::internal::CaptureStderr();
        if (c.moved) std::filesystem::rename(dir / c.takenAway, dir / "elsewhere");
        if (!c.moved) std::filesystem::remove_all(dir / c.takenAway);
        // The kernel has queued the loss: this takes it and watches above.
        player.Poll();
        std::filesystem::create_directories(folder);
        for (const std::string& name : c.madeAgain) PutFile(folder + "/" + name, Grid(3, 2));
        EXPECT_TRUE(PollUntil(player, FrameOf(folder + "/" + c.madeAgain.back())));
        EXPECT_EQ(player.Label(), c.label);
        const std::string fileGone =
            "warning: watched file '" + (dir / c.file) + "' is gone; the last frame read stays on screen\n";
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  (c.moved ? "" : fileGone) + "warning: watched folder '" + folder +
                      "' is gone; the last frame read stays on screen until it is made again\n");
    }
}

// When the files change, the frame on show keeps its place by its name, or
// where its name was once it is gone, and the next step goes to the file
// after it on disk, read ahead anew.
TEST(SeriesPlayer, KeepsTheFrameOnShowInPlaceWhenTheFilesChange) {
    const struct {
        std::vector<int> removed, added;
        std::string label, next, labelThen;
    } cases[] = {
        {{1, 2, 3}, {7, 8, 9}, "frame 1 of 6: h-4.txt", "h-5.txt", "frame 2 of 6: h-5.txt"},
        {{3, 4}, {7}, "frame 3 of 6: h-4.txt", "h-5.txt", "frame 3 of 5: h-5.txt"},
        {{5}, {}, "frame 4 of 5: h-4.txt", "h-6.txt", "frame 5 of 5: h-6.txt"},
        {{4, 5, 6}, {}, "frame 4 of 4: h-4.txt", "", "frame 4 of 4: h-4.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const TempDir dir("relist");
        const auto name = [&](int n) { return dir / ("h-" + std::to_string(n) + ".txt"); };
        for (int n = 1; n <= 6; ++n) WriteFile(name(n), Grid(3, n));
        SeriesPlayer player(Series(dir / "h-%d.txt", true), "", FramePreparation{});
        player.Step(3);
        ASSERT_TRUE(PollUntil(player, FrameOf(name(4))));
        testing::internal::CaptureStderr();
        for (int n : c.removed) std::remove(name(n).c_str());
        for (int n : c.added) PutFile(name(n), Grid(3, n));
        EXPECT_TRUE(PollUntil(player, [&](const LoadedFrame*) { return player.Label() == c.label; }));
        player.Step(1);
        EXPECT_TRUE(c.next.empty() ? player.wanted() == -1 : PollUntil(player, FrameOf(dir / c.next)));
        EXPECT_EQ(player.Label(), c.labelThen);
        testing::internal::GetCapturedStderr();
    }
}

}  // namespace
