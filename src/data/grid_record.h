#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "page_advice.h"

// What the first pass of loading keeps of the grid text: every cell read, in
// order, with the number of cells and of points of each row, the point count,
// and the first height that would take that count beyond the limit. A height
// takes one byte when it is small, as on any terrain, so that the second pass
// writes the points without reading the text again, and the text can go
// before the arrays are taken.
class GridRecord {
public:
    // A byte of the record. Its own type rather than unsigned char, which
    // the compiler must assume may alias any other memory, so that storing
    // one does not force the scan's counters back to memory every cell.
    enum class Byte : unsigned char {};

    // Byte codes: a height of 0 to largestSmall stands for itself.
    static constexpr unsigned largestSmall = 253;
    static constexpr unsigned char negative = 254;  // no points, but a column
    static constexpr unsigned char large = 255;     // the int follows in 4 bytes

    GridRecord(std::uint64_t limit, std::size_t expectedCells) : limit_(limit) { grow(expectedCells); }

    bool add(long long row, long long, int height) {
        if (row != row_) {
            EndRow();
            row_ = row;
        }
        ++cells_in_row_;
        if (height < 0) {
            put(Byte{negative});
            return true;
        }
        points_ += static_cast<std::uint64_t>(height) + 1;
        if (points_ > limit_) return false;
        if (static_cast<unsigned>(height) <= largestSmall) {
            put(static_cast<Byte>(height));
        } else {
            unsigned char bytes[sizeof(int)];
            std::memcpy(bytes, &height, sizeof(int));
            put(Byte{large});
            for (unsigned char b : bytes) put(Byte{b});
        }
        return true;
    }

    void finish() { EndRow(); }

    // After a refusal: the count the refused height would have brought.
    std::uint64_t points() const { return points_; }
    const Byte* cells() const { return data_->data(); }
    const std::vector<std::uint64_t>& RowLengths() const { return row_lengths_; }
    const std::vector<std::uint64_t>& RowPoints() const { return row_points_; }

private:
    void put(Byte byte) {
        if (next_ == end_) grow(2 * static_cast<std::size_t>(end_ - data_->data()));
        *next_++ = byte;
    }

    void grow(std::size_t capacity) {
        capacity = std::max(capacity, std::size_t{64});
        std::size_t size = data_ ? static_cast<std::size_t>(next_ - data_->data()) : 0;
        // Not value-initialised: every byte is written before it is read.
        auto grown = std::make_unique<PageBlock<Byte>>(capacity);
        if (size > 0) std::memcpy(grown->data(), data_->data(), size);
        data_ = std::move(grown);
        next_ = data_->data() + size;
        end_ = data_->data() + capacity;
    }

    void EndRow() {
        if (cells_in_row_ > 0) {
            row_lengths_.push_back(cells_in_row_);
            row_points_.push_back(points_ - points_before_row_);
        }
        cells_in_row_ = 0;
        points_before_row_ = points_;
    }

    std::uint64_t limit_;
    std::uint64_t points_ = 0;
    std::unique_ptr<PageBlock<Byte>> data_;
    Byte* next_ = nullptr;
    Byte* end_ = nullptr;
    std::vector<std::uint64_t> row_lengths_;
    std::vector<std::uint64_t> row_points_;
    std::uint64_t points_before_row_ = 0;
    long long row_ = 0;
    std::uint64_t cells_in_row_ = 0;
};
