// Which faces of a sphere in a terrain of columns lie open to the eye: its
// column's top, and its side towards each neighbour whose top is lower. A
// sphere a pixel or two wide is lit with the average light of those faces.
#pragma once

#include <cstdint>

enum OpenFace : unsigned char { openTop = 1, openPlusX = 2, openMinusX = 4, openPlusY = 8, openMinusY = 16 };

// For a sphere at level `z` of a column whose top is `top`, beside columns
// whose tops are the others (-1 where there is none).
inline unsigned char OpenFaces(std::int64_t z, std::int64_t top, std::int64_t plusX, std::int64_t minusX,
                               std::int64_t plusY, std::int64_t minusY) {
    return static_cast<unsigned char>((z >= top ? openTop : 0) | (plusX < z ? openPlusX : 0) |
                                      (minusX < z ? openMinusX : 0) | (plusY < z ? openPlusY : 0) |
                                      (minusY < z ? openMinusY : 0));
}
