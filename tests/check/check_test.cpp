// pelorin-check run as a user runs it, on configs and data files that go
// wrong in the ways hand-written ones do.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "asc_text.h"
#include "child_process.h"

namespace {

const char* const smallGrid = "3\n1 0 2 \n0 0 0 \n2 1 0 \n";  // 15 points
const std::string gridLine = "data.txt: 3 x 3 cells, 15 points\n\n";

struct Outcome {
    int status = -1;
    std::string output, errors;
};

// pelorin-check in a fresh folder holding `config` (none when null) and
// data.txt (none when null).
Outcome Check(const char* config, const std::string* data, const std::vector<std::string>& args = {}) {
    TempDir dir("check");
    if (config != nullptr) WriteFile(dir / "config.txt", config);
    if (data != nullptr) WriteFile(dir / "data.txt", *data);
    ChildProcess process(dir.path(), PELORIN_CHECK, args);
    Outcome run;
    run.status = process.wait(30).value_or(-1);
    run.output = process.output();
    run.errors = process.errors();
    return run;
}

// A square grid of one height: `size` rows of `size` cells.
std::string Square(int size, int height) {
    std::string row;
    for (int i = 0; i < size; ++i) row += std::to_string(height) + " ";
    std::string text = std::to_string(size) + "\n";
    for (int i = 0; i < size; ++i) text += row + "\n";
    return text;
}

const std::string small = smallGrid;
const std::string runOn = "3\n1 0 2\n0 0 0\n2 1 0\n";
const std::string bigGrid = Square(300, 2);  // 270000 points
// Its last row and column empty, as a raster's no-data edge reads.
// Heights in metres on a small grid: a needle.
const std::string needle = Square(4, 40);
const std::string emptyEdge = "4\n1 1 1 -1 \n1 1 1 -1 \n1 1 1 -1 \n-1 -1 -1 -1 \n";

struct CheckCase {
    const char* name;
    const char* config;
    const std::string* data;
    std::string report;  // everything after the settings: the data lines and the findings
    int status;
};
void PrintTo(const CheckCase& c, std::ostream* out) { *out << c.name; }

class Reports : public testing::TestWithParam<CheckCase> {};

TEST_P(Reports, DataAndFindingsExactly) {
    const CheckCase& c = GetParam();
    const Outcome run = Check(c.config, c.data);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.output.substr(run.output.find("\n\n") + 2), c.report);
    // The programs' readers report on standard error; none of it leaks.
    EXPECT_EQ(run.errors, "");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Reports,
    testing::Values(
        CheckCase{"CleanWithHelperVariable",
                  "[data]\ndir = .\nfile = ${dir}/data.txt\n[display]\ncolour = height\nrenderer = impostors\n",
                  &small, "./data.txt: 3 x 3 cells, 15 points\n\nnothing looks wrong\n", 0},
        CheckCase{"MisspelledKeys",
                  "renderer = impostors\n[display]\ncolor = height\nrendrer = impostors\nfrobnicate = 1\n"
                  "[camera]\ncentre = '1 2 3'\n[dispaly]\ncolour = height\n[mine]\nanything = 1\n",
                  &small,
                  gridLine +
                      "warning: line 1: renderer: unknown key; did you mean display/renderer?\n"
                      "warning: line 3: display/color: unknown key; did you mean display/colour?\n"
                      "warning: line 4: display/rendrer: unknown key; did you mean display/renderer?\n"
                      "warning: line 5: display/frobnicate: unknown key; the programs ignore it\n"
                      "warning: line 7: camera/centre: unknown key; did you mean camera/center?\n"
                      "warning: line 9: dispaly/colour: unknown key; did you mean display/colour?\n"
                      "6 problems\n",
                  1},
        CheckCase{"ValuesTheProgramsRefuse",
                  "[display]\ncolour = hight\nfit-view = 2\ncull-hidden = yes\nsphere-tesel = many\n"
                  "colour-range = '5 1'\n[camera]\ncenter = '1 2'\n",
                  &small,
                  gridLine +
                      "warning: line 2: display/colour: unknown value \"hight\" (expected red or height); using red\n"
                      "warning: line 3: display/fit-view: \"2\" is neither 0 nor 1; the programs take it as 0\n"
                      "warning: line 4: display/cull-hidden: \"yes\" is not a number; the programs use 0\n"
                      "warning: line 5: display/sphere-tesel: \"many\" is not a number; the programs use 6\n"
                      "warning: line 6: display/colour-range: \"5 1\" is not two numbers, the lower first "
                      "(write colour-range = 'LOW HIGH'); ignored\n"
                      "warning: line 8: camera/center: \"1 2\" is not three numbers (write center = 'X Y Z'); "
                      "ignored\n6 problems\n",
                  1},
        CheckCase{"FailingExpression", "[data]\nfile = ${& data .txt}\n[display]\nlegend = ${nope}\n", &small,
                  gridLine +
                      "warning: line 4: display/legend: \"${nope}\" gives \"<<${ } variable 'nope' undefined>>\"\n"
                      "warning: line 4: display/legend: \"<<${ } variable 'nope' undefined>>\" is not a number; "
                      "the programs use 0\n2 problems\n",
                  1},
        CheckCase{"LabelWithEquals", "[display]\nsphere-r = 0.5\n[fit=1]\ncolour = height\nlegend = 1\n[data]\n",
                  &small,
                  gridLine +
                      "warning: line 3: the label [fit=1] holds \"=\": it defines the variable \"[fit\" and opens "
                      "the section \"fit=1\", where each setting defines the variable \"fit\" instead of its own "
                      "(2 settings, from line 4); the programs read none of them\n1 problem\n",
                  1},
        CheckCase{"SettingsWrittenWrong",
                  "[display]\nsphere-r =0.5\ncolour: height\ncolour = height\ncolour = red\n[camera]\n"
                  "center = '1 2 3\n# the apostrophe above is never closed\n",
                  &small,
                  gridLine +
                      "warning: line 2: \"sphere-r\" is neither a setting (name = value) nor a section label; "
                      "the programs ignore it\n"
                      "warning: line 2: \"=0.5\" has no name: write name = value, with blanks on both sides of "
                      "\"=\" or on neither\n"
                      "warning: line 3: \"colour:\" is neither a setting (name = value) nor a section label; the "
                      "programs ignore it\n"
                      "warning: line 3: \"height\" is neither a setting (name = value) nor a section label; the "
                      "programs ignore it\n"
                      "note: line 5: display/colour is set again; the value on line 4 is not used\n"
                      "warning: line 7: camera/center: the value runs on over 3 lines, taking them in: is an "
                      "apostrophe left open, or a backslash at a line end?\n"
                      "warning: line 7: camera/center: \"1 2 3\\n# the apostrophe above is never closed\\n\" is not "
                      "three numbers (write center = 'X Y Z'); ignored\n6 problems\n",
                  1},
        CheckCase{"MissingDataFile", "[data]\nfile = terrain.txt\n", nullptr,
                  "\nerror: data file 'terrain.txt' is not found, or is a folder; the programs stop with status 1\n"
                  "1 problem\n",
                  1},
        CheckCase{"SeriesWithoutFrames", "[data]\nseries = frames/*.txt\nfile = data.txt\n", &small,
                  "\nnote: line 3: data/file is not read while data/series is set\n"
                  "error: data/series 'frames/*.txt' names no file; the programs stop there\n1 problem\n",
                  1},
        CheckCase{"NoConfigAndRowsThatRunOn", nullptr, &runOn,
                  "data.txt: 15 points, then the data ends early\n\n"
                  "warning: no config.txt here: every key takes its default\n"
                  "warning: data file 'data.txt': no height could be read at row 1, column 10; the grid ends "
                  "there; no row ever ended: a row ends where a line end follows the blank after its last "
                  "height, so a file with no blank before its line ends reads as one long row (pelorin-import "
                  "reads such a matrix)\n2 problems\n",
                  1},
        CheckCase{"BigGridWithLists", "[display]\nfit-view = 1\ncolour = height\n", &bigGrid,
                  "data.txt: 300 x 300 cells, 270000 points\n\n"
                  "warning: 270000 points drawn with the display lists, which take seconds to build at this "
                  "size and tens of seconds at a few million points; write renderer = impostors and "
                  "cull-hidden = 1 under [display] (a first frame in about a second)\n1 problem\n",
                  1},
        CheckCase{"ValuesThatDoNothing", "[display]\nlegend = 1\n[camera]\nelevation = 120\n", &small,
                  gridLine +
                      "warning: line 2: display/legend: the legend explains the height colours, and with colour = "
                      "red there are none; write colour = height under [display] to see it\n"
                      "warning: line 4: camera/elevation: 120 degrees is beyond the -90 (straight up) to 90 "
                      "(straight down) the camera can take; the programs hold it there\n2 problems\n",
                  1},
        CheckCase{"Needle", "[display]\nrenderer = impostors\n", &needle,
                  "data.txt: 4 x 4 cells, 656 points\n\n"
                  "warning: data file 'data.txt': its columns reach level 40 on a grid of 4 x 4 cells, 10 times as "
                  "tall as it is wide: it shows as a needle; if its heights are in metres, divide them by the "
                  "cells' size in metres to keep the surface's proportions\n1 problem\n",
                  1},
        CheckCase{"EmptyEdge", "[display]\nrenderer = impostors\n", &emptyEdge,
                  "data.txt: 4 x 4 cells (points in 3 x 3 of them), 18 points\n\nnothing looks wrong\n", 0},
        CheckCase{"BigGridWithImpostors", "[display]\nrenderer = impostors\ncull-hidden = 1\n", &bigGrid,
                  "data.txt: 300 x 300 cells, 270000 points\n\nnothing looks wrong\n", 0}),
    [](const testing::TestParamInfo<CheckCase>& paramInfo) { return paramInfo.param.name; });

// An .asc data file is checked as the programs read it: its values mapped
// to levels, with the same warning for cells left empty below level 0, or
// refused with the same reason.
TEST(CheckValueGrids, AscFilesAsTheProgramsReadThem) {
    const struct {
        const char* name;
        std::string asc;
        std::string report;
    } cases[] = {
        {"mapped", AscText({{"105", "97.5", "nan"}, {"110", "100", "102.5"}}),
         "data.asc: 3 x 2 cells, 11 points\n\nwarning: data file 'data.asc': 1 cell maps below level 0 (values "
         "under data/level-0-metres) and is left empty\n1 problem\n"},
        {"refused", "ncols 3\n",
         "\nerror: data file 'data.asc': its header has no 'nrows'; the programs stop with status 1\n1 problem\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir("check");
        WriteFile(dir / "config.txt", "[data]\nfile = data.asc\nlevel-0-metres = 100\nmetres-per-level = 2.5\n");
        WriteFile(dir / "data.asc", c.asc);
        ChildProcess process(dir.path(), PELORIN_CHECK, {});
        EXPECT_EQ(process.wait(30).value_or(-1), 1);
        const std::string output = process.output();
        EXPECT_EQ(output.substr(output.find("\n\n") + 2), c.report);
        EXPECT_EQ(process.errors(), "");
    }
}

// Every key, set or not, with its value and where it comes from.
TEST(CheckSettings, EveryKeyWithItsLineOrDefault) {
    const Outcome run = Check("# terrain\n[display]\nsphere-tesel = 8   # finer\n\n[camera]\ncenter = '1 2 0'\n", &small);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output,
              "config.txt as pelorin and pelorin-render read it:\n"
              "  data/file                 = data.txt    default   the data file, from this folder\n"
              "  data/series               = (unset)     default   printf pattern or glob of a series' frames\n"
              "  data/frames-per-second    = 10          default   how fast space plays a series\n"
              "  data/watch                = 0           default   1: follow the files as they change\n"
              "  data/metres-per-level     = (unset)     default   metres in one level, for the legend\n"
              "  data/level-0-metres       = (unset)     default   height of level 0 in metres\n"
              "  data/cell-metres          = (unset)     default   ground size of a cell, for the scale bar\n"
              "  data/origin               = (unset)     default   'X Y': the grid's south-west corner on a map\n"
              "  data/cell-size            = (unset)     default   'DX DY': a cell's width and depth on the map\n"
              "  data/crs                  = (unset)     default   the map's coordinate system, as EPSG:32631\n"
              "  display/sphere-r          = 0.75        default   radius of every sphere\n"
              "  display/sphere-tesel      = 8           line 3    slices and stacks of every sphere\n"
              "  display/cull-hidden       = 0           default   1: leave out spheres no camera can see\n"
              "  display/fit-view          = 0           default   1: start with every point in view\n"
              "  display/colour            = red         default   red, or height: coloured by level\n"
              "  display/renderer          = lists       default   lists, or impostors: fast on big grids\n"
              "  display/level-of-detail   = 1           default   0: impostors draw every sphere in full\n"
              "  display/antialias         = 1           default   samples a pixel in the viewer's window\n"
              "  display/keys              = standard    default   standard, or extended: keys c, s, r, g, h\n"
              "  display/colour-range      = (unset)     default   'LOW HIGH', or auto: levels the colours span\n"
              "  display/floor             = (unset)     default   impostors draw no sphere below this level\n"
              "  display/legend            = 0           default   1: a colour bar with its values\n"
              "  display/ambient-occlusion = 0           default   1: spheres lit by the sky they see\n"
              "  display/outlines          = 0           default   1: impostors outlined where depth jumps\n"
              "  display/axes              = 0           default   1: axes in a corner, and a scale bar\n"
              "  display/caption           = (unset)     default   a line on the picture; ${frame}, ${file}\n"
              "  camera/azimuth            = (unset)     default   degrees from +x towards +y\n"
              "  camera/elevation          = (unset)     default   degrees above the ground\n"
              "  camera/distance           = (unset)     default   from the look-at point to the eye\n"
              "  camera/center             = '1 2 0'     line 6    'X Y Z': the look-at point\n"
              "\n" + gridLine + "nothing looks wrong\n");
}

TEST(CheckCommandLine, HelpFolderAndBadArguments) {
    const Outcome help = Check(nullptr, nullptr, {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.output.rfind("Usage: pelorin-check [FOLDER]\n", 0), 0u);
    // The data file is found in the folder checked, as the programs run there find it.
    TempDir dir("check");
    ASSERT_EQ(mkdir((dir / "terrain").c_str(), 0755), 0);
    WriteFile(dir / "terrain/config.txt", "");
    WriteFile(dir / "terrain/data.txt", smallGrid);
    ChildProcess process(dir.path(), PELORIN_CHECK, {"terrain"});
    EXPECT_EQ(process.wait(30), 0);
    EXPECT_EQ(process.output().substr(process.output().find("\n\n") + 2), gridLine + "nothing looks wrong\n");
    for (const auto& [args, error] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"/nonexistent"}, "error: cannot enter the folder '/nonexistent'\n"},
             {{".", "more"}, "error: unknown argument 'more' (see pelorin-check --help)\n"},
             {{"-v"}, "error: unknown argument '-v' (see pelorin-check --help)\n"}}) {
        const Outcome bad = Check(nullptr, nullptr, args);
        EXPECT_EQ(bad.status, 2);
        EXPECT_EQ(bad.errors, error);
        EXPECT_EQ(bad.output, "");
    }
}

}  // namespace
