#include "overlays/bitmap_font.h"

#include <cstddef>

namespace {

struct Glyph {
    char character;
    // Rows from the top; '#' is lit.
    const char* rows[glyphRows];
};

// Drawn for legibility at small sizes: open counters, a slashed zero so it
// is never read as an "o", and a minus as wide as a digit.
const Glyph glyphs[] = {
    {'0', {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."}},
    {'1', {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'2', {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"}},
    {'3', {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."}},
    {'4', {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."}},
    {'5', {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."}},
    {'6', {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."}},
    {'7', {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."}},
    {'8', {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."}},
    {'9', {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."}},
    {'.', {".....", ".....", ".....", ".....", ".....", ".##..", ".##.."}},
    {'-', {".....", ".....", ".....", "#####", ".....", ".....", "....."}},
    {'+', {".....", "..#..", "..#..", "#####", "..#..", "..#..", "....."}},
    {' ', {".....", ".....", ".....", ".....", ".....", ".....", "....."}},
    {'e', {".....", ".....", ".###.", "#...#", "#####", "#....", ".###."}},
    {'l', {".##..", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."}},
    {'m', {".....", ".....", "##.#.", "#.#.#", "#.#.#", "#...#", "#...#"}},
    {'s', {".....", ".....", ".####", "#....", ".###.", "....#", "####."}},
    {'v', {".....", ".....", "#...#", "#...#", "#...#", ".#.#.", "..#.."}},
    {'k', {"#....", "#....", "#..#.", "#.#..", "##...", "#.#..", "#..#."}},
    {'x', {".....", ".....", "#...#", ".#.#.", "..#..", ".#.#.", "#...#"}},
    {'y', {".....", ".....", "#...#", "#...#", ".####", "....#", ".###."}},
    {'z', {".....", ".....", "#####", "...#.", "..#..", ".#...", "#####"}},
};

const Glyph* GlyphOf(char c) {
    for (const Glyph& glyph : glyphs) {
        if (glyph.character == c) return &glyph;
    }
    return nullptr;
}

}  // namespace

bool HasGlyph(char c) { return GlyphOf(c) != nullptr; }

int TextColumns(const std::string& text) {
    return text.empty() ? 0 : static_cast<int>(text.size()) * glyphAdvance - 1;
}

std::vector<FontRun> TextRuns(const std::string& text) {
    std::vector<FontRun> runs;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const Glyph* glyph = GlyphOf(text[i]);
        if (glyph == nullptr) continue;
        const int left = static_cast<int>(i) * glyphAdvance;
        for (int r = 0; r < glyphRows; ++r) {
            const char* row = glyph->rows[r];
            for (int c = 0; c < glyphColumns;) {
                if (row[c] != '#') {
                    ++c;
                    continue;
                }
                const int start = c;
                while (c < glyphColumns && row[c] == '#') ++c;
                runs.push_back({left + start, glyphRows - 1 - r, c - start});
            }
        }
    }
    return runs;
}
