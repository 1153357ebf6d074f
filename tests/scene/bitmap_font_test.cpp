// The 5x7 font the scene writes its labels and captions in.
#include <gtest/gtest.h>

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "overlays/bitmap_font.h"

namespace {

using Bitmap = std::set<std::pair<int, int>>;  // lit (column, row)

// The lit pixels of `text`'s runs, with every run checked to lie within the
// columns of a single glyph and the font's rows.
Bitmap Lit(const std::string& text) {
    Bitmap lit;
    for (const FontRun& run : TextRuns(text)) {
        EXPECT_GE(run.length, 1);
        EXPECT_GE(run.row, 0);
        EXPECT_LT(run.row, glyphRows);
        const int left = run.column - run.column % glyphAdvance;
        EXPECT_GE(run.column, 0);
        EXPECT_LE(run.column + run.length, left + glyphColumns);
        for (int c = run.column; c < run.column + run.length; ++c) lit.insert({c, run.row});
    }
    return lit;
}

TEST(BitmapFont, EveryPrintableCharacterHasItsOwnGlyphWithinFiveBySeven) {
    std::map<Bitmap, char> owner;
    for (char c = ' '; c <= '~'; ++c) {
        SCOPED_TRACE(std::string("character '") + c + "'");
        EXPECT_TRUE(HasGlyph(c));
        const Bitmap lit = Lit(std::string(1, c));
        EXPECT_EQ(lit.empty(), c == ' ');
        const auto [other, fresh] = owner.emplace(lit, c);
        EXPECT_TRUE(fresh) << "same bitmap as '" << other->second << "'";
    }
}

TEST(BitmapFont, OtherCharactersTakeABlanksRoom) {
    for (const char c : {'\0', '\t', '\n', '\x7f', '\x80', '\xe9', '\xff'}) {
        SCOPED_TRACE(static_cast<int>(static_cast<unsigned char>(c)));
        EXPECT_FALSE(HasGlyph(c));
        EXPECT_EQ(TextColumns(std::string("a") + c + "b"), TextColumns("a b"));
        EXPECT_EQ(Lit(std::string("a") + c + "b"), Lit("a b"));
    }
}

TEST(BitmapFont, TextColumnsOfMixedText) {
    const struct {
        std::string text;
        int columns;
    } cases[] = {
        {"", 0},
        {"~", 5},
        {"B ", 11},
        {"t = 120 kyr, h-00012.asc", 143},
        {"Frame 3 of 50: (a) run_B", 143},
        {"caf\xc3\xa9 {x|y} @ 5% ~", 107},  // 18 bytes, two of them one accented letter
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(TextColumns(c.text), c.columns);
    }
}

// A line of text is its characters' glyphs side by side, one advance apart.
TEST(BitmapFont, TextIsItsGlyphsOneAdvanceApart) {
    const std::string text = "Frame 3 of 50: (a) run_B \"x\\y\" [h-00012.asc]";
    Bitmap expected;
    for (std::size_t i = 0; i < text.size(); ++i) {
        for (const auto& [column, row] : Lit(std::string(1, text[i]))) {
            expected.insert({column + static_cast<int>(i) * glyphAdvance, row});
        }
    }
    EXPECT_EQ(Lit(text), expected);
}

}  // namespace
