// The grid's size: a raster's own resolution by default, as far as the cell
// limit allows, and a --size past the limit refused; grids past the viewer's
// point limit drawn with the impostors. The limits are given to the importer,
// so that small rasters reach them.
#include <gtest/gtest.h>

#include <filesystem>

#include "config_store.h"
#include "fixtures.h"
#include "temp_files.h"

namespace {

struct SizeCase {
    const char* name;
    int width;
    int height;
    std::vector<std::string> options;
    std::uint64_t cellLimit;  // 0: this machine's
    std::uint64_t pointLimit;  // 0: this machine's
    int side;                 // the grid's cells a side; 0: refused
    std::string err;          // the whole of standard error; "{in}" is the input
    bool impostors = false;   // config.txt names the impostors
};

void PrintTo(const SizeCase& size, std::ostream* out) { *out << size.name; }

class Sizes : public ::testing::TestWithParam<SizeCase> {};

TEST_P(Sizes, FollowTheRasterWithinTheLimits) {
    const SizeCase& param = GetParam();
    const TempDir dir("import-sizes");
    const std::string input = dir / "in.tif";
    WriteRaster(input, "GTiff", Filled(param.width, param.height, 7));
    ImportLimits limits;
    if (param.cellLimit > 0) limits.cells = param.cellLimit;
    if (param.pointLimit > 0) limits.points = param.pointLimit;
    std::vector<std::string> arguments = {input, dir / "out"};
    arguments.insert(arguments.end(), param.options.begin(), param.options.end());

    const ImportRun run = Import(arguments, limits);
    std::string err = param.err;
    if (err.find("{in}") != std::string::npos) err.replace(err.find("{in}"), 4, input);
    EXPECT_EQ(run.err, err);
    if (param.side == 0) {
        EXPECT_EQ(run.status, 1);
        EXPECT_FALSE(std::filesystem::exists(dir / "out"));
        return;
    }
    ASSERT_EQ(run.status, 0);
    const std::string side = std::to_string(param.side);
    EXPECT_EQ(run.out.rfind("wrote " + (dir / "out/data.txt") + ": " + side + " x " + side + " cells, ", 0), 0u)
        << run.out;
    const ConfigStore config((dir / "out/config.txt").c_str());
    EXPECT_STREQ(config.lookup("display/renderer", "lists"), param.impostors ? "impostors" : "lists");
}

INSTANTIATE_TEST_SUITE_P(
    Import, Sizes,
    ::testing::Values(SizeCase{"PastTheOldDefaultCap", 1100, 1, {}, 0, 0, 1100, ""},
                      SizeCase{"WholeWithinTheLimit", 10, 7, {}, 100, 0, 10, ""},
                      SizeCase{"LargerSideCappedByTheLimit", 20, 12, {}, 100, 0, 10,
                               "warning: '{in}': its 20 x 12 cells are resampled to a grid of 10 x 10, the largest "
                               "within the 100 cells this machine's memory allows\n"},
                      SizeCase{"SizeBelowTheRaster", 20, 12, {"--size", "6"}, 100, 0, 6, ""},
                      SizeCase{"SizeAtTheLimit", 4, 4, {"--size", "10"}, 100, 0, 10, ""},
                      SizeCase{"SizePastTheLimit", 4, 4, {"--size", "11"}, 100, 0, 0,
                               "error: --size 11 makes a grid of 121 cells, more than the 100 this machine's memory "
                               "allows; give --size 10 or less\n"},
                      SizeCase{"PointsAtTheViewersLimit", 4, 4, {}, 0, 16, 4, "", false},
                      SizeCase{"PointsPastTheViewersLimit", 4, 4, {}, 0, 15, 4, "", true},
                      SizeCase{"JustBelowTheImpostorsThreshold", 141, 141, {}, 0, 0, 141, "", false},
                      SizeCase{"JustPastTheImpostorsThreshold", 142, 142, {}, 0, 0, 142, "", true}),
    [](const auto& paramInfo) { return std::string(paramInfo.param.name); });

}  // namespace
