#include "npy_grid.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

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

}  // namespace

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
                         std::fwrite(grid.heights.data(), sizeof(std::int32_t), grid.heights.size(), out.get()) ==
                             grid.heights.size();
    if (!written) return std::strerror(errno);
    if (std::fclose(out.release()) != 0) return std::strerror(errno);
    return "";
}
