#include "point_writer.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <system_error>
#include <thread>

#include "page_advice.h"

namespace {

// z of a cell's points is 0, 1, ..., h: copied from this table rather than
// converted one by one.
constexpr std::size_t levelTableSize = 256;
constexpr std::array<double, levelTableSize> MakeLevelTable() {
    std::array<double, levelTableSize> table{};
    for (std::size_t i = 0; i < levelTableSize; ++i) table[i] = static_cast<double>(i);
    return table;
}
constexpr std::array<double, levelTableSize> levelTable = MakeLevelTable();

// Calls visitCell(column, pointCount) for every cell of the record that has
// points, in order.
template <class OnCell>
void ForEachCell(const GridRecord& record, OnCell visitCell) {
    const GridRecord::Byte* cell = record.cells();
    for (std::uint64_t length : record.RowLengths()) {
        for (std::uint64_t column = 0; column < length; ++column) {
            const unsigned code = static_cast<unsigned>(*cell++);
            if (code <= GridRecord::largestSmall) {
                visitCell(column, std::size_t{code} + 1);
            } else if (code == GridRecord::large) {
                unsigned char bytes[sizeof(int)];
                for (unsigned char& b : bytes) b = static_cast<unsigned char>(*cell++);
                int height = 0;
                std::memcpy(&height, bytes, sizeof(int));
                visitCell(column, static_cast<std::size_t>(height) + 1);
            }
        }
    }
}

// Most cells hold a few points, and a call into the vector per cell would
// cost more than writing them. So a cell's values are written into a small
// buffer that stays in the first-level cache, in fixed runs of runLength values (a
// cell's run may spill past its points; the next cell overwrites the spill),
// and moved into the array a buffer at a time. Taller cells go straight into
// the array.
class CellAppender {
public:
    static constexpr std::size_t runLength = 4;
    static constexpr std::size_t tallCell = 64;
    static_assert(tallCell + runLength <= levelTableSize, "a buffered cell's levels and spill are in the table");

    explicit CellAppender(std::vector<double>& out) : out_(out) {}

    // Room for `count` values (at most bufferSize) and a run's spill.
    double* room(std::size_t count) {
        if (used_ + count > bufferSize) flush();
        return buffer_ + used_;
    }
    void commit(std::size_t count) { used_ += count; }

    void flush() {
        out_.insert(out_.end(), buffer_, buffer_ + used_);
        used_ = 0;
    }

    static constexpr std::size_t bufferSize = 1024;

private:
    std::vector<double>& out_;
    std::size_t used_ = 0;
    // Room for a full buffer plus the spill of the last run.
    double buffer_[bufferSize + runLength];
};

// Every point of a cell has the cell's column as x.
void WriteX(const GridRecord& record, std::vector<double>& x) {
    CellAppender appender(x);
    ForEachCell(record, [&](std::uint64_t column, std::size_t count) {
        const double value = static_cast<double>(column);
        if (count > CellAppender::tallCell) {
            appender.flush();
            x.insert(x.end(), count, value);
            return;
        }
        double* out = appender.room(count);
        for (std::size_t done = 0; done < count; done += CellAppender::runLength) {
            for (std::size_t i = 0; i < CellAppender::runLength; ++i) out[done + i] = value;
        }
        appender.commit(count);
    });
    appender.flush();
}

// The points of a cell of height h have z = 0, 1, ..., h.
void WriteZ(const GridRecord& record, std::vector<double>& z) {
    CellAppender appender(z);
    ForEachCell(record, [&](std::uint64_t, std::size_t count) {
        if (count <= CellAppender::tallCell) {
            double* out = appender.room(count);
            // A cell this short has all its levels in the table (plus the spill).
            for (std::size_t done = 0; done < count; done += CellAppender::runLength) {
                std::memcpy(out + done, levelTable.data() + done, CellAppender::runLength * sizeof(double));
            }
            appender.commit(count);
            return;
        }
        for (std::size_t level = 0; level < count; level += CellAppender::bufferSize) {
            const std::size_t run = std::min(CellAppender::bufferSize, count - level);
            double* out = appender.room(run);
            for (std::size_t i = 0; i < run; ++i) out[i] = static_cast<double>(level + i);
            appender.commit(run);
        }
    });
    appender.flush();
}

// All points of a row share its number as y.
void WriteY(const GridRecord& record, std::vector<double>& y) {
    double row = 0;
    for (std::uint64_t count : record.RowPoints()) {
        y.insert(y.end(), count, row);
        row += 1;
    }
}

// Below this many points a second thread costs more to start than it saves.
// The fuzz build lowers it, so that small inputs take the two-thread road too.
#ifndef PELORIN_POINTS_FOR_TWO_THREADS
#define PELORIN_POINTS_FOR_TWO_THREADS (std::uint64_t{1} << 20)
#endif
constexpr std::uint64_t pointsForTwoThreads = PELORIN_POINTS_FOR_TWO_THREADS;

}  // namespace

void WritePoints(const GridRecord& record, std::vector<double>& x, std::vector<double>& y,
                  std::vector<double>& z) {
    // Reserved here, before any writing, so that no write below allocates
    // (and none can throw).
    for (std::vector<double>* array : {&x, &y, &z}) {
        array->reserve(record.points());
        AdviseHugePages(array->data(), record.points() * sizeof(double));
    }
    // Most of the time goes into the kernel's first touch of the arrays'
    // pages. With a second thread: it takes y's pages and then writes z,
    // while this one writes x and then y into pages already there.
    std::thread helper;
    if (record.points() >= pointsForTwoThreads) {
        try {
            helper = std::thread([&record, &y, &z] {
                PopulatePages(y.data(), record.points() * sizeof(double));
                WriteZ(record, z);
            });
        } catch (const std::system_error&) {
            // No thread to be had: z is written below, after x and y.
        }
    }
    WriteX(record, x);
    WriteY(record, y);
    if (helper.joinable()) {
        helper.join();
    } else {
        WriteZ(record, z);
    }
}
