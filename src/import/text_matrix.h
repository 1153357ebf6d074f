// A plain text matrix, as numerical programs write their arrays: one row a
// line, numbers separated by blanks, tabs or commas, no header.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct MatrixShape {
    int columns = 0;
    int rows = 0;
    bool wholeValues = true;  // every finite value is a whole number
};

// Whether `text` begins as a matrix does: past blank lines and lines whose
// first character other than a blank or tab is '#', the first character
// starts a number; or there is nothing else (no numbers at all).
bool StartsLikeMatrix(std::string_view text);

// Reads the matrix in `text`, calling `row` (when given) with each row's
// values in order, NaN for NaN and infinite values. Lines with nothing but
// blanks and tabs, and '#' comment lines, are skipped; LF, CR LF and CR all
// end a line. On a malformed matrix, or one of more than `cellLimit`
// numbers, returns false with `error` the text of an "error:" line, without
// the file's name, which names the line and column. A matrix of no numbers
// gives true and a shape of 0 rows.
bool ReadMatrix(std::string_view text, std::uint64_t cellLimit, MatrixShape& shape,
                const std::function<void(int row, const std::vector<double>& values)>& row, std::string& error);
