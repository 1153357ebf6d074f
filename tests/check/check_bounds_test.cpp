// pelorin-check on files made to hurt: control bytes never reach the
// terminal raw, and a grid far too big to build is counted in little memory.
#include <gtest/gtest.h>

#include <string>

#include "child_process.h"

namespace {

// Everything after the settings: the data lines and the findings.
std::string AfterSettings(const std::string& output) { return output.substr(output.find("\n\n") + 2); }

TEST(CheckOutput, ControlBytesAreShownEscaped) {
    TempDir dir("check");
    WriteFile(dir / "config.txt", "[data]\nfile = 'd\x1b[2Ja\x07ta.txt'\n[display]\nwhat\x7f = 1\n");
    ChildProcess check(dir.path(), PELORIN_CHECK);
    EXPECT_EQ(check.wait(30), 1);
    EXPECT_NE(check.output().find("  data/file                 = d\\x1b[2Ja\\x07ta.txt  line 2 "), std::string::npos)
        << check.output();
    EXPECT_EQ(AfterSettings(check.output()),
              "\nwarning: line 4: display/what\\x7f: unknown key; the programs ignore it\n"
              "error: data file 'd\\x1b[2Ja\\x07ta.txt' is not found, or is a folder; the programs stop with status 1\n"
              "2 problems\n");

    ChildProcess folder(dir.path(), PELORIN_CHECK, {"no\x1b]0;title\x07"});
    EXPECT_EQ(folder.wait(30), 2);
    EXPECT_EQ(folder.errors(), "error: cannot enter the folder 'no\\x1b]0;title\\x07'\n");
}

// The sanitizers reserve their shadow memory up front, far beyond any cap.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define UNDER_SANITIZER
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define UNDER_SANITIZER
#endif
#endif

// One row of ten million cells of height 1: building its 20 million points
// takes 480 MB for the coordinates alone; the check runs in 256 MB.
TEST(CheckMemory, ABigGridIsCountedWithinASmallAddressSpace) {
#ifdef UNDER_SANITIZER
    GTEST_SKIP() << "a sanitizer reserves more address space than the cap";
#endif
    TempDir dir("check");
    std::string row(20000000, ' ');
    for (std::size_t i = 0; i < row.size(); i += 2) row[i] = '1';
    WriteFile(dir / "data.txt", "1\n" + row + "\n");
    WriteFile(dir / "config.txt", "[display]\nrenderer = impostors\n");
    ChildProcess check(dir.path(), "/bin/sh", {"-c", "ulimit -v 262144 && exec \"$0\"", PELORIN_CHECK});
    EXPECT_EQ(check.wait(60), 1) << check.errors();
    EXPECT_EQ(check.errors(), "");
    EXPECT_EQ(AfterSettings(check.output()),
              "data.txt: 20000000 points, then the data ends early\n\n"
              "warning: data file 'data.txt': no height could be read at row 2, column 1; the grid ends there\n"
              "1 problem\n");
}

}  // namespace
