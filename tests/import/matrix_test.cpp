// Text matrices and series converted in this process and read back through
// the viewer's loader: separators, line ends, number forms, holes, the
// orientation, the levels of unitless values, and one mapping for a series.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "config_store.h"
#include "fixtures.h"
#include "temp_files.h"
#include "text_matrix.h"

namespace {

using Rows = std::vector<std::vector<int>>;

struct MatrixCase {
    const char* name;
    std::string text;
    std::vector<std::string> options;
    Rows heights;           // as LoadGrid gives them: the data file's first row (the south) first
    std::string perLevel;  // as the "wrote" line ends
    double metresPerLevel;  // data/metres-per-level and data/level-0-metres, 0 when not written
    double level0Metres;
};

void PrintTo(const MatrixCase& matrix, std::ostream* out) { *out << matrix.name; }

class Matrices : public ::testing::TestWithParam<MatrixCase> {};

TEST_P(Matrices, ReadBackAsTheViewerLoadsThem) {
    const MatrixCase& matrix = GetParam();
    const TempDir dir("import-matrix");
    WriteFile(dir / "in.txt", matrix.text);
    std::vector<std::string> arguments = {dir / "in.txt", dir / "out"};
    arguments.insert(arguments.end(), matrix.options.begin(), matrix.options.end());

    const ImportRun run = Import(arguments);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(LoadGrid(dir / "out/data.txt").heights, matrix.heights);
    ASSERT_GT(run.out.size(), matrix.perLevel.size() + 3);
    EXPECT_EQ(run.out.substr(run.out.size() - matrix.perLevel.size() - 3), "(" + matrix.perLevel + ")\n");
    const ConfigStore config((dir / "out/config.txt").c_str());
    EXPECT_EQ(config.lookup("data/metres-per-level", 0.0), matrix.metresPerLevel);
    EXPECT_EQ(config.lookup("data/level-0-metres", 0.0), matrix.level0Metres);
}

// The first line is the north: the data file's last row.
const Rows tenToSeventeen = {{6, 7, -1}, {3, 4, 5}, {0, 1, 2}};

INSTANTIATE_TEST_SUITE_P(
    Import, Matrices,
    ::testing::Values(
        MatrixCase{"SavetxtFloatsWithCrLf",
                   "1.000000000000000000e+01 1.100000000000000000e+01 1.200000000000000000e+01\r\n"
                   "1.300000000000000000e+01 1.400000000000000000e+01 1.500000000000000000e+01\r\n"
                   "1.600000000000000000e+01 1.700000000000000000e+01 nan\r\n",
                   {}, tenToSeventeen, "1 matrix unit per level", 0, 0},
        MatrixCase{"TabsCommasCrAndComments", "# t = 10\r\r10\t11 \t12\r 13,14 , 15\r+16,17.0,-inf\r", {},
                   tenToSeventeen, "1 matrix unit per level", 0, 0},
        MatrixCase{"FractionsTakeTwentyFourLevels", "0 0.5\n1 0.25\n", {}, {{23, 6}, {0, 12}},
                   "0.0434783 matrix units per level", 0, 0},
        MatrixCase{"LevelsAsked", "0 10\n20 30", {"--levels", "4"}, {{2, 3}, {0, 1}},
                   "10 matrix units per level", 0, 0},
        MatrixCase{"MetresGiven", "-2 -1.5\n-1 nan\n", {"--metres-per-level", "0.5"}, {{2, -1}, {0, 1}},
                   "0.5 metres per level", 0.5, -2},
        MatrixCase{"OneLineIsCentred", "1 2 3\n", {}, {{-1, -1, -1}, {0, 1, 2}, {-1, -1, -1}},
                   "1 matrix unit per level", 0, 0}),
    [](const auto& paramInfo) { return std::string(paramInfo.param.name); });

TEST(Matrices, AMatrixPastTheMemoryBoundIsRefusedAsItIsRead) {
    MatrixShape shape;
    std::string error;
    EXPECT_FALSE(ReadMatrix("1 2\n3 4\n", 3, shape, nullptr, error));
    EXPECT_EQ(error, "text matrix of more than 3 numbers: more than this machine's memory allows");
    EXPECT_TRUE(ReadMatrix("1 2\n3 4\n", 4, shape, nullptr, error));
}

// Three frames whose ranges differ: 3 is level 3 in the first frame and in
// the second, as one mapping over the whole series (0 to 9) makes it.
TEST(Series, FramesShareOneMappingInTheOrderOfTheNumbersInTheirNames) {
    const TempDir dir("import-series");
    std::filesystem::create_directory(dir / "frames");
    WriteFile(dir / "frames/h-10.txt", "5 5\n5 5\n");
    WriteFile(dir / "frames/h-2.txt", "0 1\n2 3\n");
    WriteFile(dir / "frames/h-1.txt", "3 nan\n9 3\n");
    const Rows first = {{9, 3}, {3, -1}};
    const Rows second = {{2, 3}, {0, 1}};
    const Rows third = {{5, 5}, {5, 5}};

    const ImportRun run = Import({dir / "frames/*.txt", dir / "out"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "wrote " + (dir / "out/frame-00001.txt") +
                           " to frame-00003.txt and config.txt: 3 frames of 2 x 2 cells, 10 to 24 points a frame, "
                           "heights 0 to 9 (1 matrix unit per level)\n");
    EXPECT_EQ(LoadGrid(dir / "out/frame-00001.txt").heights, first);
    EXPECT_EQ(LoadGrid(dir / "out/frame-00002.txt").heights, second);
    EXPECT_EQ(LoadGrid(dir / "out/frame-00003.txt").heights, third);
    const ConfigStore config((dir / "out/config.txt").c_str());
    EXPECT_STREQ(config.lookup("data/series", ""), "frame-%05d.txt");
    EXPECT_STREQ(config.lookup("data/file", "unset"), "unset");
    EXPECT_STREQ(config.lookup("display/colour", ""), "height");
    // The colours run over the whole series, not only its first frame.
    EXPECT_STREQ(config.lookup("display/colour-range", ""), "0 9");

    // Inputs listed as a shell lists a glob's matches keep that order, with
    // a warning; --force replaces the series, the third frame included.
    const ImportRun listed = Import({dir / "frames/h-10.txt", dir / "frames/h-2.txt", dir / "out", "--force"});
    ASSERT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.err, "warning: the inputs are taken in the order given, '" + (dir / "frames/h-10.txt") +
                              "' before '" + (dir / "frames/h-2.txt") +
                              "'; quote a glob to have them in the order of the numbers in their names\n");
    EXPECT_EQ(LoadGrid(dir / "out/frame-00001.txt").heights, third);
    EXPECT_FALSE(std::filesystem::exists(dir / "out/frame-00003.txt"));
}

}  // namespace
