#include "array_grid.h"

#include <algorithm>
#include <cstring>
#include <istream>
#include <limits>
#include <streambuf>

#include "npy_grid.h"
#include "point_limit.h"

namespace {

// The .npy header numpy would write before the cells.
std::string NpyHeader(const ArrayCells& cells) {
    const std::string descr = std::string(cells.itemSize == 1 ? "|" : "<") + cells.kind + std::to_string(cells.itemSize);
    std::string dict = "{'descr': '" + descr + "', 'fortran_order': False, 'shape': (" + std::to_string(cells.rows) +
                       ", " + std::to_string(cells.columns) + "), }";
    const std::size_t fixed = 10;  // magic, version and length
    const std::size_t total = (fixed + dict.size() + 1 + 63) / 64 * 64;
    dict.append(total - fixed - dict.size() - 1, ' ');
    dict += '\n';
    std::string header("\x93NUMPY\x01\x00", 8);
    header += static_cast<char>(dict.size() & 0xff);
    header += static_cast<char>((dict.size() >> 8) & 0xff);
    return header + dict;
}

// The header, then the array's own bytes, read where they lie: the reader
// converts them straight into the grid, with no copy in between.
class TwoPieces : public std::streambuf {
public:
    TwoPieces(std::string& first, const char* second, std::size_t secondSize)
        : second_(const_cast<char*>(second)), secondSize_(secondSize) {
        setg(first.data(), first.data(), first.data() + first.size());
    }

protected:
    int_type underflow() override {
        if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
        if (onSecond_ || secondSize_ == 0) return traits_type::eof();
        onSecond_ = true;
        setg(second_, second_, second_ + secondSize_);
        return traits_type::to_int_type(*gptr());
    }

    std::streamsize xsgetn(char* into, std::streamsize count) override {
        std::streamsize done = 0;
        while (done < count) {
            if (gptr() == egptr() && underflow() == traits_type::eof()) break;
            const std::streamsize step =
                std::min<std::streamsize>({count - done, egptr() - gptr(), std::numeric_limits<int>::max()});
            std::memcpy(into + done, gptr(), static_cast<std::size_t>(step));
            gbump(static_cast<int>(step));
            done += step;
        }
        return done;
    }

private:
    char* second_;
    std::size_t secondSize_;
    bool onSecond_ = false;
};

bool ViewableHeights(const ArrayCells& cells) {
    if (cells.kind != 'i' || cells.itemSize != sizeof(std::int32_t)) return false;
    const auto* heights = static_cast<const std::int32_t*>(cells.data);
    const std::size_t count = static_cast<std::size_t>(cells.rows * cells.columns);
    return std::all_of(heights, heights + count, [](std::int32_t h) { return h >= HeightGrid::emptyCell; });
}

}  // namespace

ArrayGrid GridOfArray(const ArrayCells& cells) {
    ArrayGrid made;
    if (ViewableHeights(cells)) {
        made.grid = HeightGrid::Viewing(static_cast<const std::int32_t*>(cells.data), cells.columns, cells.rows);
        return made;
    }
    std::string header = NpyHeader(cells);
    TwoPieces pieces(header, static_cast<const char*>(cells.data),
                     static_cast<std::size_t>(cells.rows * cells.columns) * cells.itemSize);
    std::istream in(&pieces);
    made.refused = ReadNpyGrid(in, made.grid, MaxLoadableCells()).refused;
    return made;
}
