// pelorin-render --probe: the line for each pixel asked, word for word, on a
// grid whose answers are known, with either renderer and every way of
// counting the file's rows.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
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

// Each picture of a series says what its own frame shows: the same pixel
// over the peak of one frame and the lower one of the next.
TEST(RenderProbe, EachPictureOfASeriesAfterItsName) {
    TempDir dir("probe");
    WriteFile(dir / "f-1.txt", peakText);
    WriteFile(dir / "f-2.txt", "5\n0 0 0 0 0 \n0 0 0 2 0 \n0 0 0 0 0 \n0 0 0 0 0 \n");
    WriteFile(dir / "config.txt", LookingDownAt("3 1 0") + "[data]\nseries = f-%d.txt\n");
    ChildProcess render(dir.path(), PELORIN_RENDER,
                        {"-o", "s.png", "--series", "--size", "160x120", "--probe", "80,60", "--probe", "0,0"},
                        {SanitizerOptionsForGlProgram()});
    ASSERT_EQ(render.wait(120).value_or(-1), 0) << render.errors();
    EXPECT_EQ(render.output(),
              "data prepared\n"
              "wrote s-0001.png\npick 80,60: column 4, row 2, level 6\npick 0,0: background\n"
              "wrote s-0002.png\npick 80,60: column 4, row 2, level 2\npick 0,0: background\n"
              "wrote 2 pictures, s-0001.png to s-0002.png\n");
}

// The column and row each pick line after "wrote NAME" names, in order
// (0, 0 for the background).
std::vector<std::pair<int, int>> CellsAfter(const std::string& output, const std::string& name) {
    std::vector<std::pair<int, int>> cells;
    const std::size_t wrote = output.find("wrote " + name + "\n");
    if (wrote == std::string::npos) return cells;
    std::istringstream lines(output.substr(wrote + name.size() + 7));
    for (std::string line; std::getline(lines, line) && line.rfind("pick ", 0) == 0;) {
        std::pair<int, int> cell{0, 0};
        std::sscanf(line.c_str(), "pick %*d,%*d: column %d, row %d", &cell.first, &cell.second);
        cells.push_back(cell);
    }
    return cells;
}

// A flat 9 x 9 grid seen from above, turned half round its middle: the
// picture's middle shows the middle cell both times, and any other pixel
// the cell opposite it across the middle.
TEST(RenderProbe, EachPictureOfATurntableWithItsCamera) {
    TempDir dir("probe");
    std::string flat = "9\n";
    for (int row = 0; row < 9; ++row) flat += "0 0 0 0 0 0 0 0 0 \n";
    WriteFile(dir / "data.txt", flat);
    WriteFile(dir / "config.txt", LookingDownAt("4 4 0"));
    const std::vector<std::string> pixels = {"80,60", "80,30", "100,60", "70,85"};
    std::vector<std::string> arguments = {"-o", "t.png", "--turntable", "2", "--size", "160x120"};
    for (const std::string& pixel : pixels) arguments.insert(arguments.end(), {"--probe", pixel});
    ChildProcess render(dir.path(), PELORIN_RENDER, arguments, {SanitizerOptionsForGlProgram()});
    ASSERT_EQ(render.wait(120).value_or(-1), 0) << render.errors();
    const std::string output = render.output();
    const std::vector<std::pair<int, int>> first = CellsAfter(output, "t-0001.png");
    const std::vector<std::pair<int, int>> second = CellsAfter(output, "t-0002.png");
    ASSERT_EQ(first.size(), pixels.size()) << output;
    ASSERT_EQ(second.size(), pixels.size()) << output;
    EXPECT_EQ(first[0], std::make_pair(5, 5));
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        SCOPED_TRACE(pixels[i]);
        EXPECT_EQ(second[i], std::make_pair(10 - first[i].first, 10 - first[i].second));
        // Off the middle, a pixel shows another cell in each picture.
        if (i > 0) {
            EXPECT_NE(first[i], std::make_pair(5, 5));
        }
    }
    EXPECT_NE(output.find("wrote 2 pictures, t-0001.png to t-0002.png\n"), std::string::npos) << output;
}

}  // namespace
