// .npy files made byte by byte, so that tests can give the grid reader any
// header, version or cell bytes, as other writers may produce them.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// A header dict as numpy writes it, line end included.
inline std::string NpyDict(const std::string& descr, const std::string& shape, bool fortranOrder = false) {
    return "{'descr': '" + descr + "', 'fortran_order': " + (fortranOrder ? "True" : "False") + ", 'shape': " +
           shape + ", }\n";
}

// The whole file: magic, version `major`.0, the header length (two bytes
// for version 1, four after), `header` as given and then `cells`.
inline std::string NpyBytes(const std::string& header, const std::string& cells, int major = 1) {
    std::string bytes("\x93NUMPY", 6);
    bytes += static_cast<char>(major);
    bytes += '\0';
    const int lengthBytes = major == 1 ? 2 : 4;
    for (int i = 0; i < lengthBytes; ++i) bytes += static_cast<char>((header.size() >> (8 * i)) & 0xff);
    return bytes + header + cells;
}

// `values` as little-endian integers of `width` bytes each, two's
// complement for the negatives.
inline std::string LittleEndianCells(const std::vector<std::int64_t>& values, int width) {
    std::string bytes;
    for (std::int64_t value : values) {
        const auto bits = static_cast<std::uint64_t>(value);
        for (int i = 0; i < width; ++i) bytes += static_cast<char>((bits >> (8 * i)) & 0xff);
    }
    return bytes;
}

// `values` as little-endian floats of `width` bytes each (4 or 8), on a
// little-endian machine as the reader needs one.
inline std::string LittleEndianFloats(const std::vector<double>& values, int width) {
    std::string bytes;
    for (double value : values) {
        char cell[8];
        if (width == 4) {
            const float single = static_cast<float>(value);
            std::memcpy(cell, &single, 4);
        } else {
            std::memcpy(cell, &value, 8);
        }
        bytes.append(cell, static_cast<std::size_t>(width));
    }
    return bytes;
}
