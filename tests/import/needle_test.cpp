// Whole numbers of a text matrix one level a unit unless that makes a needle,
// and the cells' ground size that --cell-metres gives.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "config_store.h"
#include "fixtures.h"
#include "temp_files.h"

namespace {

struct NeedleCase {
    const char* name;
    std::string text;
    std::vector<std::string> options;
    std::string heights;  // how the "wrote" line ends
    std::string warning;  // what follows the input's name in the warning; empty for none
};

void PrintTo(const NeedleCase& needle, std::ostream* out) { *out << needle.name; }

class Needles : public ::testing::TestWithParam<NeedleCase> {};

TEST_P(Needles, AreScaledWithAWarningUnlessKeptAsIs) {
    const NeedleCase& needle = GetParam();
    const TempDir dir("import-needle");
    WriteFile(dir / "in.txt", needle.text);
    std::vector<std::string> arguments = {dir / "in.txt", dir / "out"};
    arguments.insert(arguments.end(), needle.options.begin(), needle.options.end());
    const ImportRun run = Import(arguments);
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_GT(run.out.size(), needle.heights.size());
    EXPECT_EQ(run.out.substr(run.out.size() - needle.heights.size()), needle.heights);
    EXPECT_EQ(run.err, needle.warning.empty() ? "" : "warning: '" + (dir / "in.txt") + "'" + needle.warning + "\n");
}

// A 3 x 3 grid is a needle from level 24 up.
const std::string needleOf230 = "0 230 100\n50 0 0\n0 0 0\n";
const std::string asIs = " (1 matrix unit per level)\n";

std::string Scaled(const std::string& heights, const std::string& perLevel) {
    return ": heights of " + heights + " on a 3 x 3 grid would stand as a needle at one level a unit; scaled to 24 " +
           "levels (" + perLevel + " matrix units per level); --levels-as-is keeps one level a unit";
}

INSTANTIATE_TEST_SUITE_P(
    Import, Needles,
    ::testing::Values(
        NeedleCase{"WholeMetresAreScaled", needleOf230, {}, "heights 0 to 23 (10 matrix units per level)\n",
                   Scaled("0 to 230", "10")},
        NeedleCase{"LevelsAsIsKeepsThem", needleOf230, {"--levels-as-is"}, "heights 0 to 230" + asIs, ""},
        NeedleCase{"EightTimesTheSideIsANeedle", "0 24 1\n0 0 0\n0 0 0\n", {},
                   "heights 0 to 23 (1.04348 matrix units per level)\n", Scaled("0 to 24", "1.04348")},
        NeedleCase{"JustShortOfANeedle", "0 23 1\n0 0 0\n0 0 0\n", {}, "heights 0 to 23" + asIs, ""},
        NeedleCase{"TheOutputSizeDecides", needleOf230, {"--size", "30"}, "heights 0 to 230" + asIs, ""},
        // 24 levels would stand taller still.
        NeedleCase{"ScalingWouldNotLowerIt", "0 20\n", {}, "heights 0 to 20" + asIs, ""}),
    [](const auto& paramInfo) { return std::string(paramInfo.param.name); });

TEST(CellMetres, ReachConfigScaledToTheGridAndWinOverACoordinateSystem) {
    const TempDir dir("import-cell-metres");
    WriteFile(dir / "in.txt", "1 2 3\n4 5 6\n7 8 9\n");
    Raster utm = Filled(4, 4, 5);  // cells of 10 metres
    utm.transform = std::array<double, 6>{500000, 10, 0, 5000000, 0, -10};
    utm.epsg = 32632;
    WriteRaster(dir / "utm.tif", "GTiff", utm);
    const std::vector<std::pair<std::vector<std::string>, double>> cases = {
        {{dir / "in.txt", "--cell-metres", "30"}, 30},
        {{dir / "in.txt", "--cell-metres=30", "--size", "6"}, 15},  // 3 cells of 30 metres over 6
        {{dir / "utm.tif", "--cell-metres", "25"}, 25},
    };
    for (const auto& [arguments, cellMetres] : cases) {
        std::vector<std::string> withOutput = arguments;
        withOutput.insert(withOutput.begin() + 1, dir / "out");
        withOutput.push_back("--force");
        const ImportRun run = Import(withOutput);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(ConfigStore((dir / "out/config.txt").c_str()).lookup("data/cell-metres", 0.0), cellMetres)
            << arguments[0];
    }
}

}  // namespace
