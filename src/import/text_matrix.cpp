#include "text_matrix.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

#include "messages.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\n' || c == '\r'; }
bool EndsNumber(char c) { return IsBlank(c) || IsLineEnd(c) || c == ','; }

bool StartsWord(std::string_view text, std::string_view word) {
    if (text.size() < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if ((text[i] | 0x20) != word[i]) return false;
    return true;
}

bool StartsNumber(std::string_view text) {
    const char c = text.front();
    return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || StartsWord(text, "nan") ||
           StartsWord(text, "inf");
}

// The lines of a text, whatever their line ends, numbered from 1.
class Lines {
public:
    explicit Lines(std::string_view text) : rest_(text) {
        // A byte order mark, as some spreadsheet programs write, is no number.
        if (rest_.substr(0, 3) == "\xEF\xBB\xBF") rest_.remove_prefix(3);
    }

    bool Next(std::string_view& line) {
        if (rest_.empty()) return false;
        std::size_t end = 0;
        while (end < rest_.size() && !IsLineEnd(rest_[end])) ++end;
        line = rest_.substr(0, end);
        std::size_t next = end;
        if (next < rest_.size())
            next += rest_[next] == '\r' && next + 1 < rest_.size() && rest_[next + 1] == '\n' ? 2 : 1;
        rest_.remove_prefix(next);
        ++number_;
        return true;
    }

    long long number() const { return number_; }

private:
    std::string_view rest_;
    long long number_ = 0;
};

// Where a line's content starts, or npos for a line to skip: blank, or a
// '#' comment.
std::size_t ContentStart(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && IsBlank(line[i])) ++i;
    return i == line.size() || line[i] == '#' ? std::string_view::npos : i;
}

// A piece of the text as a message shows it: on one line, and short.
std::string Shown(std::string_view text) {
    std::string shown(text.substr(0, text.size() > 24 ? 20 : text.size()));
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    return Quoted(text.size() > 24 ? shown + "..." : shown);
}

enum class NumberRead { read, notANumber, out_of_range };

// The whole of `text` as one number in the classic notation.
NumberRead ReadNumber(std::string_view text, double& value) {
    const char* first = text.data();
    const char* last = first + text.size();
    // from_chars takes no plus sign.
    if (text.size() > 1 && text[0] == '+' && text[1] != '-' && text[1] != '+') ++first;
    const auto [end, status] = std::from_chars(first, last, value);
    if (end != last || status == std::errc::invalid_argument) return NumberRead::notANumber;
    if (status == std::errc::result_out_of_range) {
        // Too small a magnitude is near enough 0; too large has no value.
        value = std::strtod(std::string(first, last).c_str(), nullptr);
        if (std::isinf(value)) return NumberRead::out_of_range;
    }
    return NumberRead::read;
}

std::string At(long long line, std::size_t column) {
    return "text matrix, line " + std::to_string(line) + ", column " + std::to_string(column + 1) + ": ";
}

}  // namespace

bool StartsLikeMatrix(std::string_view text) {
    Lines lines(text);
    std::string_view line;
    while (lines.Next(line)) {
        const std::size_t start = ContentStart(line);
        if (start != std::string_view::npos) return StartsNumber(line.substr(start));
    }
    return true;
}

bool ReadMatrix(std::string_view text, std::uint64_t cellLimit, MatrixShape& shape,
                const std::function<void(int row, const std::vector<double>& values)>& row, std::string& error) {
    shape = MatrixShape();
    Lines lines(text);
    std::string_view line;
    std::vector<double> values;
    long long firstLine = 0;
    std::uint64_t cells = 0;  // in the rows before this one
    while (lines.Next(line)) {
        std::size_t i = ContentStart(line);
        if (i == std::string_view::npos) continue;
        values.clear();
        bool afterComma = false;
        std::size_t comma = 0;
        for (;;) {
            while (i < line.size() && IsBlank(line[i])) ++i;
            if (i == line.size()) {
                if (!afterComma) break;
                error = At(lines.number(), comma) + "a comma with no number after it";
                return false;
            }
            if (line[i] == ',') {
                if (values.empty() || afterComma) {
                    error = At(lines.number(), i) + "a comma with no number before it";
                    return false;
                }
                afterComma = true;
                comma = i++;
                continue;
            }
            const std::size_t start = i;
            while (i < line.size() && !EndsNumber(line[i])) ++i;
            const std::string_view number = line.substr(start, i - start);
            double value = 0;
            const NumberRead read = ReadNumber(number, value);
            if (read != NumberRead::read) {
                error = At(lines.number(), start) + Shown(number) +
                        (read == NumberRead::out_of_range ? " is out of range" : " is not a number");
                return false;
            }
            if (cells + values.size() >= cellLimit) {
                error = "text matrix of more than " + std::to_string(cellLimit) +
                        " numbers: more than this machine's memory allows";
                return false;
            }
            if (!std::isfinite(value))
                value = NAN;
            else if (std::floor(value) != value)
                shape.wholeValues = false;
            values.push_back(value);
            afterComma = false;
        }
        if (shape.rows == 0) {
            shape.columns = static_cast<int>(values.size());
            firstLine = lines.number();
        } else if (values.size() != static_cast<std::size_t>(shape.columns)) {
            error = "text matrix, line " + std::to_string(lines.number()) + " holds " +
                    std::to_string(values.size()) + " numbers where line " + std::to_string(firstLine) +
                    " holds " + std::to_string(shape.columns) + "; every row must hold as many";
            return false;
        }
        if (row) row(shape.rows, values);
        ++shape.rows;
        cells += values.size();
    }
    return true;
}
