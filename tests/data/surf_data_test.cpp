#include "surf_data.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Points {
    std::vector<double> x, y, z;
};

class TempFile {
public:
    explicit TempFile(const std::string& content) {
        path_ = std::filesystem::temp_directory_path() /
                ("pelorin-data-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
        std::ofstream(path_, std::ios::binary) << content;
    }
    ~TempFile() { std::filesystem::remove(path_); }
    std::string path() const { return path_.string(); }

private:
    std::filesystem::path path_;
    static inline int counter_ = 0;
};

struct LoadResult {
    Points points;
    std::string out, err;
};

LoadResult load(const std::string& content) {
    TempFile file(content);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    LoadResult result;
    {
        SurfData data(file.path());
        result.points = {data.x, data.y, data.z};
    }
    result.out = testing::internal::GetCapturedStdout();
    result.err = testing::internal::GetCapturedStderr();
    return result;
}

struct FormatCase {
    const char* name;
    const char* content;
    Points expected;
    // When the data ends early, the warning after "no height could be read at ";
    // else empty.
    std::string warning;
};

// What the warning adds when no row ever ended.
const std::string oneRow =
    "; a row ends where a line end follows the blank after its last height: one blank after every "
    "height, and the line end right after that blank (a file written without a blank after each "
    "row's last height reads as one row)";

const FormatCase formatCases[] = {
    {"two by two example", "7\n1 0 \n0 2 \n",
     {{0, 0, 1, 0, 1, 1, 1}, {0, 0, 0, 1, 1, 1, 1}, {0, 1, 0, 0, 0, 1, 2}}, ""},
    {"zero and negative heights keep their columns", "0\n0 -1 \n-3 1 \n",
     {{0, 1, 1}, {0, 1, 1}, {0, 0, 1}}, ""},
    {"extra blanks between heights are harmless", "0\n0    0 \n\t0  0 \n",
     {{0, 1, 0, 1}, {0, 0, 1, 1}, {0, 0, 0, 0}}, ""},
    {"CR LF line ends end rows at the CR", "0\r\n0 0 \r\n0 0 \r\n",
     {{0, 1, 0, 1}, {0, 0, 1, 1}, {0, 0, 0, 0}}, ""},
    {"line end as separator continues the row", "0\n0 0\n0 0 \n0 0 0 0 \n",
     {{0, 1, 2, 3, 0, 1, 2, 3}, {0, 0, 0, 0, 1, 1, 1, 1}, {0, 0, 0, 0, 0, 0, 0, 0}},
     "row 3, column 1; the grid ends there with 8 points"},
    {"two characters before the line end continue the row", "0\n0  \n0 \n",
     {{0, 1}, {0, 0}, {0, 0}}, "row 2, column 1; the grid ends there with 2 points"},
    {"empty line after an unseparated height ends the row", "0\n4\n\n9 9 \n",
     {{0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}, {0, 1, 2, 3, 4}}, ""},
    {"only as many rows as heights per row are read", "0\n0 0 0 \n0 0 0 \n1 0 0 \n7 7 7 \n7 7 7 \n",
     {{0, 1, 2, 0, 1, 2, 0, 0, 1, 2}, {0, 0, 0, 1, 1, 1, 2, 2, 2, 2}, {0, 0, 0, 0, 0, 0, 0, 1, 0, 0}},
     ""},
    {"a one-height first row is the whole grid", "0\n2 \n5 5 \n", {{0, 0, 0}, {0, 0, 0}, {0, 1, 2}},
     ""},
    {"the first number is the header even without one", "1 0 \n0 2 \n", {{0}, {0}, {0}}, ""},
    {"floating-point header", "2.5e1\n0 \n", {{0}, {0}, {0}}, ""},
    // The data ends before the grid is complete: the points so far are kept.
    {"fewer rows than heights per row", "0\n0 0 \n", {{0, 1}, {0, 0}, {0, 0}},
     "row 2, column 1; the grid ends there with 2 points"},
    {"last row without its line end", "0\n0 0 \n0 1 ", {{0, 1, 0, 1, 1}, {0, 0, 1, 1, 1}, {0, 0, 0, 0, 1}},
     "row 2, column 3; the grid ends there with 5 points"},
    {"a height that is no number", "0\n0 x 0 \n", {{0}, {0}, {0}},
     "row 1, column 2; the grid ends there with 1 point" + oneRow},
    {"a height beyond the int range", "0\n0 2147483648 \n", {{0}, {0}, {0}},
     "row 1, column 2; the grid ends there with 1 point" + oneRow},
    {"an empty file", "", {}, "row 1, column 1; the grid ends there with 0 points"},
    {"a header only", "12\n", {}, "row 1, column 1; the grid ends there with 0 points"},
    {"a matrix without a blank after each row's last height is one row", "0\n0 1\n0 0\n",
     {{0, 1, 1, 2, 3}, {0, 0, 0, 0, 0}, {0, 0, 1, 0, 0}},
     "row 1, column 5; the grid ends there with 5 points" + oneRow},
};

void PrintTo(const FormatCase& c, std::ostream* out) { *out << c.name; }

class FileFormat : public testing::TestWithParam<FormatCase> {};

TEST_P(FileFormat, YieldsThePointsInReadingOrder) {
    const FormatCase& c = GetParam();
    LoadResult result = load(c.content);
    EXPECT_EQ(result.points.x, c.expected.x);
    EXPECT_EQ(result.points.y, c.expected.y);
    EXPECT_EQ(result.points.z, c.expected.z);
    EXPECT_EQ(result.out, "data prepared\n");
    if (!c.warning.empty()) {
        const std::string ending = "': no height could be read at " + c.warning + "\n";
        EXPECT_EQ(result.err.rfind("warning: data file '", 0), 0u) << result.err;
        ASSERT_GE(result.err.size(), ending.size()) << result.err;
        EXPECT_EQ(result.err.substr(result.err.size() - ending.size()), ending);
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    } else {
        EXPECT_EQ(result.err, "");
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, FileFormat, testing::ValuesIn(formatCases),
                         [](const testing::TestParamInfo<FormatCase>& paramInfo) {
                             std::string name = paramInfo.param.name;
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return name;
                         });

TEST(SurfData, KeepsTheFileOpenUntilDestroyed) {
    TempFile file("0\n3 \n");
    testing::internal::CaptureStdout();
    auto data = std::make_unique<SurfData>(file.path());
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(data->file.is_open());
    EXPECT_EQ(data->x.size(), 4u);
}

TEST(SurfData, AVeryWideFirstRowDoesNotEndTheLoad) {
    // Memory must follow the points read, never the square of the first
    // row's width (2 x 300000 x 300000 elements is far beyond any memory):
    // this row of negative heights loads no points and ends where the data does.
    std::string row;
    for (int i = 0; i < 300000; ++i) row += "-1 ";
    LoadResult result = load("0\n" + row + "\n");
    EXPECT_TRUE(result.points.x.empty());
    EXPECT_EQ(result.out, "data prepared\n");
    EXPECT_NE(result.err.find("row 2, column 1"), std::string::npos) << result.err;
}

using SurfDataDeathTest = testing::Test;

TEST_F(SurfDataDeathTest, RefusesPointsThatCannotBeHeldInMemory) {
    TempFile file("0\n1 2000000000 \n0 0 \n");
    EXPECT_EXIT(SurfData data(file.path()), testing::ExitedWithCode(1),
                "^error: data file '.*': the height at row 1, column 2 brings the point count to "
                "2000000003, more than the [0-9]+ points this machine's memory allows");
}

}  // namespace
