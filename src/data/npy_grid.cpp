#include "npy_grid.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <type_traits>
#include <vector>

#include "page_advice.h"
#include "printable_text.h"

namespace {

constexpr char magic[] = "\x93NUMPY";
constexpr std::size_t magicBytes = 6;
// Version 1.0 headers are padded so that the data starts on a multiple of
// this, as numpy itself does.
constexpr std::size_t headerAlignment = 64;

std::string Header(const HeightGrid& grid) {
    std::string dict = "{'descr': '<i4', 'fortran_order': False, 'shape': (" + std::to_string(grid.rows) + ", " +
                       std::to_string(grid.columns) + "), }";
    const std::size_t fixed = magicBytes + 2 + 2;
    const std::size_t total = (fixed + dict.size() + 1 + headerAlignment - 1) / headerAlignment * headerAlignment;
    dict.append(total - fixed - dict.size() - 1, ' ');
    dict += '\n';
    std::string header(magic, magicBytes);
    header += '\x01';
    header += '\x00';
    header += static_cast<char>(dict.size() & 0xff);
    header += static_cast<char>((dict.size() >> 8) & 0xff);
    return header + dict;
}

bool LittleEndian() {
    const std::uint16_t one = 1;
    unsigned char first = 0;
    std::memcpy(&first, &one, 1);
    return first == 1;
}

// ---- Reading

// Real headers are a few hundred bytes; numpy's own version 1.0 cannot go
// past 64 KiB. A length beyond this is a damaged or foreign file, and is
// refused before memory is taken for it.
constexpr std::uint32_t headerLimit = std::uint32_t{1} << 20;
constexpr std::uint64_t largestHeight = std::numeric_limits<std::int32_t>::max();

// The dict of a header, as written.
struct NpyHeader {
    std::string descr;
    bool structured = false;  // 'descr' was a list of fields, not one type
    bool fortranOrder = false;
    std::vector<std::uint64_t> shape;
};

// The header is a Python dict literal. numpy writes one form, but files
// written by hand or by other tools vary in key order, spacing and a
// trailing comma, all of which Python itself would take.
class HeaderParser {
public:
    explicit HeaderParser(const std::string& text) : text_(text) {}

    // Fills `header` from the dict; gives what is wrong with it, or "".
    std::string Parse(NpyHeader& header) {
        bool seenDescr = false, seenOrder = false, seenShape = false;
        if (!Take('{')) return "it does not start with '{'";
        while (!Take('}')) {
            std::string key;
            if (!ReadString(key)) return "a key that is not a quoted string";
            const std::string shownKey = "'" + PrintableText(key) + "'";
            if (!Take(':')) return "no ':' after " + shownKey;
            if (key == "descr") {
                if (seenDescr) return "'descr' is given twice";
                seenDescr = true;
                SkipSpace();
                if (at_ < text_.size() && text_[at_] == '[') {
                    header.structured = true;
                    if (!SkipBracketed()) return "'descr' is a list that does not end";
                } else if (!ReadString(header.descr)) {
                    return "'descr' is not a quoted string";
                }
            } else if (key == "fortran_order") {
                if (seenOrder) return "'fortran_order' is given twice";
                seenOrder = true;
                const std::string word = ReadWord();
                if (word != "True" && word != "False") return "'fortran_order' is neither True nor False";
                header.fortranOrder = word == "True";
            } else if (key == "shape") {
                if (seenShape) return "'shape' is given twice";
                seenShape = true;
                const std::string wrong = ReadShape(header.shape);
                if (!wrong.empty()) return wrong;
            } else {
                return "an unknown key " + shownKey;
            }
            if (Take(',')) continue;
            if (Take('}')) break;
            return "no ',' or '}' after the value of " + shownKey;
        }
        SkipSpace();
        if (at_ != text_.size()) return "text after the closing '}'";
        if (!seenDescr) return "no 'descr'";
        if (!seenOrder) return "no 'fortran_order'";
        if (!seenShape) return "no 'shape'";
        return "";
    }

private:
    void SkipSpace() {
        while (at_ < text_.size() && std::strchr(" \t\r\n", text_[at_]) && text_[at_] != '\0') ++at_;
    }

    bool Take(char c) {
        SkipSpace();
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }

    // A string in single or double quotes. Escapes are refused: no key or
    // type name numpy writes has one.
    bool ReadString(std::string& value) {
        SkipSpace();
        if (at_ >= text_.size() || (text_[at_] != '\'' && text_[at_] != '"')) return false;
        const char quote = text_[at_];
        const std::size_t end = text_.find(quote, at_ + 1);
        if (end == std::string::npos) return false;
        value = text_.substr(at_ + 1, end - at_ - 1);
        if (value.find_first_of("\\\n") != std::string::npos) return false;
        at_ = end + 1;
        return true;
    }

    std::string ReadWord() {
        SkipSpace();
        const std::size_t start = at_;
        while (at_ < text_.size() && std::isalpha(static_cast<unsigned char>(text_[at_]))) ++at_;
        return text_.substr(start, at_ - start);
    }

    // Steps over a bracketed value, nested brackets and quoted strings
    // included; false when the text ends first.
    bool SkipBracketed() {
        std::size_t depth = 0;
        while (at_ < text_.size()) {
            const char c = text_[at_];
            if (c == '\'' || c == '"') {
                std::string ignored;
                if (!ReadString(ignored)) return false;
                continue;
            }
            ++at_;
            if (c == '[' || c == '(' || c == '{') ++depth;
            if ((c == ']' || c == ')' || c == '}') && --depth == 0) return true;
        }
        return false;
    }

    // A tuple of whole numbers, as numpy writes it: (), (3,), (3, 4). A
    // trailing L, as Python 2 wrote its long integers, is taken too.
    std::string ReadShape(std::vector<std::uint64_t>& shape) {
        const std::string notTuple = "'shape' is not a tuple of whole numbers";
        if (!Take('(')) return notTuple;
        while (!Take(')')) {
            SkipSpace();
            if (at_ >= text_.size() || !std::isdigit(static_cast<unsigned char>(text_[at_]))) return notTuple;
            std::uint64_t value = 0;
            while (at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_]))) {
                const unsigned digit = static_cast<unsigned>(text_[at_] - '0');
                if (value > (static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) - digit) / 10)
                    return "'shape' holds a dimension too large for any file";
                value = value * 10 + digit;
                ++at_;
            }
            if (at_ < text_.size() && text_[at_] == 'L') ++at_;
            shape.push_back(value);
            if (Take(',')) continue;
            if (Take(')')) break;
            return notTuple;
        }
        return "";
    }

    const std::string& text_;
    std::size_t at_ = 0;
};

// Names of the types numpy has beside integers, for saying what a refused
// file holds in numpy's own words.
std::string ForeignTypeName(char kind, const std::string& bytes) {
    const std::string bits = bytes.find_first_not_of("0123456789") == std::string::npos && !bytes.empty() &&
                                     bytes.size() < 4
                                 ? std::to_string(std::stoi(bytes) * 8)
                                 : "";
    switch (kind) {
        case 'f': return "float" + bits;
        case 'c': return "complex" + bits;
        case 'b': return "bool";
        case 'U': return "str";
        case 'S':
        case 'a': return "bytes";
        case 'O': return "object";
        case 'V': return "void";
        case 'M': return "datetime64";
        case 'm': return "timedelta64";
        default: return "";
    }
}

// The type a 'descr' names: kind 'i' or 'u' (levels) or 'f' (values to
// map to levels), and its size in bytes.
struct ItemType {
    char kind = 'i';
    std::size_t size = 4;
};

std::string CheckDescr(const std::string& descr, ItemType& type) {
    const std::string shown = "'" + PrintableText(descr) + "'";
    if (descr.size() < 2 || !std::strchr("<>|=", descr[0]) || descr[0] == '\0')
        return "has the unknown dtype " + shown;
    const char order = descr[0];
    const char kind = descr[1];
    const std::string bytes = descr.substr(2);
    if (kind == 'f' && (bytes == "4" || bytes == "8")) {
        type.kind = kind;
        type.size = static_cast<std::size_t>(bytes[0] - '0');
        if (order == '>') return "is big-endian (" + shown + "); save it little-endian";
        if (order == '|') return "has the dtype " + shown + ", which gives no byte order";
        return "";
    }
    if (kind == 'f') {
        const std::string name = ForeignTypeName(kind, bytes);
        return "holds " + (name == "float" ? shown : name) +
               " values; only integer heights, float32 and float64 values can be shown";
    }
    if (kind != 'i' && kind != 'u') {
        const std::string name = ForeignTypeName(kind, bytes);
        if (name.empty()) return "has the unknown dtype " + shown;
        return "holds " + name + " values; only integer heights can be shown";
    }
    if (bytes != "1" && bytes != "2" && bytes != "4" && bytes != "8") return "has the unknown dtype " + shown;
    type.kind = kind;
    type.size = static_cast<std::size_t>(bytes[0] - '0');
    // A single byte has no order; numpy writes '|' for it.
    if (type.size > 1 && order == '>') return "is big-endian (" + shown + "); save it little-endian";
    if (type.size > 1 && order == '|') return "has the dtype " + shown + ", which gives no byte order";
    return "";
}

// Conversions of one block of cells, read into the grid's own memory where
// the file's cells are no wider than a height, so that no second copy of a
// large grid is ever held.

template <typename Value>
std::int32_t ToHeight(Value value) {
    if constexpr (std::is_signed_v<Value>) {
        if (value < 0) return HeightGrid::emptyCell;
    }
    return static_cast<std::int32_t>(value);
}

// Cells narrower than a height, read into the front of their own place in
// the grid: widened from the last to the first, each cell's target lies at
// or after its source and before every source not yet widened.
template <typename Value>
void WidenInPlace(std::int32_t* cells, std::size_t count) {
    static_assert(sizeof(Value) < sizeof(std::int32_t), "only narrower cells widen in place");
    const char* bytes = reinterpret_cast<const char*>(cells);
    for (std::size_t i = count; i-- > 0;) {
        Value value;
        std::memcpy(&value, bytes + i * sizeof(Value), sizeof value);
        cells[i] = ToHeight(value);
    }
}

// Cells as wide as a height or wider, from `source` (which may be `cells`
// itself): gives the index of the first that is too high, or `count`.
template <typename Value>
std::size_t ConvertChecked(const char* source, std::int32_t* cells, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        Value value;
        std::memcpy(&value, source + i * sizeof(Value), sizeof value);
        if constexpr (std::is_signed_v<Value>) {
            if (value < 0) {
                cells[i] = HeightGrid::emptyCell;
                continue;
            }
        }
        if (static_cast<std::uint64_t>(value) > largestHeight) return i;
        cells[i] = static_cast<std::int32_t>(value);
    }
    return count;
}

// Values mapped to levels, from `source` (which may be `cells` itself):
// gives the index of the first whose level is too high, or `count`.
template <typename Value>
std::size_t MapValues(const char* source, std::int32_t* cells, std::size_t count, const LevelMapping& mapping,
                      std::uint64_t& belowLevelZero) {
    for (std::size_t i = 0; i < count; ++i) {
        Value value;
        std::memcpy(&value, source + i * sizeof(Value), sizeof value);
        std::int32_t level = HeightGrid::emptyCell;
        switch (MapValue(static_cast<double>(value), mapping, level)) {
            case MappedValue::level: break;
            case MappedValue::noValue: level = HeightGrid::emptyCell; break;
            case MappedValue::belowLevelZero: level = HeightGrid::emptyCell, ++belowLevelZero; break;
            case MappedValue::tooHigh: return i;
        }
        cells[i] = level;
    }
    return count;
}

// Converts `count` cells read to `landing` into `cells`; gives the index of
// the first too high for a height, or `count`.
std::size_t ConvertBlock(const ItemType& type, const LevelMapping& mapping, const char* landing, std::int32_t* cells,
                         std::size_t count, std::uint64_t& belowLevelZero) {
    if (type.kind == 'f') {
        return type.size == 4 ? MapValues<float>(landing, cells, count, mapping, belowLevelZero)
                              : MapValues<double>(landing, cells, count, mapping, belowLevelZero);
    }
    const bool isSigned = type.kind == 'i';
    switch (type.size) {
        case 1:
            isSigned ? WidenInPlace<std::int8_t>(cells, count) : WidenInPlace<std::uint8_t>(cells, count);
            return count;
        case 2:
            isSigned ? WidenInPlace<std::int16_t>(cells, count) : WidenInPlace<std::uint16_t>(cells, count);
            return count;
        case 4:
            if (isSigned) {
                // The common file, as the program writes it: the bytes are
                // the heights already, but for the negatives.
                for (std::size_t i = 0; i < count; ++i) cells[i] = std::max(cells[i], HeightGrid::emptyCell);
                return count;
            }
            return ConvertChecked<std::uint32_t>(landing, cells, count);
        default:
            return isSigned ? ConvertChecked<std::int64_t>(landing, cells, count)
                            : ConvertChecked<std::uint64_t>(landing, cells, count);
    }
}

std::string CellName(std::uint64_t index, std::uint64_t columns) {
    return "row " + std::to_string(index / columns + 1) + ", column " + std::to_string(index % columns + 1);
}

std::string ReadCells(std::istream& in, const ItemType& type, const LevelMapping& mapping, HeightGrid& grid,
                      std::size_t blockBytes, std::uint64_t& belowLevelZero) {
    const std::size_t cells = grid.heights.size();
    const std::size_t blockCells = std::max<std::size_t>(1, blockBytes / type.size);
    // Only cells wider than a height need a landing place of their own.
    std::vector<char> wide(type.size > sizeof(std::int32_t) ? std::min(blockCells, cells) * type.size : 0);
    std::size_t done = 0;
    while (done < cells) {
        const std::size_t want = std::min(blockCells, cells - done);
        std::int32_t* target = grid.heights.data() + done;
        char* landing = wide.empty() ? reinterpret_cast<char*>(target) : wide.data();
        in.read(landing, static_cast<std::streamsize>(want * type.size));
        const std::size_t got = static_cast<std::size_t>(in.gcount()) / type.size;
        const std::size_t fit = ConvertBlock(type, mapping, landing, target, got, belowLevelZero);
        if (fit < got && type.kind == 'f') {
            double value = 0;
            if (type.size == 4) {
                float single = 0;
                std::memcpy(&single, landing + fit * type.size, sizeof single);
                value = single;
            } else {
                std::memcpy(&value, landing + fit * type.size, sizeof value);
            }
            return "the value at " + CellName(done + fit, static_cast<std::uint64_t>(grid.columns)) + ", " +
                   ValueText(value) + ", maps to a level above the largest height, " + std::to_string(largestHeight);
        }
        if (fit < got) {
            std::uint64_t value = 0;  // positive, so its bytes read the same signed or not
            std::memcpy(&value, landing + fit * type.size, type.size);
            return "the height at " + CellName(done + fit, static_cast<std::uint64_t>(grid.columns)) + " is " +
                   std::to_string(value) + ", more than the largest height, " + std::to_string(largestHeight);
        }
        done += got;
        if (got < want) return "ends after " + std::to_string(done) + " of the " + std::to_string(cells) + " cells";
    }
    return "";
}

std::string ReadInto(std::istream& in, HeightGrid& grid, std::uint64_t cellLimit, std::size_t blockBytes,
                     const LevelMapping& mapping, std::uint64_t& belowLevelZero) {
    if (!LittleEndian()) return "cannot be read: only little-endian machines read .npy grids";
    const std::string endsInHeader = "ends inside its .npy header";
    char preamble[magicBytes + 2];
    in.read(preamble, sizeof preamble);
    const std::size_t got = static_cast<std::size_t>(in.gcount());
    if (got == 0) return "is empty, not a .npy file";
    if (std::memcmp(preamble, magic, std::min(got, magicBytes)) != 0)
        return "is not a .npy file: it does not start with \\x93NUMPY";
    if (got < sizeof preamble) return endsInHeader;
    const unsigned major = static_cast<unsigned char>(preamble[magicBytes]);
    const unsigned minor = static_cast<unsigned char>(preamble[magicBytes + 1]);
    if (major < 1 || major > 3 || minor != 0)
        return "is a .npy file of version " + std::to_string(major) + "." + std::to_string(minor) +
               ", which cannot be read (versions 1.0, 2.0 and 3.0 can)";

    unsigned char lengthBytes[4] = {};
    const std::size_t lengthSize = major == 1 ? 2 : 4;
    in.read(reinterpret_cast<char*>(lengthBytes), static_cast<std::streamsize>(lengthSize));
    if (static_cast<std::size_t>(in.gcount()) < lengthSize) return endsInHeader;
    const std::uint32_t headerLength = lengthBytes[0] | std::uint32_t{lengthBytes[1]} << 8 |
                                       std::uint32_t{lengthBytes[2]} << 16 | std::uint32_t{lengthBytes[3]} << 24;
    if (headerLength > headerLimit)
        return "has a .npy header of " + std::to_string(headerLength) + " bytes, more than the " +
               std::to_string(headerLimit) + " a header may have";
    std::string text(headerLength, '\0');
    in.read(text.data(), static_cast<std::streamsize>(headerLength));
    if (static_cast<std::uint64_t>(in.gcount()) < headerLength) return endsInHeader;
    if (text.empty() || text.back() != '\n') return "has a .npy header that does not end in a line end";

    NpyHeader header;
    const std::string malformed = HeaderParser(text).Parse(header);
    if (!malformed.empty()) return "has a malformed .npy header: " + malformed;
    if (header.structured) return "holds records of named fields; only plain integer heights can be shown";
    ItemType type;
    const std::string wrongType = CheckDescr(header.descr, type);
    if (!wrongType.empty()) return wrongType;
    if (header.fortranOrder) return "is in Fortran order; save it with numpy.ascontiguousarray";
    if (header.shape.size() != 2)
        return "holds a " + std::to_string(header.shape.size()) +
               "-dimensional array; a grid is a 2-dimensional one (rows, columns)";

    const std::uint64_t rows = header.shape[0];
    const std::uint64_t columns = header.shape[1];
    const std::string size = std::to_string(rows) + " x " + std::to_string(columns) + " cells";
    // The product is checked before it is formed: a header may claim any shape.
    const bool overflows = columns != 0 && rows > std::numeric_limits<std::uint64_t>::max() / columns;
    if (overflows || rows * columns > cellLimit)
        return "holds " + size + ", more than the " + std::to_string(cellLimit) +
               " cells this machine's memory allows";
    const std::uint64_t cells = rows * columns;
    const std::uint64_t addressable = std::min<std::uint64_t>(grid.heights.max_size(),
                                                              std::numeric_limits<std::size_t>::max() / type.size);
    if (cells > addressable) return "holds " + size + ", more than this machine can address";
    try {
        // Huge pages asked for before the first write: on a large grid the
        // page faults of fresh memory otherwise cost more than the reading.
        grid.heights.reserve(static_cast<std::size_t>(cells));
        AdviseHugePages(grid.heights.data(), static_cast<std::size_t>(cells) * sizeof(std::int32_t));
        grid.heights.resize(static_cast<std::size_t>(cells));
    } catch (const std::bad_alloc&) {
        return "holds " + size + ", more than this machine's free memory holds";
    }
    grid.rows = static_cast<std::int64_t>(rows);
    grid.columns = static_cast<std::int64_t>(columns);
    return ReadCells(in, type, mapping, grid, blockBytes, belowLevelZero);
}

}  // namespace

NpyRead ReadNpyGrid(std::istream& in, HeightGrid& grid, std::uint64_t cellLimit, std::size_t blockBytes,
                    const LevelMapping& mapping) {
    grid = HeightGrid{};
    NpyRead read;
    read.refused = ReadInto(in, grid, cellLimit, blockBytes, mapping, read.belowLevelZero);
    if (!read.refused.empty()) read.belowLevelZero = 0, grid = HeightGrid{};
    return read;
}

bool IsNpyFile(const std::string& fileName) {
    if (fileName.size() < 4) return false;
    std::string ending = fileName.substr(fileName.size() - 4);
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ending == ".npy";
}

std::string WriteNpyGrid(const std::string& fileName, const HeightGrid& grid) {
    if (!LittleEndian()) return "only little-endian machines write .npy grids";
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> out(std::fopen(fileName.c_str(), "wb"), std::fclose);
    if (!out) return std::strerror(errno);
    const std::string header = Header(grid);
    const bool written = std::fwrite(header.data(), 1, header.size(), out.get()) == header.size() &&
                         std::fwrite(grid.cells(), sizeof(std::int32_t), grid.cellCount(), out.get()) ==
                             grid.cellCount();
    if (!written) return std::strerror(errno);
    if (std::fclose(out.release()) != 0) return std::strerror(errno);
    return "";
}
