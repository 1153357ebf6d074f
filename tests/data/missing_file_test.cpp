// Runs the real program on a data file that does not exist.
#include <gtest/gtest.h>

#include "child_process.h"

namespace {

TEST(Program, MissingDataFileEndsWithStatusOneAndTheMessage) {
    const TempDir dir("missing");
    ASSERT_FALSE(dir.path().empty());
    WriteFile(dir / "config.txt", "[data]\nfile = nowhere.txt\n");

    // No display is given: the program must end before it would open a window.
    ChildProcess program(dir.path(), PELORIN_EXE, {}, {"DISPLAY="});
    EXPECT_EQ(program.wait(30), 1);
    EXPECT_EQ(program.output(), "");
    EXPECT_EQ(program.errors(), "error: file not found (SurfData constructor)\n");
}

}  // namespace
