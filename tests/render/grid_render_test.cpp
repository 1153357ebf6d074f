// Surfaces read as grids of heights: a binary file draws what its text
// draws, a refused one says why, and a tall surface costs no points.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "asc_text.h"
#include "child_process.h"
#include "npy_bytes.h"
#include "png_read.h"
#include "temp_files.h"

namespace {

// A small ridge with a hole, its heights as text and as '<i4' cells.
const std::vector<std::vector<std::int64_t>> ridge = {
    {0, 1, 2, 1, 0}, {1, 3, 4, 2, 1}, {2, 4, 6, 4, 2}, {1, 2, 4, -1, 1}, {0, 1, 2, 1, 0}};

std::string RidgeText() {
    std::string text = "5\n";
    for (const auto& row : ridge) {
        for (std::int64_t h : row) text += std::to_string(h) + " ";
        text += "\n";
    }
    return text;
}

std::string RidgeNpy(const std::string& descr = "<i4", int width = 4) {
    std::vector<std::int64_t> cells;
    for (const auto& row : ridge) cells.insert(cells.end(), row.begin(), row.end());
    return NpyBytes(NpyDict(descr, "(5, 5)"), LittleEndianCells(cells, width));
}

struct Drawn {
    int status = -1;
    std::string errors;
    PngPicture picture;
};

Drawn Render(const std::string& config, const std::string& dataName, const std::string& data,
             std::vector<std::string> args = {}) {
    TempDir dir("grid-render");
    WriteFile(dir / dataName, data);
    WriteFile(dir / "config.txt", "[data]\nfile = " + dataName + "\n" + config);
    args.insert(args.end(), {"--size", "160x120"});
    ChildProcess process(dir.path(), PELORIN_RENDER, args, {SanitizerOptionsForGlProgram()});
    Drawn run;
    run.status = process.wait(120).value_or(-1);
    run.errors = process.errors();
    if (run.status == 0) run.picture = ReadPng(dir / "pelorin.png");
    return run;
}

const char* const look = "[display]\nfit-view = 1\ncolour = height\n";

TEST(BinaryGrids, DrawWhatTheirTextDraws) {
    for (const char* renderer : {"lists", "impostors"}) {
        SCOPED_TRACE(renderer);
        const std::string config = std::string(look) + "renderer = " + renderer + "\n";
        const Drawn text = Render(config, "data.txt", RidgeText());
        ASSERT_EQ(text.status, 0) << text.errors;
        for (const auto& [descr, width] : std::vector<std::pair<std::string, int>>{{"<i4", 4}, {"<i8", 8}}) {
            SCOPED_TRACE(descr);
            const Drawn binary = Render(config, "data.npy", RidgeNpy(descr, width));
            ASSERT_EQ(binary.status, 0) << binary.errors;
            EXPECT_EQ(binary.errors, "");
            EXPECT_EQ(DifferingPixels(binary.picture.picture, text.picture.picture), 0);
        }
    }
}

// The ridge as a model writes it: 100 m at level 0, 2.5 m a level, the
// north first in an .asc file, a hole as NODATA or NaN.
TEST(ValueGrids, DrawWhatTheirLevelsDraw) {
    std::vector<double> values;
    AscRows north;
    for (const auto& row : ridge) {
        north.insert(north.begin(), std::vector<std::string>());
        for (std::int64_t h : row) {
            values.push_back(h < 0 ? std::nan("") : 100 + 2.5 * static_cast<double>(h));
            north.front().push_back(h < 0 ? "-9999" : std::to_string(100 + 2.5 * static_cast<double>(h)));
        }
    }
    const std::string mapping = "[data]\nlevel-0-metres = 100\nmetres-per-level = 2.5\n";
    for (const char* renderer : {"lists", "impostors"}) {
        SCOPED_TRACE(renderer);
        const std::string config = std::string(look) + "renderer = " + renderer + "\n";
        const Drawn text = Render(config, "data.txt", RidgeText());
        ASSERT_EQ(text.status, 0) << text.errors;
        const struct {
            const char* name;
            std::string bytes;
        } files[] = {
            {"data.asc", AscText(north, "-9999")},
            {"data.npy", NpyBytes(NpyDict("<f4", "(5, 5)"), LittleEndianFloats(values, 4))},
        };
        for (const auto& file : files) {
            SCOPED_TRACE(file.name);
            const Drawn drawn = Render(config + mapping, file.name, file.bytes);
            ASSERT_EQ(drawn.status, 0) << drawn.errors;
            EXPECT_EQ(drawn.errors, "");
            EXPECT_EQ(DifferingPixels(drawn.picture.picture, text.picture.picture), 0);
        }
    }
    // Below level 0 a cell is left empty, and said once.
    const Drawn low = Render(std::string(look) + "[data]\nlevel-0-metres = 110\nmetres-per-level = 2.5\n",
                             "data.asc", AscText(north, "-9999"));
    ASSERT_EQ(low.status, 0) << low.errors;
    EXPECT_EQ(low.errors, "warning: data file 'data.asc': 19 cells map below level 0 (values under "
                          "data/level-0-metres) and are left empty\n");
}

TEST(BinaryGrids, RefusedWithOneErrorLineAndNoPicture) {
    const struct {
        const char* name;
        std::string bytes;
        const char* says;
    } cases[] = {
        {"half floats", NpyBytes(NpyDict("<f2", "(1, 1)"), std::string(2, '\0')), "float16"},
        {"three dimensions", NpyBytes(NpyDict("<i4", "(1, 1, 1)"), std::string(4, '\0')), "3-dimensional"},
        {"big-endian", NpyBytes(NpyDict(">i4", "(1, 1)"), std::string(4, '\0')), "big-endian"},
        {"Fortran order", NpyBytes(NpyDict("<i4", "(2, 2)", true), std::string(16, '\0')), "Fortran"},
        {"cut short", RidgeNpy().substr(0, RidgeNpy().size() - 6), "ends after"},
        {"not an array", "7\n1 0 \n0 2 \n", "npy"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* renderer : {"lists", "impostors"}) {
            const Drawn run = Render(std::string(look) + "renderer = " + renderer + "\n", "data.npy", c.bytes);
            EXPECT_EQ(run.status, 1);
            EXPECT_EQ(run.errors.rfind("error: data file 'data.npy': ", 0), 0u) << run.errors;
            EXPECT_NE(run.errors.find(c.says), std::string::npos) << run.errors;
            EXPECT_EQ(run.errors.find('\n'), run.errors.size() - 1) << run.errors;
        }
    }
}

// A buffer split into chunks, as a driver with small buffer textures needs,
// draws what one buffer draws: every run cut at a chunk's edge, each chunk's
// spheres and their shares of the sky counted from its own start.
TEST(SplitBuffers, DrawWhatOneBufferDraws) {
    std::string text = "40\n";
    for (int row = 0; row < 40; ++row) {
        for (int column = 0; column < 40; ++column) text += std::to_string((row * 7 + column * 3) % 11) + " ";
        text += "\n";
    }
    const std::string config = std::string(look) + "renderer = impostors\nambient-occlusion = 1\n";
    const Drawn whole = Render(config, "data.txt", text);
    ASSERT_EQ(whole.status, 0) << whole.errors;
    for (const char* chunk : {"1000", "5000"}) {
        const Drawn split = Render(config, "data.txt", text, {"--chunk", chunk});
        ASSERT_EQ(split.status, 0) << split.errors;
        EXPECT_EQ(split.errors, "");
        EXPECT_EQ(DifferingPixels(split.picture.picture, whole.picture.picture), 0) << chunk;
    }
}

// Heights of two billion: far more points than any memory holds. With a
// floor the impostors draw the top from the heights alone; without one the
// walls alone pass what a buffer holds, which is said, not waited out; the
// lists refuse the points before taking memory.
TEST(TallGrids, DrawnFromTheHeightsAlone) {
    std::string text = "3\n";
    for (int row = 0; row < 3; ++row) text += "2000000000 2000000001 2000000000 \n";
    const std::string impostors = std::string(look) + "renderer = impostors\ncull-hidden = 1\n";
    const Drawn floored = Render(impostors + "floor = 1999999990\n", "data.txt", text);
    EXPECT_EQ(floored.status, 0) << floored.errors;
    EXPECT_EQ(floored.errors, "");
    EXPECT_TRUE(floored.picture.ok());
    const Drawn walls = Render(impostors, "data.txt", text);
    EXPECT_NE(walls.errors.find(" spheres are more than "), std::string::npos) << walls.errors;
    EXPECT_NE(walls.errors.find("nothing is drawn"), std::string::npos) << walls.errors;
    const Drawn lists = Render(look, "data.txt", text);
    EXPECT_EQ(lists.status, 1);
    EXPECT_NE(lists.errors.find("points this machine's memory allows; nothing is shown"), std::string::npos)
        << lists.errors;
}

}  // namespace
