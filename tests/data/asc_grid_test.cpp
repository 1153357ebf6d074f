#include "asc_grid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "asc_text.h"
#include "grid_reading.h"
#include "height_grids.h"
#include "npy_bytes.h"

namespace {

constexpr std::uint64_t noLimit = std::numeric_limits<std::uint64_t>::max();
constexpr std::int32_t e = HeightGrid::emptyCell;

struct Read {
    GridReading outcome;
    HeightGrid grid;
};

// `bytes` read as the file `name`, which picks the reader by its ending.
Read ReadAs(const std::string& name, const std::string& bytes, const LevelMapping& mapping = {},
            std::uint64_t limit = noLimit) {
    std::istringstream in(bytes);
    Read read;
    read.grid.rows = 99;  // anything left from before must go
    read.outcome = ReadGridFile(in, name, read.grid, limit, mapping);
    return read;
}

// One 2 x 3 grid in every form of header and layout writers use. The file's
// first row is the north, so it is the grid's last: y runs north.
TEST(AscGrid, EveryFormOfHeaderGivesTheSameGrid) {
    const HeightGrid expected = GridOf({{4, e, 6}, {1, 2, 3}});
    const std::string values = "1 2 3\n4 -9999 6\n";
    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"as most writers give it", AscHeader(3, 2, "-9999") + values},
        {"centres, not corners",
         "ncols 3\nnrows 2\nxllcenter 500015\nyllcenter 4100015\ncellsize 30\nNODATA_value -9999\n" + values},
        {"keys in capitals, tabs, CRLF line ends",
         "NCOLS\t3\r\nNROWS\t2\r\nXLLCORNER\t0\r\nYLLCORNER\t0\r\nCELLSIZE\t1\r\nNODATA_VALUE\t-9999\r\n1\t2\t3\r\n4\t-9999\t6"
         "\r\n"},
        {"keys in another order",
         "nrows 2\nNODATA_value -9999.0\ncellsize 0.5\nyllcorner -10\nncols 3\nxllcorner -20\n" + values},
        {"values not one row a line, no last line end", AscHeader(3, 2, "-9999") + "1 2\n\n 3 4   -9999\n6"},
        {"numbers in every notation", AscHeader(3, 2, "-9999") + "1.0 +2 3e0\n0.4e1 -9.999e3 6.4\n"},
        {"no NODATA_value, a NaN cell instead", AscHeader(3, 2) + "1 2 3\n4 nan 6\n"},
        {"a NaN NODATA_value", AscHeader(3, 2, "NaN") + "1 2 3\n4 NaN 6\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Read read = ReadAs("grid.asc", c.text);
        EXPECT_EQ(read.outcome.refused, "");
        EXPECT_EQ(read.outcome.belowLevelZero, 0u);
        EXPECT_EQ(read.grid.columns, expected.columns);
        EXPECT_EQ(read.grid.rows, expected.rows);
        EXPECT_EQ(read.grid.heights, expected.heights);
    }
}

// The one mapping, level = round((value - level0) / metres per level), is
// the same for an .asc file and float arrays of either width: halves away
// from 0, NaN empty and not counted, a level below 0 empty and counted.
TEST(ValueFiles, MapValuesToLevelsAlike) {
    const double nan = std::nan("");
    const struct {
        LevelMapping mapping;
        std::vector<double> values;
        std::vector<std::int32_t> levels;
        std::uint64_t below;
    } cases[] = {
        {{1, 0}, {0, 0.25, 0.5, 2.5, -0.25, -0.5, 7}, {0, 0, 1, 3, 0, e, 7}, 1},
        {{2.5, 100}, {100, 101.25, 98.75, 97, 125, 350}, {0, 1, e, e, 10, 100}, 2},
        {{0.5, -3}, {-3, -2, 0, 1.25, nan, -4}, {0, 2, 6, 9, e, e}, 1},
        {{1, 0}, {1e9, nan}, {1000000000, e}, 0},
    };
    for (const auto& c : cases) {
        std::vector<std::string> words;
        for (double value : c.values) words.push_back(std::isnan(value) ? "nan" : ValueText(value));
        const std::string shape = "(1, " + std::to_string(c.values.size()) + ")";
        const struct {
            const char* name;
            std::string bytes;
        } files[] = {
            {"grid.asc", AscText({words})},
            {"f8.npy", NpyBytes(NpyDict("<f8", shape), LittleEndianFloats(c.values, 8))},
            {"f4.npy", NpyBytes(NpyDict("<f4", shape), LittleEndianFloats(c.values, 4))},
        };
        for (const auto& file : files) {
            SCOPED_TRACE(std::string(file.name) + " of " + words[0] + "...");
            const Read read = ReadAs(file.name, file.bytes, c.mapping);
            EXPECT_EQ(read.outcome.refused, "");
            EXPECT_EQ(read.grid.heights, c.levels);
            EXPECT_EQ(read.outcome.belowLevelZero, c.below);
        }
    }
}

// Files that cannot be a grid say why, in words fit to follow the file's
// name, and leave the grid empty; none hangs or takes memory a header only
// claims.
TEST(AscGrid, RefusesWhatIsNoGridAndSaysWhere) {
    const std::string rest = "xllcorner 0\nyllcorner 0\ncellsize 1\n";
    const std::string head = AscHeader(3, 2);
    const std::string largest = std::to_string(std::numeric_limits<std::int32_t>::max());
    const struct {
        std::string text;
        std::string refused;
        std::uint64_t limit = noLimit;
    } cases[] = {
        {"", "is empty, not an ESRI ASCII grid"},
        {"ncols 3\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize abc\n1 2 3 4 5 6\n",
         "header line 5: 'cellsize' is not a number"},
        {"ncols 3\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 0\n", "header line 5: 'cellsize' is not above 0"},
        {"ncols 3\nnrows 2\nxllcorner inf\n", "header line 3: 'xllcorner' is not a finite number"},
        {"ncols 0\n", "header line 1: 'ncols' is not a whole number above 0"},
        {"ncols 2.5\n", "header line 1: 'ncols' is not a whole number above 0"},
        {"ncols 3\n\nnrows 99999999999999999999\n", "header line 3: 'nrows' is too large for any grid"},
        {"ncols 3\nnrows 2\nNROWS 2\n", "header line 3: 'nrows' is given twice"},
        {"ncols 3\nnrows 2\nxllcorner 0\nxllcenter 0\n",
         "header line 4: 'xllcenter' and 'xllcorner' are both given; give one"},
        {"ncols 3\nnrows\n2\n", "header line 2: 'nrows' has no value"},
        {"ncols 3\nnrows 2 3\n", "header line 2: text after the value of 'nrows'"},
        {"ncols 3\nnrows 2\ndx 1\n",
         "header line 3: 'dx' is not a key of an ESRI ASCII grid (ncols, nrows, xllcorner or xllcenter, yllcorner "
         "or yllcenter, cellsize, NODATA_value)"},
        {"1 2 3\n4 5 6\n", "its header has no 'ncols'"},
        {"ncols 3\nnrows 2\nxllcorner 0\nyllcorner 0\n1 2 3\n", "its header has no 'cellsize'"},
        {"ncols 3\nnrows 2\nxllcenter 0\ncellsize 1\n", "its header has neither 'yllcorner' nor 'yllcenter'"},
        {head, "ends after 0 of its 2 x 3 values, before row 1, column 1"},
        {head + "1 2 3\n4 5\n", "ends after 5 of its 2 x 3 values, before row 2, column 3"},
        {head + "1 2 3\nx7 5 6\n", "the value at row 2, column 1 (line 7), 'x7', is not a number"},
        {head + "1 2 3\n4 5 6\n7\n", "holds more values than the 2 x 3 its header gives: '7' on line 8 follows them"},
        {head + "1 2 3\n4 5 " + std::string(300, '9') + "\n",
         "the value at row 2, column 3 (line 7), '" + std::string(256, '9') + "...', is not a number"},
        {head + "1 2 3e9\n4 5 6\n",
         "the value at row 1, column 3, 3000000000, maps to a level above the largest height, " + largest},
        {head + "1 2 inf\n4 5 6\n", "the value at row 1, column 3, inf, maps to a level above the largest height, " + largest},
        {"ncols 100000\nnrows 100000\n" + rest,
         "holds 100000 x 100000 cells, more than the 6 cells this machine's memory allows", 6},
        {"ncols 18446744073709551615\nnrows 2\n" + rest,
         "holds 2 x 18446744073709551615 cells, more than the 18446744073709551615 cells this machine's memory "
         "allows"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 60));
        const Read read = ReadAs("grid.ASC", c.text, {}, c.limit);
        EXPECT_EQ(read.outcome.refused, c.refused);
        EXPECT_TRUE(read.grid.empty());
        EXPECT_EQ(read.grid.rows, 0);
    }
    // The control bytes of another format are written out, not echoed.
    const Read binary = ReadAs("grid.asc", NpyBytes(NpyDict("<i4", "(1, 1)"), std::string(4, '\0')));
    const std::string& said = binary.outcome.refused;
    EXPECT_EQ(said.rfind("header line 1: '", 0), 0u) << said;
    EXPECT_NE(said.find("NUMPY\\x01\\x00"), std::string::npos) << said;
    EXPECT_EQ(std::count_if(said.begin(), said.end(), [](char c) { return c >= 0 && c < ' '; }), 0) << said;
}

}  // namespace
