#include "grid_text.h"

#include <charconv>

std::string GridText(const HeightGrid& grid) {
    std::string text = std::to_string(grid.columns) + "\n";
    // Heights are mostly one to three digits: reserve for three and a blank.
    text.reserve(text.size() + grid.cellCount() * 4 + static_cast<std::size_t>(grid.rows));
    // to_chars, not printf: a full-resolution tile has millions of cells.
    char number[16];
    for (std::int64_t row = 0; row < grid.rows; ++row) {
        for (std::int64_t column = 0; column < grid.columns; ++column) {
            char* end = std::to_chars(number, number + sizeof number - 1, grid.at(column, row)).ptr;
            *end++ = ' ';
            text.append(number, end);
        }
        text += '\n';
    }
    return text;
}
