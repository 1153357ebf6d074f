// Inputs that are not what they seem (a FIFO, a folder, a device, junk, an
// empty or a cut-short file) as config.txt, as the data file and as a frame
// of a series, for each program that reads them. A run that blocks is caught
// by its deadline, which only a failing run waits out.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "clock.h"
#include "picture.h"
#include "png_read.h"
#include "point_limit.h"
#include "ridge_terrain.h"
#include "x_driver.h"
#include "xvfb_server.h"

namespace {

constexpr double deadlineSeconds = 30;

// Makes each "name=kind" of `files`: grid (15 points), fifo, folder, zeros
// (a link to /dev/zero), junk, empty, cut (8 points, then it ends early).
void Make(const TempDir& dir, const std::string& files) {
    std::istringstream words(files);
    for (std::string word; words >> word;) {
        const std::string path = dir / word.substr(0, word.find('=')), kind = word.substr(word.find('=') + 1);
        int made = 0;
        if (kind == "fifo") made = mkfifo(path.c_str(), 0600);
        else if (kind == "folder") made = mkdir(path.c_str(), 0700);
        else if (kind == "zeros") made = symlink("/dev/zero", path.c_str());
        else WriteFile(path, kind == "grid" ? "3\n1 0 2 \n0 0 0 \n2 1 0 \n"
                             : kind == "cut" ? "3\n1 1 1 \n1 " : kind == "junk" ? "hello\n" : "");
        ASSERT_EQ(made, 0) << path;
    }
}

struct Outcome {
    int status = -1;
    std::string output, errors;
};

Outcome RunIn(const TempDir& dir, const std::vector<std::string>& command, std::vector<std::string> environment = {}) {
    environment.push_back(SanitizerOptionsForGlProgram());
    ChildProcess process(dir.path(), command[0], {command.begin() + 1, command.end()}, environment);
    const int status = process.wait(deadlineSeconds).value_or(-1);
    return {status, process.output(), process.errors()};
}

bool Exists(const std::string& path) { return std::ifstream(path).good(); }

struct InputCase {
    const char* name;
    const char* files;
    const char* config;  // config.txt's text, unless it is among the files
    std::vector<std::string> command;
    int status;
    std::string said;  // standard error exactly, or pelorin-check's report after its settings
    std::string there, notThere;  // afterwards
};
void PrintTo(const InputCase& c, std::ostream* out) { *out << c.name; }

class Inputs : public testing::TestWithParam<InputCase> {};

TEST_P(Inputs, RefusedOrReadWithoutWaiting) {
    const InputCase& c = GetParam();
    const TempDir dir("inputs");
    if (c.config != nullptr) WriteFile(dir / "config.txt", c.config);
    ASSERT_NO_FATAL_FAILURE(Make(dir, c.files));
    const Outcome run = RunIn(dir, c.command, {"DISPLAY="});
    EXPECT_EQ(run.status, c.status) << run.errors;
    const bool check = c.command[0] == PELORIN_CHECK;
    EXPECT_EQ(check ? run.output.substr(run.output.find("\n\n") + 2) : run.errors, c.said);
    EXPECT_EQ(check ? run.errors : "", "");
    EXPECT_TRUE(c.there.empty() || Exists(dir / c.there)) << c.there;
    EXPECT_FALSE(!c.notThere.empty() && Exists(dir / c.notThere)) << c.notThere;
}

const char* const seriesConfig = "[data]\nseries = f-%d.txt\n";
const std::vector<std::string> renderProgram = {PELORIN_RENDER}, viewerProgram = {PELORIN_PROGRAM}, checkProgram = {PELORIN_CHECK};
const std::vector<std::string> seriesRender = {PELORIN_RENDER, "--series", "-o", "s.png", "--size", "80x60",
                                                "--quiet"};
const std::string notRead = "warning: configuration file 'config.txt' is not a regular file and is not read\n";
const std::string notFound = "error: file not found (SurfData constructor)\n";
const std::string f1Skipped = "warning: frame 'f-1.txt' cannot be read; skipped\n";
const std::string f2Skipped = "warning: frame 'f-2.txt' cannot be read; skipped\n";
const std::string f2Empty =
    "warning: frame 'f-2.txt': no height could be read at row 1, column 1; the grid ends there with 0 points\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, Inputs,
    testing::Values(
        InputCase{"RenderConfigFifo", "config.txt=fifo data.txt=grid", nullptr, renderProgram, 0, notRead, "pelorin.png", ""},
        InputCase{"RenderConfigFolder", "config.txt=folder data.txt=grid", nullptr, renderProgram, 0, notRead, "pelorin.png", ""},
        InputCase{"RenderDataFifo", "data.txt=fifo", "", renderProgram, 1, notFound, "", "pelorin.png"},
        InputCase{"RenderDataZeros", "data.txt=zeros", "", renderProgram, 1, notFound, "", "pelorin.png"},
        InputCase{"RenderDataFromAPipe", "grid.txt=grid", "[data]\nfile = /dev/stdin\n", {"/bin/sh", "-c", "cat grid.txt | exec " PELORIN_RENDER}, 0, "", "pelorin.png", ""},
        InputCase{"SeriesFifoFrame", "f-1.txt=grid f-2.txt=fifo f-3.txt=grid", seriesConfig, seriesRender, 0, f2Skipped, "s-0002.png", "s-0003.png"},
        InputCase{"SeriesZerosFrame", "f-1.txt=grid f-2.txt=zeros f-3.txt=grid", seriesConfig, seriesRender, 0, f2Skipped, "s-0002.png", "s-0003.png"},
        InputCase{"SeriesJunkFrame", "f-1.txt=grid f-2.txt=junk f-3.txt=grid", seriesConfig, seriesRender, 0, f2Empty, "s-0003.png", ""},
        InputCase{"SeriesEmptyFrame", "f-1.txt=grid f-2.txt=empty f-3.txt=grid", seriesConfig, seriesRender, 0, f2Empty, "s-0003.png", ""},
        InputCase{"SeriesCutShortFrame", "f-1.txt=grid f-2.txt=cut f-3.txt=grid", seriesConfig, seriesRender, 0, "warning: frame 'f-2.txt': no height could be read at row 2, column 2; the grid ends there with 8 points\n", "s-0003.png", ""},
        InputCase{"SeriesOpensAfterAFolder", "f-1.txt=folder f-2.txt=grid f-3.txt=grid", seriesConfig, seriesRender, 0, f1Skipped, "s-0002.png", "s-0003.png"},
        InputCase{"SeriesOpensAfterJunk", "f-1.txt=junk f-2.txt=grid", seriesConfig, seriesRender, 0, "warning: frame 'f-1.txt': no height could be read at row 1, column 1; the grid ends there with 0 points; skipped\n", "s-0001.png", "s-0002.png"},
        InputCase{"SeriesWithNoFrameToRead", "f-1.txt=folder f-2.txt=fifo", seriesConfig, seriesRender, 1, f1Skipped + f2Skipped + "error: data/series 'f-%d.txt': none of its 2 frames can be read\n" + notFound, "", "s-0001.png"},
        InputCase{"ViewerConfigFifo", "config.txt=fifo", nullptr, viewerProgram, 1, notRead + notFound, "", ""},
        InputCase{"ViewerDataFifo", "data.txt=fifo", "", viewerProgram, 1, notFound, "", ""},
        InputCase{"CheckConfigFifo", "config.txt=fifo data.txt=grid", nullptr, checkProgram, 1, "data.txt: 3 x 3 cells, 15 points\n\n" + notRead + "1 problem\n", "", ""},
        InputCase{"CheckDataFifo", "data.txt=fifo", "", checkProgram, 1, "\nerror: data file 'data.txt' is not a regular file (a FIFO, a socket or a device); the programs stop with status 1\n1 problem\n", "", ""},
        InputCase{"CheckSeriesOpensAfterAFolder", "f-1.txt=folder f-2.txt=grid", seriesConfig, checkProgram, 1, "series f-%d.txt: 2 frames, the first f-2.txt\nf-2.txt: 3 x 3 cells, 15 points\n\n" + f1Skipped + "1 problem\n", "", ""},
        InputCase{"ImportFifo", "in.asc=fifo", nullptr, {PELORIN_IMPORT, "in.asc", "out"}, 1, "error: 'in.asc': not a regular file\n", "", "out"}),
    [](const testing::TestParamInfo<InputCase>& paramInfo) { return paramInfo.param.name; });

// The camera and the colours come from the frame the series opens on: after
// a junk first frame the picture is that of the series without it.
TEST(SeriesOpening, CameraAndColoursFromTheFirstFrameWithPoints) {
    const TempDir dir("inputs-opening");
    WriteFile(dir / "config.txt", std::string(seriesConfig) + "[display]\nfit-view = 1\ncolour = height\n");
    WriteFile(dir / "f-1.txt", "hello\n");
    WriteFile(dir / "f-2.txt", RidgeTerrain());
    ASSERT_EQ(RunIn(dir, seriesRender).status, 0);
    ASSERT_EQ(std::remove((dir / "f-1.txt").c_str()), 0);
    ASSERT_EQ(RunIn(dir, {PELORIN_RENDER, "--series", "-o", "t.png", "--size", "80x60"}).status, 0);
    EXPECT_EQ(DifferingPixels(ReadPng(dir / "s-0001.png").picture, ReadPng(dir / "t-0001.png").picture), 0);
}

// A frame whose points do not fit in the address space left is skipped with
// a warning. It is one cell, tall enough for its arrays to pass the cap.
TEST(SeriesMemory, AFrameThatCannotBeHeldIsSkipped) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's shadow memory needs the whole address space";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    GTEST_SKIP() << "the sanitizer's shadow memory needs the whole address space";
#endif
#endif
    constexpr long long capKib = 1 << 20, pointsWithinCap = (capKib << 10) / 16;
    if (MaxLoadablePoints() < pointsWithinCap) GTEST_SKIP() << "this machine refuses such a frame before reading it";
    const TempDir dir("inputs-memory");
    WriteFile(dir / "config.txt", seriesConfig);
    WriteFile(dir / "f-1.txt", RidgeTerrain());
    WriteFile(dir / "f-2.txt", "1\n" + std::to_string(pointsWithinCap) + " \n");
    WriteFile(dir / "f-3.txt", RidgeTerrain());
    // Few threads with few memory pools: about the same address space on any machine.
    const std::string capped = "ulimit -v " + std::to_string(capKib) + "; exec " PELORIN_RENDER " --series --quiet";
    const Outcome run = RunIn(dir, {"/bin/sh", "-c", capped}, {"LP_NUM_THREADS=2", "MALLOC_ARENA_MAX=2"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.errors, "warning: frame 'f-2.txt' cannot be held in memory; skipped\n");
    EXPECT_TRUE(Exists(dir / "pelorin-0002.png"));
}

// The viewer opens past a folder with the frame numbered as in the series,
// steps over a FIFO, and still quits.
TEST(SeriesViewer, StepsOverAFifoAndQuits) {
    const XvfbServer server;
    ASSERT_TRUE(server.ok()) << server.error();
    setenv("DISPLAY", server.display().c_str(), 1);
    const TempDir dir("inputs-viewer");
    WriteFile(dir / "config.txt", seriesConfig);
    ASSERT_NO_FATAL_FAILURE(Make(dir, "f-1.txt=folder f-2.txt=grid f-3.txt=fifo f-4.txt=grid"));
    ChildProcess viewer(dir.path(), PELORIN_PROGRAM, {}, {SanitizerOptionsForGlProgram()});
    const std::string window = WaitForWindow("Pelorin: frame 2 of 4: f-2.txt", deadlineSeconds);
    ASSERT_FALSE(window.empty()) << viewer.errors();
    for (const auto& [key, title] :
         {std::pair{"Right", "Pelorin: frame 4 of 4: f-4.txt"}, {"Home", "Pelorin: frame 2 of 4: f-2.txt"}}) {
        TypeKeys(window, key);
        const double deadline = MonotonicSeconds() + deadlineSeconds;
        while (TitleOf(window) != title && MonotonicSeconds() < deadline) usleep(100 * 1000);
        EXPECT_EQ(TitleOf(window), title) << key;
    }
    TypeKeys(window, "q");
    EXPECT_EQ(viewer.wait(deadlineSeconds), 0);
    EXPECT_EQ(viewer.errors(), f1Skipped + "warning: frame 'f-3.txt' cannot be read; skipped\n");
}

}  // namespace
