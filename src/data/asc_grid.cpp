#include "asc_grid.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <new>
#include <optional>
#include <streambuf>
#include <system_error>

#include "printable_text.h"

namespace {

// No number a writer puts in a grid is longer; a longer word is kept only
// this far, for saying that it is not one.
constexpr std::size_t longestWord = 256;

bool IsBlank(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// The words of the file, parted by any white space, with the line each
// starts on. The buffer is read a character at a time: no line, however
// long, is ever held whole.
class Words {
public:
    explicit Words(std::streambuf& in) : in_(in) {}

    // The next word into `word`; false at the end of the file.
    bool Next(std::string& word) {
        using Traits = std::streambuf::traits_type;
        word.clear();
        cut_ = false;
        int c = in_.sgetc();
        for (; c != Traits::eof() && IsBlank(c); c = in_.snextc()) {
            if (c == '\n') ++line_;
        }
        if (c == Traits::eof()) return false;
        wordLine_ = line_;
        for (; c != Traits::eof() && !IsBlank(c); c = in_.snextc()) {
            if (word.size() < longestWord) {
                word += static_cast<char>(c);
            } else {
                cut_ = true;
            }
        }
        return true;
    }

    // The line the last word was on, from 1.
    std::uint64_t line() const { return wordLine_; }
    // Whether the last word was longer than what was kept of it.
    bool cut() const { return cut_; }

private:
    std::streambuf& in_;
    std::uint64_t line_ = 1;
    std::uint64_t wordLine_ = 1;
    bool cut_ = false;
};

// The whole word as a number, as C writes them: an optional sign, digits
// with a point, an exponent; "nan" and "inf" too.
bool ParseNumber(const std::string& word, double& value) {
    const char* first = word.data();
    const char* last = first + word.size();
    if (first != last && *first == '+') ++first;
    if (first == last || *first == '+' || (*first == '-' && word[0] == '+')) return false;
    const auto [end, error] = std::from_chars(first, last, value);
    if (end != last) return false;
    // Beyond a double's range either way: the infinity or the 0 C gives.
    if (error == std::errc::result_out_of_range) value = std::strtod(word.c_str(), nullptr);
    return error == std::errc() || error == std::errc::result_out_of_range;
}

std::string Shown(const std::string& word, bool cut) { return PrintableText(word) + (cut ? "..." : ""); }

enum Key { ncols, nrows, xllcorner, xllcenter, yllcorner, yllcenter, cellsize, noDataValue, keyCount };
const char* const keyNames[keyCount] = {"ncols",     "nrows",     "xllcorner", "xllcenter",
                                        "yllcorner", "yllcenter", "cellsize",  "NODATA_value"};

int KeyOf(const std::string& word) {
    std::string lower = word;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (int key = 0; key < keyCount; ++key) {
        std::string name = keyNames[key];
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (lower == name) return key;
    }
    return -1;
}

// The other way of giving the same place: a corner or a centre.
int PartnerOf(int key) {
    switch (key) {
        case xllcorner: return xllcenter;
        case xllcenter: return xllcorner;
        case yllcorner: return yllcenter;
        case yllcenter: return yllcorner;
        default: return -1;
    }
}

struct AscHeader {
    bool seen[keyCount] = {};
    std::uint64_t columns = 0;
    std::uint64_t rows = 0;
    std::optional<double> noData;
};

// Takes the value of `key` into the header; gives what is wrong with it,
// to follow the key's name, or "".
std::string TakeValue(int key, const std::string& word, AscHeader& header) {
    if (key == ncols || key == nrows) {
        const char* const notWhole = "is not a whole number above 0";
        std::uint64_t count = 0;
        const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), count);
        if (end != word.data() + word.size() || error == std::errc::invalid_argument) return notWhole;
        if (error == std::errc::result_out_of_range) return "is too large for any grid";
        if (count == 0) return notWhole;
        (key == ncols ? header.columns : header.rows) = count;
        return "";
    }
    double value = 0;
    if (!ParseNumber(word, value)) return "is not a number";
    if (key == noDataValue) {
        header.noData = value;
        return "";
    }
    if (!std::isfinite(value)) return "is not a finite number";
    if (key == cellsize && !(value > 0)) return "is not above 0";
    return "";
}

// Reads the header; gives why it is refused, or "". On return `word` holds
// the first word after the header, if `more`.
std::string ReadHeader(Words& words, std::string& word, bool& more, AscHeader& header) {
    double number = 0;
    while (more && !ParseNumber(word, number)) {
        const std::uint64_t line = words.line();
        const std::string at = "header line " + std::to_string(line) + ": ";
        const int key = KeyOf(word);
        if (key < 0)
            return at + "'" + Shown(word, words.cut()) +
                   "' is not a key of an ESRI ASCII grid (ncols, nrows, xllcorner or xllcenter, yllcorner or "
                   "yllcenter, cellsize, NODATA_value)";
        const std::string name = "'" + std::string(keyNames[key]) + "'";
        if (header.seen[key]) return at + name + " is given twice";
        const int partner = PartnerOf(key);
        if (partner >= 0 && header.seen[partner])
            return at + name + " and '" + keyNames[partner] + "' are both given; give one";
        header.seen[key] = true;
        if (!words.Next(word) || words.line() != line) return at + name + " has no value";
        const std::string wrong = TakeValue(key, word, header);
        if (!wrong.empty()) return at + name + " " + wrong;
        more = words.Next(word);
        if (more && words.line() == line) return at + "text after the value of " + name;
    }
    for (int key : {ncols, nrows, cellsize}) {
        if (!header.seen[key]) return "its header has no '" + std::string(keyNames[key]) + "'";
    }
    for (int key : {xllcorner, yllcorner}) {
        if (!header.seen[key] && !header.seen[PartnerOf(key)])
            return "its header has neither '" + std::string(keyNames[key]) + "' nor '" + keyNames[PartnerOf(key)] +
                   "'";
    }
    return "";
}

std::string CellName(std::uint64_t index, std::uint64_t columns) {
    return "row " + std::to_string(index / columns + 1) + ", column " + std::to_string(index % columns + 1);
}

std::string ReadInto(std::istream& in, HeightGrid& grid, std::uint64_t cellLimit, const LevelMapping& mapping,
                     std::uint64_t& belowLevelZero) {
    if (in.rdbuf() == nullptr) return "cannot be read";
    Words words(*in.rdbuf());
    std::string word;
    bool more = words.Next(word);
    if (!more) return "is empty, not an ESRI ASCII grid";
    AscHeader header;
    const std::string badHeader = ReadHeader(words, word, more, header);
    if (!badHeader.empty()) return badHeader;

    const std::uint64_t rows = header.rows;
    const std::uint64_t columns = header.columns;
    const std::string size = std::to_string(rows) + " x " + std::to_string(columns);
    // The product is checked before it is formed: a header may claim any size.
    if (rows > std::numeric_limits<std::uint64_t>::max() / columns || rows * columns > cellLimit)
        return "holds " + size + " cells, more than the " + std::to_string(cellLimit) +
               " cells this machine's memory allows";
    const std::uint64_t cells = rows * columns;
    if (cells > grid.heights.max_size()) return "holds " + size + " cells, more than this machine can address";
    try {
        grid.heights.assign(static_cast<std::size_t>(cells), HeightGrid::emptyCell);
    } catch (const std::bad_alloc&) {
        return "holds " + size + " cells, more than this machine's free memory holds";
    }
    grid.rows = static_cast<std::int64_t>(rows);
    grid.columns = static_cast<std::int64_t>(columns);

    for (std::uint64_t i = 0; i < cells; ++i, more = words.Next(word)) {
        if (!more)
            return "ends after " + std::to_string(i) + " of its " + size + " values, before " +
                   CellName(i, columns);
        double value = 0;
        if (words.cut() || !ParseNumber(word, value))
            return "the value at " + CellName(i, columns) + " (line " + std::to_string(words.line()) + "), '" +
                   Shown(word, words.cut()) + "', is not a number";
        if (header.noData && (value == *header.noData || (std::isnan(value) && std::isnan(*header.noData))))
            continue;
        // The file's first row is the north: the grid's last.
        const std::uint64_t row = rows - 1 - i / columns;
        std::int32_t level = 0;
        switch (MapValue(value, mapping, level)) {
            case MappedValue::level:
                grid.heights[static_cast<std::size_t>(row * columns + i % columns)] = level;
                break;
            case MappedValue::noValue: break;
            case MappedValue::belowLevelZero: ++belowLevelZero; break;
            case MappedValue::tooHigh:
                return "the value at " + CellName(i, columns) + ", " + ValueText(value) +
                       ", maps to a level above the largest height, " +
                       std::to_string(std::numeric_limits<std::int32_t>::max());
        }
    }
    if (more)
        return "holds more values than the " + size + " its header gives: '" + Shown(word, words.cut()) +
               "' on line " + std::to_string(words.line()) + " follows them";
    return "";
}

}  // namespace

bool IsAscFile(const std::string& fileName) {
    if (fileName.size() < 4) return false;
    std::string ending = fileName.substr(fileName.size() - 4);
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ending == ".asc";
}

AscRead ReadAscGrid(std::istream& in, HeightGrid& grid, std::uint64_t cellLimit, const LevelMapping& mapping) {
    grid = HeightGrid{};
    AscRead read;
    read.refused = ReadInto(in, grid, cellLimit, mapping, read.belowLevelZero);
    if (!read.refused.empty()) read = AscRead{read.refused, 0}, grid = HeightGrid{};
    return read;
}
