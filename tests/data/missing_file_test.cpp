// Runs the real program on a data file that cannot be opened.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "child_process.h"

namespace {

// A directory opens on Linux, but cannot be read: it is no data file either.
TEST(Program, UnopenableDataFileEndsWithStatusOneAndTheMessage) {
    for (const std::string data_file : {"missing", "directory"}) {
        const TempDir dir("missing");
        ASSERT_FALSE(dir.path().empty());
        WriteFile(dir / "config.txt", "[data]\nfile = nowhere.txt\n");
        if (data_file == "directory") {
            ASSERT_EQ(mkdir((dir / "nowhere.txt").c_str(), 0700), 0);
        }

        // No display is given: the program must end before it would open a window.
        ChildProcess program(dir.path(), PELORIN_EXE, {}, {"DISPLAY="});
        EXPECT_EQ(program.wait(30), 1) << data_file;
        EXPECT_EQ(program.output(), "") << data_file;
        EXPECT_EQ(program.errors(), "error: file not found (SurfData constructor)\n") << data_file;
    }
}

}  // namespace
