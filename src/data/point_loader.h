// Reading a height-grid file into the three coordinate arrays.
//
// The file is a header number followed by rows of integer heights, each
// height followed by one separator character; a row ends where a carriage
// return or line feed follows the separator, and reading stops after as many
// rows as the latest row had heights. A cell of height h at column c, row r
// becomes the h + 1 points (c, r, 0) ... (c, r, h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <vector>

// How loading a grid ended. Rows and columns count from 0.
struct LoadOutcome {
    enum class End {
        complete,    // the row rule ended the grid
        dataEnded,  // no height could be read at (row, column); the points before it are kept
        refused,     // the height at (row, column) would bring the point count to `needed`,
                     // beyond the limit; the arrays hold nothing to be used
    };
    End end = End::complete;
    long long row = 0;
    long long column = 0;
    std::uint64_t needed = 0;
};

bool operator==(const LoadOutcome& a, const LoadOutcome& b);
inline bool operator!=(const LoadOutcome& a, const LoadOutcome& b) { return !(a == b); }

// The size of the first block read after the header; later blocks grow with
// the text read so far.
constexpr std::size_t loadBlockSize = std::size_t{1} << 20;

// Reads the header and the grid from `in` (positioned at the start of the
// file) into the empty arrays x, y and z. A grid of more than `pointLimit`
// points is refused before any array memory is taken. Gives exactly the
// points and outcome that reading with `>> double`, `>> int`, `get()` and
// `peek()` gives, but reads the grid text in blocks of at least `blockSize`
// bytes and takes the array memory once.
LoadOutcome LoadPoints(std::istream& in, std::vector<double>& x, std::vector<double>& y,
                        std::vector<double>& z, std::uint64_t pointLimit,
                        std::size_t blockSize = loadBlockSize);

struct HeightGrid;

// The same file read into a grid of heights: the same cells, outcome and
// messages, but the limit is on cells (`needed` counts cells when refused),
// and no point is made.
LoadOutcome LoadGrid(std::istream& in, HeightGrid& grid, std::uint64_t cellLimit,
                     std::size_t blockSize = loadBlockSize);

// A grid's points counted, not kept.
struct PointCount {
    LoadOutcome outcome;
    std::uint64_t points = 0;  // as many as LoadPoints gives (none when refused)
    long long columns = 0;     // cells across, up to the last column holding a point
    long long rows = 0;        // rows, up to the last holding a point
    long long gridColumns = 0; // cells across the widest row, empty ones too
    long long gridRows = 0;    // rows read, empty ones too
    int highest = -1;          // the highest height; -1 when there is none
};

// The outcome LoadPoints gives for `in`, and the size of the point set it
// would make, read in blocks of `blockSize` bytes: whatever the file's size,
// no more than a block and a cell's text are held at a time, and no point.
PointCount CountFilePoints(std::istream& in, std::uint64_t pointLimit, std::size_t blockSize = loadBlockSize);
