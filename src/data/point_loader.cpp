// The grid is loaded in two passes: the first reads the text, block by block,
// into a compact record of the cells (and so learns the point count, where
// the grid ends, or that it is too big); the second writes the points into
// arrays reserved once for exactly that count (point_writer.cpp). Loading a
// terrain is mostly the cost of first touching 24 bytes a point, so the
// arrays are never grown, copied or zero-filled on the way.
#include "point_loader.h"

#include "grid_record.h"
#include "height_grid.h"
#include "page_advice.h"
#include "point_writer.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

bool operator==(const LoadOutcome& a, const LoadOutcome& b) {
    return a.end == b.end && a.row == b.row && a.column == b.column && a.needed == b.needed;
}

namespace {

// ---------------------------------------------------------------------------
// The text

// A NUL byte always follows the text, so the white-space and digit loops stop
// at the end without a bound check of their own.
constexpr std::size_t sentinelBytes = 1;

// The hint from the stream only sizes the first allocation; a bigger file is
// still read, by growing the buffer.
constexpr std::size_t maxSizeHint = std::size_t{1} << 30;

// The grid text read so far from the stream.
class Text {
public:
    const char* begin() const { return data_->data(); }
    const char* end() const { return data_->data() + size_; }
    std::size_t size() const { return size_; }

    void reserve(std::size_t bytes) {
        if (data_ && bytes <= capacity_) return;
        std::size_t capacity = std::max(bytes, 2 * capacity_);
        // Not value-initialised: the bytes are written by the reads before use.
        auto grown = std::make_unique<PageBlock<char>>(capacity + sentinelBytes);
        if (size_ > 0) std::memcpy(grown->data(), data_->data(), size_);
        data_ = std::move(grown);
        capacity_ = capacity;
        data_->data()[size_] = '\0';
    }

    // Appends up to `count` bytes from `in`; false once `in` has no more to
    // give (its end, or a read error, which ends the data the same way).
    bool AppendFrom(std::istream& in, std::size_t count) {
        reserve(size_ + count);
        in.read(data_->data() + size_, static_cast<std::streamsize>(count));
        size_ += static_cast<std::size_t>(in.gcount());
        data_->data()[size_] = '\0';
        return in.good();
    }

private:
    std::unique_ptr<PageBlock<char>> data_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

// How many bytes are left in the stream, to size the text buffer once; 0 when
// it cannot tell (a pipe, say). Asked of the stream buffer, which measures a
// file by seeking to its end and back and leaves the stream's state alone.
std::size_t sizeHint(std::istream& in) {
    std::streambuf& source = *in.rdbuf();
    const std::streampos here = source.pubseekoff(0, std::ios::cur, std::ios::in);
    if (here == std::streampos(-1)) return 0;
    const std::streampos end = source.pubseekoff(0, std::ios::end, std::ios::in);
    if (source.pubseekpos(here, std::ios::in) != here) {
        in.setstate(std::ios::badbit);  // lost its place: nothing more can be read right
        return 0;
    }
    if (end == std::streampos(-1) || end < here) return 0;
    return std::min(static_cast<std::size_t>(end - here), maxSizeHint);
}

// How many bytes to ask for next: blocks grow with the text so far, so that a
// cell straddling a block end is rescanned a bounded number of times overall;
// and no more than one byte past what the stream said is left, so that a
// small file is read, and its end seen, in one small request.
std::size_t NextRequest(std::size_t blockSize, std::size_t readSoFar, std::size_t hint) {
    std::size_t want = std::max({blockSize, readSoFar, std::size_t{1}});
    if (hint > readSoFar) want = std::min(want, hint - readSoFar + 1);
    return want;
}

// ---------------------------------------------------------------------------
// Reading one cell the way the stream does

// The classic locale's white space, which `>> int` skips: blank, \t \n \v \f \r.
inline bool IsSpace(char c) {
    return c == ' ' || static_cast<unsigned char>(c - '\t') < 5;
}

inline bool IsDigit(char c) { return static_cast<unsigned char>(c - '0') < 10; }

// Past this the exact value of a digit string no longer matters (it is out of
// the int range either way), so it stops growing and cannot overflow.
constexpr std::uint64_t beyondInt = std::uint64_t{1} << 32;
constexpr std::uint64_t maxPositive = 2147483647;
constexpr std::uint64_t maxNegative = 2147483648;

// One grid cell as the stream reading sees it: a height, one separator byte
// taken unseen, then a look at the byte after it.
struct Cell {
    int height = 0;
    const char* next = nullptr;  // where reading goes on: the look-ahead byte
    bool rowEnd = false;        // the look-ahead byte is CR or LF
    bool inputEnds = false;     // no separator or look-ahead byte: the next read fails
};

enum class CellRead { read, unreadable, incomplete };

// Reads the cell at `p` as `>> int`, `get()` and `peek()` do: white space
// skipped, an optional sign, then every decimal digit up to the first
// non-digit (leading zeros too); no digit, or a value outside the int range,
// fails. `incomplete` when the answer depends on bytes past `end` that may
// still come (`atEof` false).
inline CellRead ReadCell(const char* p, const char* end, bool atEof, Cell& cell) {
    while (IsSpace(*p)) ++p;
    bool negative = *p == '-';
    if (negative || *p == '+') ++p;
    const char* digits = p;
    std::uint64_t value = 0;
    while (IsDigit(*p)) {
        if (value < beyondInt) value = value * 10 + static_cast<unsigned>(*p - '0');
        ++p;
    }
    // The stream reads digits until one is not: more text could extend them.
    if (p == end && !atEof) return CellRead::incomplete;
    if (p == digits || value > (negative ? maxNegative : maxPositive)) return CellRead::unreadable;
    cell.height = negative ? static_cast<int>(-static_cast<long long>(value)) : static_cast<int>(value);

    cell.inputEnds = false;
    cell.rowEnd = false;
    if (p != end) {
        ++p;  // the separator, whatever byte it is
        if (p != end) {
            cell.rowEnd = *p == '\r' || *p == '\n';
        } else if (!atEof) {
            return CellRead::incomplete;
        } else {
            cell.inputEnds = true;
        }
    } else {
        cell.inputEnds = true;
    }
    cell.next = p;
    return CellRead::read;
}

// The common cell, read without the general case's checks: one or two digits
// right where reading stands, then the separator and the look-ahead byte,
// both inside the text. False when the cell is of any other shape.
inline bool ReadShortCell(const char* p, const char* end, Cell& cell) {
    // Each byte is looked at only if the one before it is a digit, so never
    // past the NUL after the text.
    unsigned first = static_cast<unsigned char>(p[0] - '0');
    if (first > 9) return false;
    unsigned second = static_cast<unsigned char>(p[1] - '0');
    const char* separator = p + 1;
    int height = static_cast<int>(first);
    if (second <= 9) {
        if (static_cast<unsigned char>(p[2] - '0') <= 9) return false;
        separator = p + 2;
        height = static_cast<int>(first * 10 + second);
    }
    if (end - separator < 2) return false;
    cell.height = height;
    cell.next = separator + 1;
    cell.rowEnd = *cell.next == '\r' || *cell.next == '\n';
    cell.inputEnds = false;
    return true;
}

// ---------------------------------------------------------------------------
// Walking the grid

// The counters of the row rule: reading stops after as many rows as the
// latest row had cells.
struct GridPosition {
    long long row = 0;
    long long column = 0;
    long long rowLimit = 1;
};

enum class ScanStop { needMore, complete, dataEnded, refused };

// Hands every cell from `p` on to `sink` until the grid ends, a height cannot
// be read, the sink refuses, or more text is needed. On return `p` and `at`
// stand at the cell not yet handed on, so a scan stopped for more text
// resumes where it stopped.
template <class Sink>
ScanStop ScanCells(const char*& p, const char* end, bool atEof, GridPosition& at, Sink& sink) {
    for (;;) {
        Cell cell;
        if (!ReadShortCell(p, end, cell)) {
            CellRead read = ReadCell(p, end, atEof, cell);
            if (read == CellRead::incomplete) return ScanStop::needMore;
            if (read == CellRead::unreadable) return ScanStop::dataEnded;
        }
        if (!sink.add(at.row, at.column, cell.height)) return ScanStop::refused;
        p = cell.next;
        ++at.column;
        if (cell.inputEnds) return ScanStop::dataEnded;  // the next height's read fails
        if (cell.rowEnd) {
            at.rowLimit = at.column;
            ++at.row;
            at.column = 0;
            if (at.row >= at.rowLimit) return ScanStop::complete;
        }
    }
}

// How a scan's stop reads as the loading's outcome.
LoadOutcome OutcomeOf(ScanStop stop, const GridPosition& at, std::uint64_t points) {
    LoadOutcome outcome;
    if (stop == ScanStop::refused) {
        outcome.end = LoadOutcome::End::refused;
        outcome.needed = points;
    } else if (stop == ScanStop::dataEnded) {
        outcome.end = LoadOutcome::End::dataEnded;
    }
    if (stop != ScanStop::complete) {
        outcome.row = at.row;
        outcome.column = at.column;
    }
    return outcome;
}

// The sink that counts: the record's rule for the limit, and the extent of
// the cells holding points.
class PointCounter {
public:
    explicit PointCounter(std::uint64_t limit) : limit_(limit) {}

    bool add(long long row, long long column, int height) {
        gridColumns_ = std::max(gridColumns_, column + 1);
        gridRows_ = row + 1;
        if (height < 0) return true;
        highest_ = std::max(highest_, height);
        points_ += static_cast<std::uint64_t>(height) + 1;
        if (points_ > limit_) return false;
        columns_ = std::max(columns_, column + 1);
        rows_ = row + 1;
        return true;
    }

    std::uint64_t points() const { return points_; }
    long long columns() const { return columns_; }
    long long rows() const { return rows_; }
    long long gridColumns() const { return gridColumns_; }
    long long gridRows() const { return gridRows_; }
    int highest() const { return highest_; }

private:
    std::uint64_t limit_;
    std::uint64_t points_ = 0;
    long long columns_ = 0;
    long long rows_ = 0;
    long long gridColumns_ = 0;
    long long gridRows_ = 0;
    int highest_ = -1;
};

// The sink that keeps the cells as a grid of heights: each row's cells as
// they come, then laid out `columns` wide once the widest row is known. The
// limit is on cells, whatever their heights.
class GridCells {
public:
    GridCells(std::uint64_t limit, std::size_t expectedCells) : limit_(limit) {
        cells_.reserve(std::min<std::uint64_t>(expectedCells, limit));
    }

    bool add(long long row, long long, int height) {
        if (cells_.size() >= limit_) return false;
        if (row != static_cast<long long>(rowLengths_.size()) - 1) rowLengths_.push_back(0);
        ++rowLengths_.back();
        cells_.push_back(height < 0 ? HeightGrid::emptyCell : height);
        return true;
    }

    // Cells taken so far, and the count the refused cell would have brought.
    std::uint64_t count() const { return cells_.size() + 1; }

    void MoveInto(HeightGrid& grid) {
        std::uint64_t widest = 0;
        for (std::uint64_t length : rowLengths_) widest = std::max(widest, length);
        grid.columns = static_cast<std::int64_t>(widest);
        grid.rows = static_cast<std::int64_t>(rowLengths_.size());
        const bool rectangular = std::all_of(rowLengths_.begin(), rowLengths_.end(),
                                             [&](std::uint64_t length) { return length == widest; });
        if (rectangular) {
            grid.heights = std::move(cells_);
            return;
        }
        grid.heights.assign(static_cast<std::size_t>(widest * rowLengths_.size()), HeightGrid::emptyCell);
        std::size_t from = 0;
        for (std::size_t row = 0; row < rowLengths_.size(); ++row) {
            std::copy_n(cells_.begin() + static_cast<std::ptrdiff_t>(from), rowLengths_[row],
                        grid.heights.begin() + static_cast<std::ptrdiff_t>(row * widest));
            from += rowLengths_[row];
        }
        cells_ = {};
    }

private:
    std::uint64_t limit_;
    std::vector<std::int32_t> cells_;
    std::vector<std::uint64_t> rowLengths_;
};

// The text of the cell a scan stopped in for want of more, shortened to what
// decides how it reads: leading white space is skipped anyway, leading zeros
// add nothing to the value, and past eleven digits any number is out of the
// int range. So the bytes kept between blocks stay a handful, even for a
// file of one endless cell. The byte after the digits (a separator waiting
// for its look-ahead) is kept as it is.
std::string UnreadCell(const char* p, const char* end) {
    constexpr std::ptrdiff_t digitsBeyondInt = 11;
    while (p != end && IsSpace(*p)) ++p;
    std::string kept;
    if (p != end && (*p == '-' || *p == '+')) kept += *p++;
    while (end - p > 1 && p[0] == '0' && IsDigit(p[1])) ++p;
    const char* digits = p;
    while (p != end && IsDigit(*p)) ++p;
    kept.append(digits, static_cast<std::size_t>(std::min(p - digits, digitsBeyondInt)));
    kept.append(p, end);
    return kept;
}

}  // namespace

namespace {

// The header goes through the stream itself, so that its floating-point
// forms and failures are exactly the stream's. Any failure, or the end of
// the input right after it, makes the first height unreadable.
bool ReadHeader(std::istream& in) {
    double header = 0;
    in >> header;
    return in.good();
}

// Scans the whole grid text of `in` into `sink`, block by block as the text
// comes in.
template <class Sink>
std::pair<ScanStop, GridPosition> ScanText(std::istream& in, std::size_t hint, std::size_t blockSize, Sink& sink) {
    GridPosition at;
    ScanStop stop = ScanStop::needMore;
    Text text;
    text.reserve(hint + 1);
    std::size_t resume = 0;
    while (stop == ScanStop::needMore) {
        bool atEof = !text.AppendFrom(in, NextRequest(blockSize, text.size(), hint));
        const char* p = text.begin() + resume;
        stop = ScanCells(p, text.end(), atEof, at, sink);
        resume = static_cast<std::size_t>(p - text.begin());
    }
    return {stop, at};
}

LoadOutcome UnreadableHeader() {
    LoadOutcome outcome;
    outcome.end = LoadOutcome::End::dataEnded;
    return outcome;
}

}  // namespace

LoadOutcome LoadPoints(std::istream& in, std::vector<double>& x, std::vector<double>& y,
                        std::vector<double>& z, std::uint64_t pointLimit, std::size_t blockSize) {
    if (!ReadHeader(in)) return UnreadableHeader();
    // A cell takes at least two bytes of text (the last one may take one).
    const std::size_t hint = sizeHint(in);
    GridRecord record(pointLimit, hint / 2 + 1);
    const auto [stop, at] = ScanText(in, hint, blockSize, record);
    record.finish();

    const LoadOutcome outcome = OutcomeOf(stop, at, record.points());
    if (stop != ScanStop::refused) WritePoints(record, x, y, z);
    return outcome;
}

LoadOutcome LoadGrid(std::istream& in, HeightGrid& grid, std::uint64_t cellLimit, std::size_t blockSize) {
    if (!ReadHeader(in)) return UnreadableHeader();
    const std::size_t hint = sizeHint(in);
    GridCells cells(cellLimit, hint / 2 + 1);
    const auto [stop, at] = ScanText(in, hint, blockSize, cells);
    const LoadOutcome outcome = OutcomeOf(stop, at, cells.count());
    if (stop != ScanStop::refused) cells.MoveInto(grid);
    return outcome;
}

PointCount CountFilePoints(std::istream& in, std::uint64_t pointLimit, std::size_t blockSize) {
    PointCount count;
    double header = 0;
    in >> header;
    if (!in.good()) {
        count.outcome.end = LoadOutcome::End::dataEnded;
        return count;
    }
    const std::size_t block = std::max(blockSize, std::size_t{1});
    PointCounter counter(pointLimit);
    GridPosition at;
    ScanStop stop = ScanStop::needMore;
    // A std::string keeps a NUL after its text, as the scan needs.
    std::string text;
    while (stop == ScanStop::needMore) {
        const std::size_t kept = text.size();
        text.resize(kept + block);
        in.read(&text[kept], static_cast<std::streamsize>(block));
        text.resize(kept + static_cast<std::size_t>(in.gcount()));
        const char* p = text.data();
        stop = ScanCells(p, text.data() + text.size(), !in.good(), at, counter);
        text = UnreadCell(p, text.data() + text.size());
    }
    count.outcome = OutcomeOf(stop, at, counter.points());
    if (stop != ScanStop::refused) {
        count.points = counter.points();
        count.columns = counter.columns();
        count.rows = counter.rows();
        count.gridColumns = counter.gridColumns();
        count.gridRows = counter.gridRows();
        count.highest = counter.highest();
    }
    return count;
}
