// Reading values off the window with the extended keys: a click names the
// sphere under the pointer, a shift-click measures from it to a second one,
// and "p" writes the profile between the two. With the standard keys a
// click only does what it always did.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <string>

#include "child_process.h"
#include "temp_files.h"
#include "x_driver.h"
#include "xvfb_server.h"

namespace {

constexpr double deadlineSeconds = 30;

// A flat 9 x 9 grid of level 1 with one column of level 4 at x = 6, y = 5,
// seen from straight above its middle, x to the right and y up, so where a
// column shows can be worked out by hand.
const int lookAtX = 4, lookAtY = 4;
const double eyeHeight = 30;
const double fieldOfViewDegrees = 40;  // the viewer's opening one
const int windowWidth = 800, windowHeight = 600;

std::string GridText() {
    std::string text = "9\n";
    for (int y = 0; y < 9; ++y) {
        for (int x = 0; x < 9; ++x) text += (x == 6 && y == 5 ? "4 " : "1 ");
        text += "\n";
    }
    return text;
}

std::string Config(bool extended) {
    return std::string("[data]\ncell-metres = 10\nmetres-per-level = 2\nlevel-0-metres = 100\n") +
           (extended ? "[display]\nkeys = extended\n" : "") +
           "[camera]\nazimuth = 270\nelevation = 90\ndistance = 30\ncenter = '4 4 0'\n";
}

// The window pixel that shows the top of column (x, y) at `level`: a
// perspective from straight above scales the ground by the focal length
// over the depth.
std::pair<int, int> PixelOf(int x, int y, int level) {
    const double focal = windowHeight / 2.0 / std::tan(fieldOfViewDegrees / 2 * M_PI / 180);
    const double scale = focal / (eyeHeight - level);
    return {static_cast<int>(std::lround(windowWidth / 2.0 + (x - lookAtX) * scale)),
            static_cast<int>(std::lround(windowHeight / 2.0 - (y - lookAtY) * scale))};
}

class ReadingValues : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server_.ok()) << server_.error();
        setenv("DISPLAY", server_.display().c_str(), 1);
        PutFile(dir_ / "data.txt", GridText());
    }

    XvfbServer server_;
    TempDir dir_{"values"};
};

TEST_F(ReadingValues, PickMeasureAndProfileWithExtendedKeys) {
    PutFile(dir_ / "config.txt", Config(true));
    ChildProcess viewer(dir_.path(), PELORIN_PROGRAM, {}, {SanitizerOptionsForGlProgram()});
    const std::string window = WaitForWindow("Pelorin", deadlineSeconds);
    ASSERT_FALSE(window.empty()) << viewer.errors();

    // Cell (4, 4) is the file's fifth column of its fifth row, 45 m east and
    // north of the corner; level 1 is 100 + 2 m.
    ClickAt(window, 400, 300);
    EXPECT_TRUE(OutputSays(viewer,
                           "pick 400,300: column 5, row 5, level 1, 102 m, 45 m east, 45 m north of the grid's corner\n",
                           deadlineSeconds))
        << viewer.output();

    // Two across and one up is sqrt(5) cells, 22.36 m; three levels up, 6 m.
    const auto [x, y] = PixelOf(6, 5, 4);
    ClickAt(window, x, y, true);
    EXPECT_TRUE(OutputSays(viewer,
                           "measure column 5, row 5 to column 7, row 6: ground 22.36 m, 3-D 23.15 m, height +6 m\n",
                           deadlineSeconds))
        << viewer.output();

    // The line from (4, 4) to (6, 5) crosses x = 4.5 a quarter of the way,
    // y = 4.5 half way and x = 5.5 three quarters of the way.
    TypeKeys(window, "p");
    ASSERT_TRUE(OutputSays(viewer, "wrote profile-0001.csv\n", deadlineSeconds)) << viewer.output() << viewer.errors();
    EXPECT_EQ(ReadFile(dir_ / "profile-0001.csv"),
              "distance_m,column,row,level,height_m\n0,5,5,1,102\n5.59,6,5,1,102\n11.18,6,6,1,102\n16.77,7,6,4,108\n");

    // A click on the background says nothing and forgets both picks.
    const std::string before = viewer.output();
    ClickAt(window, 20, 20);
    TypeKeys(window, "p");
    EXPECT_TRUE(ErrorsSay(viewer, "warning: a profile needs two columns picked", deadlineSeconds)) << viewer.errors();
    EXPECT_EQ(viewer.output(), before);

    TypeKeys(window, "q");
    EXPECT_EQ(viewer.wait(deadlineSeconds), 0);
}

TEST_F(ReadingValues, StandardKeysLeaveClicksAlone) {
    PutFile(dir_ / "config.txt", Config(false));
    ChildProcess viewer(dir_.path(), PELORIN_PROGRAM, {}, {SanitizerOptionsForGlProgram()});
    const std::string window = WaitForWindow("Pelorin", deadlineSeconds);
    ASSERT_FALSE(window.empty()) << viewer.errors();
    ClickAt(window, 400, 300);
    ClickAt(window, 400, 300, true);
    TypeKeys(window, "p");
    // The viewer handles its events in order: once "q" has ended it, the
    // clicks before it were seen.
    TypeKeys(window, "q");
    EXPECT_EQ(viewer.wait(deadlineSeconds), 0);
    EXPECT_EQ(viewer.output(), "data prepared\n");
    EXPECT_EQ(WarningLines(viewer.errors()), 0) << viewer.errors();
}

}  // namespace
