// A small font of hand-drawn 5x7 glyphs for the labels and captions the
// scene writes onto its pictures. Text is given as runs of lit font pixels,
// so any renderer can draw it as rectangles at whatever size it needs, with
// no font library and no texture.
#pragma once

#include <string>
#include <vector>

constexpr int glyphColumns = 5;
constexpr int glyphRows = 7;
// A glyph and the blank column that follows it.
constexpr int glyphAdvance = glyphColumns + 1;

// A horizontal run of lit pixels: columns from the text's left edge, rows
// from its bottom (the baseline is row 0; the font has no descenders).
struct FontRun {
    int column = 0;
    int row = 0;
    int length = 0;
};

// Every printable ASCII character, ' ' to '~'; nothing else.
bool HasGlyph(char c);

// Width of `text` in font pixels, without the blank after its last glyph.
// Characters without a glyph take the room of a blank.
int TextColumns(const std::string& text);

// The lit pixels of `text`, run by run.
std::vector<FontRun> TextRuns(const std::string& text);
