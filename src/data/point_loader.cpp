// The grid is read in two passes over its text held in memory: the first
// counts the points (and finds where the grid ends, or that it is too big),
// the second writes them into arrays reserved once for exactly that count.
// Loading a terrain is mostly the cost of first touching 24 bytes a point, so
// the arrays are never grown, copied or zero-filled on the way.
#include "point_loader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

bool operator==(const LoadOutcome& a, const LoadOutcome& b) {
    return a.end == b.end && a.row == b.row && a.column == b.column && a.needed == b.needed;
}

namespace {

// ---------------------------------------------------------------------------
// The text

// A NUL byte always follows the text, so the white-space and digit loops stop
// at the end without a bound check of their own.
constexpr std::size_t kSentinelBytes = 1;

// The hint from the stream only sizes the first allocation; a bigger file is
// still read, by growing the buffer.
constexpr std::size_t kMaxSizeHint = std::size_t{1} << 30;

// The grid text read so far from the stream.
class Text {
public:
    const char* begin() const { return data_.get(); }
    const char* end() const { return data_.get() + size_; }
    std::size_t size() const { return size_; }

    void reserve(std::size_t bytes) {
        if (data_ && bytes <= capacity_) return;
        std::size_t capacity = std::max(bytes, 2 * capacity_);
        // Not value-initialised: the bytes are written by the reads before use.
        std::unique_ptr<char[]> grown(new char[capacity + kSentinelBytes]);
        if (size_ > 0) std::memcpy(grown.get(), data_.get(), size_);
        data_ = std::move(grown);
        capacity_ = capacity;
        data_[size_] = '\0';
    }

    // Appends up to `count` bytes from `in`; false once `in` has no more to
    // give (its end, or a read error, which ends the data the same way).
    bool append_from(std::istream& in, std::size_t count) {
        reserve(size_ + count);
        in.read(data_.get() + size_, static_cast<std::streamsize>(count));
        size_ += static_cast<std::size_t>(in.gcount());
        data_[size_] = '\0';
        return in.good();
    }

private:
    std::unique_ptr<char[]> data_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

// How many bytes the stream says are left (a regular file knows), to size the
// text buffer once; 0 when it cannot tell.
std::size_t size_hint(std::istream& in) {
    std::streamsize left = in.rdbuf()->in_avail();
    if (left <= 0) return 0;
    return std::min(static_cast<std::size_t>(left), kMaxSizeHint);
}

// How many bytes to ask for next: blocks grow with the text so far, so that a
// cell straddling a block end is rescanned a bounded number of times overall;
// and no more than one byte past what the stream said is left, so that a
// small file is read, and its end seen, in one small request.
std::size_t next_request(std::size_t block_size, std::size_t read_so_far, std::size_t hint) {
    std::size_t want = std::max({block_size, read_so_far, std::size_t{1}});
    if (hint > read_so_far) want = std::min(want, hint - read_so_far + 1);
    return want;
}

// ---------------------------------------------------------------------------
// Reading one cell the way the stream does

// The classic locale's white space, which `>> int` skips: blank, \t \n \v \f \r.
inline bool is_space(char c) {
    return c == ' ' || static_cast<unsigned char>(c - '\t') < 5;
}

inline bool is_digit(char c) { return static_cast<unsigned char>(c - '0') < 10; }

// Past this the exact value of a digit string no longer matters (it is out of
// the int range either way), so it stops growing and cannot overflow.
constexpr std::uint64_t kBeyondInt = std::uint64_t{1} << 32;
constexpr std::uint64_t kMaxPositive = 2147483647;
constexpr std::uint64_t kMaxNegative = 2147483648;

// One grid cell as the stream reading sees it: a height, one separator byte
// taken unseen, then a look at the byte after it.
struct Cell {
    int height = 0;
    const char* next = nullptr;  // where reading goes on: the look-ahead byte
    bool row_end = false;        // the look-ahead byte is CR or LF
    bool input_ends = false;     // no separator or look-ahead byte: the next read fails
};

enum class CellRead { read, unreadable, incomplete };

// Reads the cell at `p` as `>> int`, `get()` and `peek()` do: white space
// skipped, an optional sign, then every decimal digit up to the first
// non-digit (leading zeros too); no digit, or a value outside the int range,
// fails. `incomplete` when the answer depends on bytes past `end` that may
// still come (`at_eof` false).
inline CellRead read_cell(const char* p, const char* end, bool at_eof, Cell& cell) {
    while (is_space(*p)) ++p;
    bool negative = *p == '-';
    if (negative || *p == '+') ++p;
    const char* digits = p;
    std::uint64_t value = 0;
    while (is_digit(*p)) {
        if (value < kBeyondInt) value = value * 10 + static_cast<unsigned>(*p - '0');
        ++p;
    }
    // The stream reads digits until one is not: more text could extend them.
    if (p == end && !at_eof) return CellRead::incomplete;
    if (p == digits || value > (negative ? kMaxNegative : kMaxPositive)) return CellRead::unreadable;
    cell.height = negative ? static_cast<int>(-static_cast<long long>(value)) : static_cast<int>(value);

    cell.input_ends = false;
    cell.row_end = false;
    if (p != end) {
        ++p;  // the separator, whatever byte it is
        if (p != end) {
            cell.row_end = *p == '\r' || *p == '\n';
        } else if (!at_eof) {
            return CellRead::incomplete;
        } else {
            cell.input_ends = true;
        }
    } else {
        cell.input_ends = true;
    }
    cell.next = p;
    return CellRead::read;
}

// ---------------------------------------------------------------------------
// Walking the grid

// The counters of the row rule: reading stops after as many rows as the
// latest row had cells.
struct GridPosition {
    long long row = 0;
    long long column = 0;
    long long row_limit = 1;
};

enum class ScanStop { need_more, complete, data_ended, refused };

// Hands every cell from `p` on to `sink` until the grid ends, a height cannot
// be read, the sink refuses, or more text is needed. On return `p` and `at`
// stand at the cell not yet handed on, so a scan stopped for more text
// resumes where it stopped.
template <class Sink>
ScanStop scan_cells(const char*& p, const char* end, bool at_eof, GridPosition& at, Sink& sink) {
    for (;;) {
        Cell cell;
        CellRead read = read_cell(p, end, at_eof, cell);
        if (read == CellRead::incomplete) return ScanStop::need_more;
        if (read == CellRead::unreadable) return ScanStop::data_ended;
        if (!sink.add(at.row, at.column, cell.height)) return ScanStop::refused;
        p = cell.next;
        ++at.column;
        if (cell.input_ends) return ScanStop::data_ended;  // the next height's read fails
        if (cell.row_end) {
            at.row_limit = at.column;
            ++at.row;
            at.column = 0;
            if (at.row >= at.row_limit) return ScanStop::complete;
        }
    }
}

// First pass: the number of points, and the first height that would take it
// beyond the limit.
class PointCounter {
public:
    explicit PointCounter(std::uint64_t limit) : limit_(limit) {}

    bool add(long long, long long, int height) {
        if (height < 0) return true;
        std::uint64_t needed = points_ + static_cast<std::uint64_t>(height) + 1;
        if (needed > limit_) {
            points_ = needed;
            return false;
        }
        points_ = needed;
        return true;
    }

    // After a refusal: the count the refused height would have brought.
    std::uint64_t points() const { return points_; }

private:
    std::uint64_t limit_;
    std::uint64_t points_ = 0;
};

// z of a cell's points is 0, 1, ..., h: copied from this table rather than
// converted one by one.
constexpr std::size_t kLevelTableSize = 256;
constexpr std::array<double, kLevelTableSize> make_level_table() {
    std::array<double, kLevelTableSize> table{};
    for (std::size_t i = 0; i < kLevelTableSize; ++i) table[i] = static_cast<double>(i);
    return table;
}
constexpr std::array<double, kLevelTableSize> kLevels = make_level_table();

// Second pass: appends every cell's points to arrays that already have room
// for all of them.
class PointWriter {
public:
    PointWriter(std::vector<double>& x, std::vector<double>& y, std::vector<double>& z)
        : x_(x), y_(y), z_(z) {}

    bool add(long long row, long long column, int height) {
        if (row != row_) {
            finish_row();
            row_ = row;
        }
        if (height < 0) return true;
        std::size_t count = static_cast<std::size_t>(height) + 1;
        x_.insert(x_.end(), count, static_cast<double>(column));
        append_levels(count);
        row_points_ += count;
        return true;
    }

    void finish() { finish_row(); }

private:
    // All points of a row share their y, so a row's y values go in as one run.
    void finish_row() {
        y_.insert(y_.end(), row_points_, static_cast<double>(row_));
        row_points_ = 0;
    }

    void append_levels(std::size_t count) {
        std::size_t from_table = std::min(count, kLevelTableSize);
        z_.insert(z_.end(), kLevels.begin(), kLevels.begin() + from_table);
        for (std::size_t level = from_table; level < count; ++level) z_.push_back(static_cast<double>(level));
    }

    std::vector<double>& x_;
    std::vector<double>& y_;
    std::vector<double>& z_;
    long long row_ = 0;
    std::size_t row_points_ = 0;
};

}  // namespace

LoadOutcome load_points(std::istream& in, std::vector<double>& x, std::vector<double>& y,
                        std::vector<double>& z, std::uint64_t point_limit, std::size_t block_size) {
    LoadOutcome outcome;
    // The header goes through the stream itself, so that its floating-point
    // forms and failures are exactly the stream's. Any failure, or the end of
    // the input right after it, makes the first height unreadable.
    double header = 0;
    in >> header;
    if (!in.good()) {
        outcome.end = LoadOutcome::End::data_ended;
        return outcome;
    }

    // First pass, block by block as the text comes in.
    Text text;
    const std::size_t hint = size_hint(in);
    text.reserve(hint + 1);
    GridPosition at;
    PointCounter counter(point_limit);
    std::size_t resume = 0;
    bool at_eof = false;
    ScanStop stop = ScanStop::need_more;
    while (stop == ScanStop::need_more) {
        at_eof = !text.append_from(in, next_request(block_size, text.size(), hint));
        const char* p = text.begin() + resume;
        stop = scan_cells(p, text.end(), at_eof, at, counter);
        resume = static_cast<std::size_t>(p - text.begin());
    }

    if (stop == ScanStop::refused) {
        outcome.end = LoadOutcome::End::refused;
        outcome.row = at.row;
        outcome.column = at.column;
        outcome.needed = counter.points();
        return outcome;
    }
    if (stop == ScanStop::data_ended) {
        outcome.end = LoadOutcome::End::data_ended;
        outcome.row = at.row;
        outcome.column = at.column;
    }

    // Second pass over the same text: it reaches the same end, since no cell
    // the first pass read depended on bytes beyond the text.
    x.reserve(counter.points());
    y.reserve(counter.points());
    z.reserve(counter.points());
    PointWriter writer(x, y, z);
    GridPosition fill_at;
    const char* p = text.begin();
    scan_cells(p, text.end(), at_eof, fill_at, writer);
    writer.finish();
    return outcome;
}
