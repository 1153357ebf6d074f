// pelorin-render --probe: the line for each pixel asked, word for word, on a
// grid whose answers are known, with either renderer and every way of
// counting the file's rows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "asc_text.h"
#include "child_process.h"
#include "temp_files.h"

namespace {

// Five columns, four rows, the first line y = 0; a peak of 6 at column 4,
// row 2 as the file counts them.
const char* const peakText = "5\n0 0 0 0 0 \n0 0 0 6 0 \n0 0 0 0 0 \n0 0 0 0 0 \n";
// The same levels as an .asc file writes them, the north first.
const AscRows peakNorthFirst = {
    {"0", "0", "0", "0", "0"}, {"0", "0", "0", "0", "0"}, {"0", "0", "0", "6", "0"}, {"0", "0", "0", "0", "0"}};

// Straight down onto `centre`, which the middle pixel of 160x120 shows.
std::string LookingDownAt(const std::string& centre) {
    return "[camera]\nelevation = 90\ndistance = 20\ncenter = '" + centre + "'\n";
}

struct ProbeCase {
    const char* name;
    const char* dataName;
    std::string data;
    std::string config;
    const char* expected;
};

TEST(RenderProbe, SaysWhatEachPixelShows) {
    const std::string peak = LookingDownAt("3 1 0");
    const ProbeCase cases[] = {
        {"lists", "data.txt", peakText, peak,
         "pick 80,60: column 4, row 2, level 6\npick 0,0: background\n"},
        {"impostors", "data.txt", peakText, "[display]\nrenderer = impostors\n" + peak,
         "pick 80,60: column 4, row 2, level 6\npick 0,0: background\n"},
        {"metres", "data.txt", peakText,
         "[data]\nmetres-per-level = 2\nlevel-0-metres = 100\ncell-metres = 10\n" + peak,
         "pick 80,60: column 4, row 2, level 6, 112 m, 35 m east, 15 m north of the grid's corner\n"
         "pick 0,0: background\n"},
        // The cell's centre on the map: column 4 and row 2, 3.5 and 1.5
        // cells from the corner.
        {"map", "data.txt", peakText,
         "[data]\norigin = '291230 5501170'\ncell-size = '30 20'\ncrs = 'EPSG:32631'\n" + peak,
         "pick 80,60: column 4, row 2, level 6, at 291335 5501200 (EPSG:32631)\npick 0,0: background\n"},
        {"rows counted from the north", "data.asc", AscText(peakNorthFirst), peak,
         "pick 80,60: column 4, row 3, level 6\npick 0,0: background\n"},
        {"below the floor", "data.txt", peakText,
         "[display]\nrenderer = impostors\nfloor = 4\n" + LookingDownAt("0 3 0"),
         "pick 80,60: background\npick 0,0: background\n"},
    };
    for (const ProbeCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir("probe");
        WriteFile(dir / c.dataName, c.data);
        WriteFile(dir / "config.txt", c.config + "[data]\nfile = " + c.dataName + "\n");
        ChildProcess render(dir.path(), PELORIN_RENDER, {"--size", "160x120", "--probe", "80,60", "--probe", "0,0"},
                            {SanitizerOptionsForGlProgram()});
        ASSERT_EQ(render.wait(120).value_or(-1), 0) << render.errors();
        EXPECT_EQ(render.output(), std::string("data prepared\nwrote pelorin.png\n") + c.expected);
    }
}

}  // namespace
