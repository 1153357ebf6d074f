// Writing files whole or not at all, and the progress bar.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "atomic_files.h"
#include "fixtures.h"
#include "read_progress.h"
#include "temp_files.h"

namespace {

TEST(Files, WrittenFilesAppearWholeWithoutTheirTemporaries) {
    const TempDir dir("import-files");
    std::string error;
    ASSERT_TRUE(WriteFilesAtomically(dir / "a/b", {{"one.txt", "1"}, {"two.txt", "2"}}, false, error)) << error;
    EXPECT_EQ(Entries(dir / "a/b"), (std::vector<std::string>{"one.txt", "two.txt"}));
    EXPECT_EQ(ReadFile(dir / "a/b/two.txt"), "2");
}

TEST(Files, AFailureLeavesNothingItMade) {
    const TempDir dir("import-failure");
    std::string error;
    // The second file cannot be made: the first, and the folders, go again.
    EXPECT_FALSE(WriteFilesAtomically(dir / "new/sub", {{"one.txt", "1"}, {"no/two.txt", "2"}}, false, error));
    EXPECT_EQ(error, "cannot write '" + (dir / "new/sub/no/two.txt") + "': No such file or directory");
    EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{});

    // A file that appears after the check is not overwritten.
    WriteFile(dir / "two.txt", "theirs");
    EXPECT_FALSE(WriteFilesAtomically(dir.path(), {{"one.txt", "1"}, {"two.txt", "2"}}, false, error));
    EXPECT_EQ(error, OverwriteRefusal(dir / "two.txt"));
    EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"two.txt"});
    EXPECT_EQ(ReadFile(dir / "two.txt"), "theirs");
}

TEST(Progress, TheBarShowsOnlyOnATerminalAfterASecond) {
    EXPECT_EQ(ReadProgress::Bar("reading x", 0.5),
              "reading x [####################                    ]  50%");
    EXPECT_EQ(ReadProgress::Bar("r", 1).substr(45), "100%");

    char* text = nullptr;
    std::size_t length = 0;
    std::FILE* stream = open_memstream(&text, &length);
    {
        ReadProgress progress("reading x", true, stream);
        const auto start = ReadProgress::Clock::now();
        progress.ReportAt(0.2, start + std::chrono::milliseconds(500));
        EXPECT_FALSE(progress.shown());
        progress.ReportAt(0.5, start + std::chrono::milliseconds(1500));
        EXPECT_TRUE(progress.shown());
        ReadProgress off("reading y", false, stream);
        off.ReportAt(0.5, start + std::chrono::seconds(5));
        EXPECT_FALSE(off.shown());
    }
    std::fclose(stream);
    EXPECT_EQ(std::string(text, length), "\r" + ReadProgress::Bar("reading x", 0.5) + "\n");
    std::free(text);
}

TEST(Progress, AReportOfNoNumberShowsNothingDone) {
    EXPECT_EQ(ReadProgress::Bar("r", NAN), ReadProgress::Bar("r", 0));
}

}  // namespace
