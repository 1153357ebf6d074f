#include "npy_grid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "npy_bytes.h"
#include "temp_files.h"

namespace {

constexpr std::uint64_t noLimit = std::numeric_limits<std::uint64_t>::max();

struct Read {
    NpyRead outcome;
    HeightGrid grid;
};

Read ReadBytes(const std::string& bytes, std::uint64_t limit = noLimit, std::size_t blockBytes = npyBlockBytes) {
    std::istringstream in(bytes);
    Read read;
    read.grid.rows = 99;  // anything left from before must go
    read.outcome = ReadNpyGrid(in, read.grid, limit, blockBytes);
    return read;
}

std::vector<std::int32_t> Heights(const std::vector<std::int64_t>& values) {
    std::vector<std::int32_t> heights;
    for (std::int64_t value : values) heights.push_back(value < 0 ? HeightGrid::emptyCell : static_cast<std::int32_t>(value));
    return heights;
}

// Every integer width, signed and unsigned, across block sizes that split
// cells and blocks at every place: each type's extremes, bytes that differ
// in every position, and the negatives that become empty cells.
TEST(NpyGrid, ReadsEveryIntegerTypeInRowOrder) {
    const std::int64_t top = std::numeric_limits<std::int32_t>::max();
    struct Type {
        const char* descr;
        int width;
        std::int64_t low, high;
    } types[] = {{"|i1", 1, -128, 127}, {"|u1", 1, 0, 255}, {"<u1", 1, 0, 255},       {"<i2", 2, -32768, 32767},
                 {"<u2", 2, 0, 65535},  {"=i2", 2, -32768, 32767}, {"<i4", 4, -top - 1, top}, {"=i4", 4, -top - 1, top},
                 {"<u4", 4, 0, top},    {"<i8", 8, std::numeric_limits<std::int64_t>::min(), top}, {"<u8", 8, 0, top}};
    const std::int64_t rows = 5, columns = 7;
    for (const Type& type : types) {
        std::vector<std::int64_t> values = {type.low, type.high, 0, 1, 0x0102030405060708 & type.high};
        std::uint64_t state = 12345;
        const std::uint64_t span = static_cast<std::uint64_t>(type.high) - static_cast<std::uint64_t>(type.low) + 1;
        while (static_cast<std::int64_t>(values.size()) < rows * columns) {
            state = state * 6364136223846793005u + 1442695040888963407u;
            values.push_back(static_cast<std::int64_t>(static_cast<std::uint64_t>(type.low) + (state >> 11) % span));
        }
        const std::string bytes = NpyBytes(NpyDict(type.descr, "(5, 7)"), LittleEndianCells(values, type.width));
        for (std::size_t blockBytes : {std::size_t{1}, std::size_t{3}, std::size_t{8}, std::size_t{20}, npyBlockBytes}) {
            SCOPED_TRACE(std::string(type.descr) + ", blocks of " + std::to_string(blockBytes) + " bytes");
            const Read read = ReadBytes(bytes, noLimit, blockBytes);
            EXPECT_EQ(read.outcome.refused, "");
            EXPECT_EQ(read.grid.rows, rows);
            EXPECT_EQ(read.grid.columns, columns);
            EXPECT_EQ(read.grid.heights, Heights(values));
        }
    }
}

// Headers as other writers and hand edits give them; all hold the same
// 2 x 3 grid, read with a limit of exactly its cells.
TEST(NpyGrid, TakesEveryFormOfHeaderPythonWould) {
    const std::string cells = LittleEndianCells({1, 2, 3, 4, 5, 6}, 4);
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"as numpy writes it", NpyBytes(NpyDict("<i4", "(2, 3)"), cells)},
        {"version 2", NpyBytes(NpyDict("<i4", "(2, 3)"), cells, 2)},
        {"version 3", NpyBytes(NpyDict("<i4", "(2, 3)"), cells, 3)},
        {"keys in another order", NpyBytes("{'shape': (2, 3), 'fortran_order': False, 'descr': '<i4'}\n", cells)},
        {"double quotes, no spaces", NpyBytes("{\"descr\":\"<i4\",\"fortran_order\":False,\"shape\":(2,3)}\n", cells)},
        {"tabs, line ends, padding", NpyBytes("{\t'descr' : '<i4',\n 'fortran_order':False ,'shape':( 2 , 3 , ) ,}   \n", cells)},
        {"Python 2 long integers", NpyBytes("{'descr': '<i4', 'fortran_order': False, 'shape': (2L, 3L), }\n", cells)},
        {"bytes after the cells", NpyBytes(NpyDict("<i4", "(2, 3)"), cells + "extra")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Read read = ReadBytes(c.bytes, 6);
        EXPECT_EQ(read.outcome.refused, "");
        EXPECT_EQ(read.grid.rows, 2);
        EXPECT_EQ(read.grid.columns, 3);
        EXPECT_EQ(read.grid.heights, Heights({1, 2, 3, 4, 5, 6}));
    }
}

TEST(NpyGrid, ReadsAGridWithNoCells) {
    const struct {
        const char* shape;
        std::int64_t rows, columns;
    } cases[] = {{"(0, 3)", 0, 3}, {"(3, 0)", 3, 0}, {"(0, 0)", 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shape);
        const Read read = ReadBytes(NpyBytes(NpyDict("<u2", c.shape), ""), 0);
        EXPECT_EQ(read.outcome.refused, "");
        EXPECT_EQ(read.grid.rows, c.rows);
        EXPECT_EQ(read.grid.columns, c.columns);
        EXPECT_TRUE(read.grid.heights.empty());
    }
}

TEST(NpyGrid, RefusesWhatCannotBeAGridSayingWhy) {
    const std::string six = LittleEndianCells({1, 2, 3, 4, 5, 6}, 4);
    const std::string good = NpyBytes(NpyDict("<i4", "(2, 3)"), six);
    const auto header = [&](const std::string& dict) { return NpyBytes(dict, six); };
    const auto typed = [&](const std::string& descr) { return NpyBytes(NpyDict(descr, "(2, 3)"), six); };
    const auto shaped = [&](const std::string& shape) { return NpyBytes(NpyDict("<i4", shape), six); };
    const std::string hugeHeader = std::string("\x93NUMPY\x02\x00", 8) + std::string("\x01\x00\x10\x00", 4);
    const std::string malformed = "has a malformed .npy header: ";
    const struct {
        std::string bytes;
        std::uint64_t limit;
        std::string refused;
    } cases[] = {
        {"", noLimit, "is empty, not a .npy file"},
        {"2\n1 2 \n3 4 \n", noLimit, "is not a .npy file: it does not start with \\x93NUMPY"},
        {good.substr(0, 4), noLimit, "ends inside its .npy header"},
        {good.substr(0, 30), noLimit, "ends inside its .npy header"},
        {NpyBytes(NpyDict("<i4", "(2, 3)"), six, 4), noLimit,
         "is a .npy file of version 4.0, which cannot be read (versions 1.0, 2.0 and 3.0 can)"},
        {hugeHeader, noLimit, "has a .npy header of 1048577 bytes, more than the 1048576 a header may have"},
        {header("{'descr': '<i4', 'fortran_order': False, 'shape': (2, 3)} "), noLimit,
         "has a .npy header that does not end in a line end"},
        {header("['<i4', False, (2, 3)]\n"), noLimit, malformed + "it does not start with '{'"},
        {header("{'descr': '<i4', 'shape': (2, 3)}\n"), noLimit, malformed + "no 'fortran_order'"},
        {header("{'descr': '<i4', 'fortran_order': False}\n"), noLimit, malformed + "no 'shape'"},
        {header("{'descr': '<i4', 'fortran_order': False, 'shape': (2, 3), 'order': 'C'}\n"), noLimit,
         malformed + "an unknown key 'order'"},
        {header("{'shape': (2, 3), 'descr': '<i4', 'fortran_order': False, 'shape': (3, 2)}\n"), noLimit,
         malformed + "'shape' is given twice"},
        {header("{'descr': '<i4' 'fortran_order': False, 'shape': (2, 3)}\n"), noLimit,
         malformed + "no ',' or '}' after the value of 'descr'"},
        {header("{'descr: '<i4', 'fortran_order': False, 'shape': (2, 3)}\n"), noLimit,
         malformed + "no ':' after 'descr: '"},
        {header("{descr: '<i4', 'fortran_order': False, 'shape': (2, 3)}\n"), noLimit,
         malformed + "a key that is not a quoted string"},
        {header("{'descr': '<i4', 'fortran_order': 0, 'shape': (2, 3)}\n"), noLimit,
         malformed + "'fortran_order' is neither True nor False"},
        {header("{'descr': '<i4', 'fortran_order': False, 'shape': [2, 3]}\n"), noLimit,
         malformed + "'shape' is not a tuple of whole numbers"},
        {shaped("(-2, 3)"), noLimit, malformed + "'shape' is not a tuple of whole numbers"},
        {shaped("(2, 3"), noLimit, malformed + "'shape' is not a tuple of whole numbers"},
        {shaped("(99999999999999999999, 3)"), noLimit, malformed + "'shape' holds a dimension too large for any file"},
        {header("{'descr': '<i4', 'fortran_order': False, 'shape': (2, 3)} }\n"), noLimit,
         malformed + "text after the closing '}'"},
        {typed("<f2"), noLimit, "holds float16 values; only integer heights, float32 and float64 values can be shown"},
        {typed(">f8"), noLimit, "is big-endian ('>f8'); save it little-endian"},
        {typed("<c16"), noLimit, "holds complex128 values; only integer heights can be shown"},
        {typed("|b1"), noLimit, "holds bool values; only integer heights can be shown"},
        {typed("<U7"), noLimit, "holds str values; only integer heights can be shown"},
        {typed("|O"), noLimit, "holds object values; only integer heights can be shown"},
        {typed("<M8[s]"), noLimit, "holds datetime64 values; only integer heights can be shown"},
        {header("{'descr': [('x', '<i4'), ('y', '<i4')], 'fortran_order': False, 'shape': (2, 3)}\n"), noLimit,
         "holds records of named fields; only plain integer heights can be shown"},
        {typed(">i4"), noLimit, "is big-endian ('>i4'); save it little-endian"},
        {typed("|i4"), noLimit, "has the dtype '|i4', which gives no byte order"},
        {typed("<i3"), noLimit, "has the unknown dtype '<i3'"},
        {typed("i4"), noLimit, "has the unknown dtype 'i4'"},
        {NpyBytes(NpyDict("<i4", "(2, 3)", true), six), noLimit,
         "is in Fortran order; save it with numpy.ascontiguousarray"},
        {shaped("(6,)"), noLimit, "holds a 1-dimensional array; a grid is a 2-dimensional one (rows, columns)"},
        {shaped("(1, 2, 3)"), noLimit, "holds a 3-dimensional array; a grid is a 2-dimensional one (rows, columns)"},
        {shaped("()"), noLimit, "holds a 0-dimensional array; a grid is a 2-dimensional one (rows, columns)"},
        {good, 5, "holds 2 x 3 cells, more than the 5 cells this machine's memory allows"},
        // A product that wraps to 0 would pass as an empty grid.
        {shaped("(4294967296, 4294967296)"), noLimit,
         "holds 4294967296 x 4294967296 cells, more than the 18446744073709551615 cells this machine's memory allows"},
        {NpyBytes(NpyDict("<i8", "(2147483648, 2147483648)"), ""), noLimit,
         "holds 2147483648 x 2147483648 cells, more than this machine can address"},
        {good.substr(0, good.size() - 4), noLimit, "ends after 5 of the 6 cells"},
        {good.substr(0, good.size() - 1), noLimit, "ends after 5 of the 6 cells"},
        {NpyBytes(NpyDict("|u1", "(2, 3)"), "abc"), noLimit, "ends after 3 of the 6 cells"},
        {NpyBytes(NpyDict("<u4", "(2, 3)"), LittleEndianCells({0, 1, 2, 3, 2147483648, 5}, 4)), noLimit,
         "the height at row 2, column 2 is 2147483648, more than the largest height, 2147483647"},
        {NpyBytes(NpyDict("<i8", "(2, 3)"), LittleEndianCells({0, -1, std::int64_t{1} << 40, 3, 4, 5}, 8)), noLimit,
         "the height at row 1, column 3 is 1099511627776, more than the largest height, 2147483647"},
        {NpyBytes(NpyDict("<u8", "(2, 3)"), LittleEndianCells({-1, 0, 0, 0, 0, 0}, 8)), noLimit,
         "the height at row 1, column 1 is 18446744073709551615, more than the largest height, 2147483647"},
        {NpyBytes(NpyDict("<f8", "(2, 3)"), LittleEndianFloats({0, 1, 2, 3, 3e9, 5}, 8)), noLimit,
         "the value at row 2, column 2, 3000000000, maps to a level above the largest height, 2147483647"},
        {NpyBytes(NpyDict("<f4", "(2, 3)"), LittleEndianFloats({0, HUGE_VAL, 2, 3, 4, 5}, 4)), noLimit,
         "the value at row 1, column 2, inf, maps to a level above the largest height, 2147483647"},
        {NpyBytes(NpyDict("<f4", "(2, 3)"), LittleEndianFloats({0, 1, 2, 3, 4}, 4)), noLimit,
         "ends after 5 of the 6 cells"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.refused);
        const Read read = ReadBytes(c.bytes, c.limit, 16);
        EXPECT_EQ(read.outcome.refused, c.refused);
        EXPECT_TRUE(read.grid.heights.empty() && read.grid.rows == 0 && read.grid.columns == 0);
    }
}

// Float cells read in blocks that split them anywhere map as one block
// does: float32 in the grid's own memory, float64 through a landing place.
TEST(NpyGrid, ReadsFloatsAlikeInEveryBlockSize) {
    std::vector<double> values;
    for (int i = 0; i < 35; ++i) values.push_back(i % 6 == 5 ? std::nan("") : i * 1.75 - 4);
    const LevelMapping mapping{0.5, -2};
    for (int width : {4, 8}) {
        const std::string bytes =
            NpyBytes(NpyDict(width == 4 ? "<f4" : "<f8", "(5, 7)"), LittleEndianFloats(values, width));
        std::istringstream whole(bytes);
        HeightGrid expected;
        const NpyRead once = ReadNpyGrid(whole, expected, noLimit, npyBlockBytes, mapping);
        ASSERT_EQ(once.refused, "");
        EXPECT_EQ(once.belowLevelZero, 2u);  // -4 and -2.25, four and one level below level 0's -2
        for (std::size_t blockBytes : {std::size_t{1}, std::size_t{3}, std::size_t{8}, std::size_t{20}}) {
            SCOPED_TRACE(std::to_string(width) + "-byte floats, blocks of " + std::to_string(blockBytes));
            std::istringstream in(bytes);
            HeightGrid grid;
            const NpyRead read = ReadNpyGrid(in, grid, noLimit, blockBytes, mapping);
            EXPECT_EQ(read.refused, "");
            EXPECT_EQ(read.belowLevelZero, once.belowLevelZero);
            EXPECT_EQ(grid.heights, expected.heights);
        }
    }
}

TEST(NpyGrid, ReadsBackWhatItWrites) {
    TempDir dir("npy-grid");
    HeightGrid grid;
    grid.rows = 3;
    grid.columns = 4;
    grid.heights = {0, -1, 7, 2147483647, 65536, 1, -1, 300, 5, 4, 3, 2};
    ASSERT_EQ(WriteNpyGrid(dir / "grid.npy", grid), "");
    std::ifstream in(dir / "grid.npy", std::ios::binary);
    HeightGrid back;
    EXPECT_EQ(ReadNpyGrid(in, back, 12).refused, "");
    EXPECT_EQ(back.rows, grid.rows);
    EXPECT_EQ(back.columns, grid.columns);
    EXPECT_EQ(back.heights, grid.heights);
}

// The files numpy itself writes, for every integer type it can save.
TEST(NpyGrid, ReadsWhatNumpySaves) {
    if (std::system("python3 -c 'import numpy' > /dev/null 2>&1") != 0) GTEST_SKIP() << "python3 has no numpy here";
    TempDir dir("npy-numpy");
    const std::vector<std::string> types = {"int8", "uint8", "int16", "uint16", "int32", "uint32", "int64", "uint64"};
    const std::string script = "import numpy, sys\n"
                               "for t in sys.argv[2:]:\n"
                               "    a = numpy.array([[0, 1, 2], [3, 100, 120]], dtype=t)\n"
                               "    a[0, 0] = -5 if t[0] == 'i' else 0\n"
                               "    numpy.save(sys.argv[1] + '/' + t + '.npy', a)\n";
    WriteFile(dir / "save.py", script);
    std::string command = "python3 " + dir / "save.py" + " " + dir.path();
    for (const std::string& type : types) command += " " + type;
    ASSERT_EQ(std::system(command.c_str()), 0);
    for (const std::string& type : types) {
        SCOPED_TRACE(type);
        std::ifstream in(dir / (type + ".npy"), std::ios::binary);
        HeightGrid grid;
        EXPECT_EQ(ReadNpyGrid(in, grid, noLimit).refused, "");
        EXPECT_EQ(grid.rows, 2);
        EXPECT_EQ(grid.heights, Heights({type[0] == 'i' ? -5 : 0, 1, 2, 3, 100, 120}));
    }
}

}  // namespace
