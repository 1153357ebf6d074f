// The fast loader against the word-for-word stream reading, on the inputs
// where the two could part: header forms, signs and overflow, every kind of
// white space, odd separators, line-end mixes, truncation at every byte and
// text split across blocks at every place.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "height_grid.h"
#include "point_loader.h"
#include "reference_loader.h"

namespace {

constexpr std::uint64_t testLimit = std::uint64_t{1} << 20;

struct Loaded {
    LoadOutcome outcome;
    std::vector<double> x, y, z;
};

Loaded LoadFast(const std::string& bytes, std::size_t blockSize, std::uint64_t limit = testLimit) {
    std::istringstream in(bytes);
    Loaded loaded;
    loaded.outcome = LoadPoints(in, loaded.x, loaded.y, loaded.z, limit, blockSize);
    return loaded;
}

Loaded LoadReference(const std::string& bytes, std::uint64_t limit = testLimit) {
    std::istringstream in(bytes);
    Loaded loaded;
    loaded.outcome = reference_load_points(in, loaded.x, loaded.y, loaded.z, limit);
    return loaded;
}

std::string describe(const LoadOutcome& o) {
    const char* end = o.end == LoadOutcome::End::complete     ? "complete"
                      : o.end == LoadOutcome::End::dataEnded ? "data ended"
                                                              : "refused";
    return std::string(end) + " at row " + std::to_string(o.row) + ", column " +
           std::to_string(o.column) + ", needed " + std::to_string(o.needed);
}

std::string printable(const std::string& bytes) {
    std::ostringstream out;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7f && c != '\\')
            out << c;
        else
            out << "\\x" << std::hex << static_cast<int>(c) << std::dec;
    }
    return out.str();
}

// The fast loader must give the reference's outcome, and its arrays unless
// the grid was refused (the process ends then, so they are never used).
testing::AssertionResult SameAsReference(const std::string& bytes, std::size_t blockSize) {
    Loaded fast = LoadFast(bytes, blockSize);
    Loaded reference = LoadReference(bytes);
    if (fast.outcome != reference.outcome)
        return testing::AssertionFailure() << "block " << blockSize << ", input \"" << printable(bytes)
                                           << "\": fast " << describe(fast.outcome) << ", stream "
                                           << describe(reference.outcome);
    if (fast.outcome.end != LoadOutcome::End::refused &&
        (fast.x != reference.x || fast.y != reference.y || fast.z != reference.z))
        return testing::AssertionFailure() << "block " << blockSize << ", input \"" << printable(bytes)
                                           << "\": fast gives " << fast.x.size() << " points, stream "
                                           << reference.x.size();
    return testing::AssertionSuccess();
}

const std::size_t blockSizes[] = {1, 2, 3, 5, 8, loadBlockSize};

struct Case {
    const char* name;
    std::string bytes;
};

std::string operator""_b(const char* text, std::size_t size) { return std::string(text, size); }

const Case cases[] = {
    // Header forms: whatever the stream makes of the first number.
    {"integer header", "7\n1 0 \n0 2 \n"},
    {"exponent header", "1e5\n1 \n"},
    {"header with trailing point", "1.\n1 \n"},
    {"header with leading point", ".5\n1 \n"},
    {"header exponent without digits", "1e\n1 \n"},
    {"header exponent with sign only", "1e+ 1 \n"},
    {"header beyond double", "1e400\n1 \n"},
    {"header of a minus alone", "-\n1 \n"},
    {"header inf", "inf\n1 \n"},
    {"header nan", "nan\n1 \n"},
    {"header in hexadecimal", "0x10\n1 \n"},
    {"header with two exponents", "1e5e5\n1 \n"},
    {"header with two points", "1.2.3 4 \n"},
    {"signed headers", "+3\n2 \n"},
    {"negative fraction header", "-3.5e-2\n2 \n"},
    {"header after white space", " \n\t\v\f\r 3\n1 \n"},
    {"no header: the first height is taken", "1 0 \n0 2 \n"},
    {"byte order mark before the header", "\xEF\xBB\xBF" "3\n1 \n"},
    {"header only", "5"},
    {"header and line end only", "5\n"},
    {"empty", ""},
    {"white space only", " \t\n\v\f\r"},
    // Heights: signs, leading zeros and the int range.
    {"plus sign", "0\n+5 \n"},
    {"minus zero", "0\n-0 \n"},
    {"plus alone", "0\n+ 1 \n"},
    {"minus alone", "0\n- \n"},
    {"minus at the end", "0\n-"},
    {"double sign", "0\n+-1 \n"},
    {"leading zeros", "0\n007 0000000000000000000000003 \n1 2 \n"},
    {"largest int", "0\n2147483647 \n"},
    {"smallest int", "0\n-2147483648 \n"},
    {"just above the int range", "0\n2147483648 \n"},
    {"just below the int range", "0\n-2147483649 \n"},
    {"beyond long", "0\n99999999999999999999999 \n"},
    {"negative with leading zeros", "0\n-000000000000000000000000000001 0 \n0 0 \n"},
    {"largest int after leading zeros", "0\n00000000000000000000000000002147483647 \n"},
    {"height beyond the level table", "0\n1000 2 \n0 0 \n"},
    {"heights around the one-byte record", "0\n253 254 255 \n3000 -5 64 \n65 0 1 \n"},
    {"negative heights keep their columns", "0\n-1 -7 \n3 -2 \n"},
    // Separators and what follows them.
    {"digits then a letter", "0\n12a 3 \n1 1 \n"},
    {"decimal height", "0\n1.5 2 \n"},
    {"hexadecimal height", "0\n0x1 1 \n1 1 \n"},
    {"letter as height", "0\n1 x \n"},
    {"NUL separators", "0\n1\0" "2\0\n0 0 \n"_b},
    {"NUL as a height", "0\n1 \0 \n"_b},
    {"0xFF separator", "0\n1\xff\n"},
    {"every white space before heights", "0\n\v1 \f2 \t3 \n\r4 5 6 \n 7 8 9 \n"},
    {"white space as separators", "0\n1\t2\v3\f\n4\r5 6 \n7 8 9 \n"},
    {"line end as separator continues the row", "0\n1 2\n3 \n4 5 6 \n7 8 9 \n"},
    {"empty line after an unseparated height", "0\n4\n\n9 9 \n"},
    // Line ends.
    {"CR LF", "0\r\n1 2 \r\n3 4 \r\n"},
    {"CR only", "0\r1 2 \r3 4 \r"},
    {"LF CR", "0\n1 2 \n\r3 4 \n\r"},
    {"CR CR", "0\r1 2 \r\r3 4 \r\r"},
    {"mixed line ends", "0\n1 2 \r\n3 4 \r"},
    // The row rule.
    {"one-cell grid", "0\n3 \n9 9 \n"},
    {"shorter second row ends the grid", "0\n1 1 1 \n1 \n1 1 1 \n"},
    {"longer rows raise the limit", "0\n1 1 \n1 1 1 1 \n1 1 1 1 \n1 1 1 1 \n1 \n"},
    {"rows beyond the grid are never read", "0\n1 \nx"},
    // Truncations.
    {"ends inside a height", "0\n1 2"},
    {"ends after a separator", "0\n1 2 "},
    {"ends after a row", "0\n1 2 \n"},
    {"ends inside the last row", "0\n1 2 \n1"},
    {"ends inside a long height", "0\n12345"},
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

class LoaderMatchesStream : public testing::TestWithParam<Case> {};

TEST_P(LoaderMatchesStream, AtEveryBlockSize) {
    for (std::size_t block : blockSizes) EXPECT_TRUE(SameAsReference(GetParam().bytes, block));
}

// The grid of heights holds the same cells: its points are the stream's.
TEST_P(LoaderMatchesStream, AsAGridAtEveryBlockSize) {
    const Loaded reference = LoadReference(GetParam().bytes);
    if (reference.outcome.end == LoadOutcome::End::refused) return;
    for (std::size_t block : blockSizes) {
        std::istringstream in(GetParam().bytes);
        HeightGrid grid;
        const LoadOutcome outcome = LoadGrid(in, grid, testLimit, block);
        Loaded fromGrid;
        WriteGridPoints(grid, fromGrid.x, fromGrid.y, fromGrid.z);
        EXPECT_EQ(describe(outcome), describe(reference.outcome)) << "block " << block;
        EXPECT_TRUE(fromGrid.x == reference.x && fromGrid.y == reference.y && fromGrid.z == reference.z)
            << "block " << block << ": " << fromGrid.x.size() << " points, stream " << reference.x.size();
    }
}

INSTANTIATE_TEST_SUITE_P(Inputs, LoaderMatchesStream, testing::ValuesIn(cases),
                         [](const testing::TestParamInfo<Case>& paramInfo) {
                             std::string name = paramInfo.param.name;
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return name;
                         });

// A grid with most kinds of cell, cut at every byte and read in blocks that
// end at every place.
TEST(Loader, EveryTruncationAndBlockSplitMatchesTheStream) {
    const std::string grid = "12.5\r\n3 0 -1 +4 \n 007\t2 \r\n1 2\n-0 20 1 \n5 \n6 6 6 6 \n";
    for (std::size_t length = 0; length <= grid.size(); ++length) {
        std::string cut = grid.substr(0, length);
        for (std::size_t block = 1; block <= length + 1; ++block) EXPECT_TRUE(SameAsReference(cut, block));
    }
}

// Random texts made of the pieces that matter to the reading.
std::string RandomText(std::mt19937& random) {
    static const char* const textPieces[] = {
        "0", "1", "2", "9", "17", "007", "-", "+", "-1", "300", "2147483647", "2147483648", "-2147483648",
        "99999999999", " ", " ", " ", "  ", "\t", "\v", "\f", "\r", "\n", "\n", "\r\n", " \n", " \r\n",
        ".", "e", "x", "a"};
    static const std::string oddBytes = "\0\xff"_b;
    std::uniform_int_distribution<std::size_t> piece(0, std::size(textPieces) + oddBytes.size() - 1);
    std::uniform_int_distribution<int> length(0, 60);
    std::string text = random() % 4 ? "1\n" : "";
    for (int n = length(random); n > 0; --n) {
        std::size_t i = piece(random);
        text += i < std::size(textPieces) ? std::string(textPieces[i]) : std::string(1, oddBytes[i - std::size(textPieces)]);
    }
    return text;
}

TEST(Loader, RandomTextsMatchTheStream) {
    std::mt19937 random(20240611);
    for (int i = 0; i < 1500; ++i) {
        std::string text = RandomText(random);
        for (std::size_t block : {std::size_t{1}, std::size_t{4}, loadBlockSize})
            ASSERT_TRUE(SameAsReference(text, block));
    }
}

// A real file of a few blocks, read as the program reads it: the size taken
// from the file, blocks read straight from it.
TEST(Loader, AFileOfSeveralBlocksMatchesTheStream) {
    constexpr std::uint64_t largeLimit = std::uint64_t{1} << 24;
    std::mt19937 random(7);
    std::string text = "1100\n";
    for (int row = 0; row < 1100; ++row) {
        for (int column = 0; column < 1100; ++column) {
            unsigned pick = random() % 1000;
            int height = pick < 500   ? -1
                         : pick < 502 ? static_cast<int>(random() % 400)
                                      : static_cast<int>(random() % 3);
            text += std::to_string(height) + (pick % 7 == 0 ? "\t" : " ");
        }
        text += row % 3 ? "\n" : "\r\n";
    }
    ASSERT_GT(text.size(), 2 * loadBlockSize);
    auto path = std::filesystem::temp_directory_path() / ("pelorin-blocks-" + std::to_string(::getpid()));
    std::ofstream(path, std::ios::binary) << text;

    Loaded fast, reference;
    {
        std::ifstream in(path);
        fast.outcome = LoadPoints(in, fast.x, fast.y, fast.z, largeLimit);
    }
    {
        std::ifstream in(path);
        reference.outcome = reference_load_points(in, reference.x, reference.y, reference.z, largeLimit);
    }
    std::filesystem::remove(path);
    EXPECT_EQ(fast.outcome, reference.outcome) << describe(fast.outcome) << " / " << describe(reference.outcome);
    EXPECT_EQ(fast.outcome.end, LoadOutcome::End::complete);
    EXPECT_TRUE(fast.x == reference.x && fast.y == reference.y && fast.z == reference.z)
        << fast.x.size() << " points against " << reference.x.size();
}

// A height that would take the point count past the limit: the same place
// and count as the stream reading, and no array memory taken for it.
TEST(Loader, RefusesBeforeTakingArrayMemory) {
    const std::string text = "0\n3 1000 \n0 0 \n";
    Loaded fast = LoadFast(text, loadBlockSize, 1000);
    Loaded reference = LoadReference(text, 1000);
    EXPECT_EQ(fast.outcome, reference.outcome) << describe(fast.outcome);
    EXPECT_EQ(fast.outcome.end, LoadOutcome::End::refused);
    EXPECT_EQ(fast.outcome.needed, 1005u);
    EXPECT_EQ(fast.x.capacity() + fast.y.capacity() + fast.z.capacity(), 0u);
}

TEST(Loader, AGridOfExactlyTheLimitIsLoaded) {
    const std::string text = "0\n3 993 \n0 0 \n";
    EXPECT_EQ(LoadFast(text, loadBlockSize, 1000).outcome.end, LoadOutcome::End::complete);
    EXPECT_EQ(LoadReference(text, 1000).outcome.end, LoadOutcome::End::complete);
    EXPECT_EQ(LoadFast(text, loadBlockSize, 1000).x.size(), 1000u);
}

// ---- Counting without keeping the points ----

long long CellsAcross(const std::vector<double>& coordinates) {
    if (coordinates.empty()) return 0;
    return static_cast<long long>(*std::max_element(coordinates.begin(), coordinates.end())) + 1;
}

// The count must give the loader's outcome and the size of its point set.
testing::AssertionResult CountMatchesLoader(const std::string& bytes, std::size_t blockSize,
                                              std::uint64_t limit = testLimit) {
    const Loaded loaded = LoadFast(bytes, loadBlockSize, limit);
    std::istringstream in(bytes);
    const PointCount count = CountFilePoints(in, limit, blockSize);
    if (count.outcome != loaded.outcome || count.points != loaded.x.size() || count.columns != CellsAcross(loaded.x) ||
        count.rows != CellsAcross(loaded.y))
        return testing::AssertionFailure() << "block " << blockSize << ", input \"" << printable(bytes) << "\": count "
                                           << describe(count.outcome) << ", " << count.points << " points, "
                                           << count.columns << " x " << count.rows << "; loader "
                                           << describe(loaded.outcome) << ", " << loaded.x.size() << " points";
    return testing::AssertionSuccess();
}

// On every loader case at every block size; cells many blocks long, cut
// short between blocks; random texts; and a grid past the limit.
// A grid's limit is on cells, whatever their heights: the cell past it is
// named, and nothing is kept.
TEST(Loader, AGridIsRefusedByItsCellsNotItsPoints) {
    const std::string tall = "0\n2000000000 2000000000 \n2000000000 2000000000 \n";
    HeightGrid grid;
    std::istringstream whole(tall);
    EXPECT_EQ(describe(LoadGrid(whole, grid, 4)), "complete at row 0, column 0, needed 0");
    EXPECT_EQ(grid.spheres(), 4 * std::uint64_t{2000000001});
    HeightGrid refused;
    std::istringstream cut(tall);
    EXPECT_EQ(describe(LoadGrid(cut, refused, 3)), "refused at row 1, column 1, needed 4");
    EXPECT_TRUE(refused.empty());
}

TEST(PointCount, MatchesTheLoader) {
    for (const Case& c : cases) {
        for (std::size_t block : blockSizes) EXPECT_TRUE(CountMatchesLoader(c.bytes, block)) << c.name;
    }
    const std::string zeros(5000, '0'), nines(5000, '9'), blanks(5000, ' ');
    for (const std::string& text : {"0\n" + zeros + "7 \n", "0\n-" + zeros + "1 0 \n0 0 \n", "0\n" + nines + " \n",
                                     "0\n" + blanks + "3 \n", "0\n+" + zeros, "0\n" + zeros + "2147483648 \n"}) {
        for (std::size_t block : {std::size_t{1}, std::size_t{7}, std::size_t{64}})
            EXPECT_TRUE(CountMatchesLoader(text, block));
    }
    std::mt19937 random(20240612);
    for (int i = 0; i < 500; ++i) ASSERT_TRUE(CountMatchesLoader(RandomText(random), 1 + i % 4));
    EXPECT_TRUE(CountMatchesLoader("0\n3 1000 \n0 0 \n", 3, 1000));
}

}  // namespace
