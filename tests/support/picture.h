// RGB pictures read back from a window, and the colour classes the tests ask
// about: the white background and the red of a lit sphere.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <string>
#include <vector>

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;  // row by row, 3 bytes a pixel

    const unsigned char* pixel(int x, int y) const {
        return &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
    }
};

inline bool IsWhite(const unsigned char* p) { return p[0] >= 250 && p[1] >= 250 && p[2] >= 250; }

// Lit or shaded, the sphere's diffuse red clearly dominates green and blue;
// the whitish highlights and the darkest creases count as neither.
inline bool IsRed(const unsigned char* p) { return p[0] >= 60 && p[0] >= p[1] + 40 && p[0] >= p[2] + 40; }

// The colour map's top colour, lit or shaded: red and green alike, and far
// above blue.
inline bool IsTopColour(const unsigned char* p) {
    return p[0] > 60 && p[0] > 2.5 * p[2] && p[1] > 2.5 * p[2] && std::abs(p[0] - p[1]) < 60;
}

// The share of the terrain's (not white) pixels in the top colour.
inline double TopColourShare(const Picture& picture) {
    long terrain = 0, top = 0;
    for (std::size_t i = 0; i + 2 < picture.rgb.size(); i += 3) {
        if (IsWhite(&picture.rgb[i])) continue;
        ++terrain;
        top += IsTopColour(&picture.rgb[i]);
    }
    return terrain > 0 ? static_cast<double>(top) / terrain : 0;
}

// A grid file of `size` columns a side whose heights climb from 0 at the
// left to `top` at the right.
inline std::string RampText(int size, int top) {
    std::string text = std::to_string(size) + "\n";
    for (int row = 0; row < size; ++row) {
        for (int column = 0; column < size; ++column) text += std::to_string(column * top / (size - 1)) + " ";
        text += "\n";
    }
    return text;
}

struct ColourShare {
    double white = 0;
    double red = 0;
};

inline ColourShare Shares(const Picture& picture) {
    long white = 0, red = 0;
    for (std::size_t i = 0; i + 2 < picture.rgb.size(); i += 3) {
        white += IsWhite(&picture.rgb[i]);
        red += IsRed(&picture.rgb[i]);
    }
    const double total = static_cast<double>(picture.width) * picture.height;
    return {white / total, red / total};
}

inline long DifferingPixels(const Picture& a, const Picture& b) {
    if (a.width != b.width || a.height != b.height) return -1;
    long count = 0;
    for (std::size_t i = 0; i + 2 < a.rgb.size(); i += 3) {
        count += a.rgb[i] != b.rgb[i] || a.rgb[i + 1] != b.rgb[i + 1] || a.rgb[i + 2] != b.rgb[i + 2];
    }
    return count;
}

// The share of pixels whose channels all lie within `levels` of the other's;
// 0 for pictures of different sizes.
inline double ShareWithinLevels(const Picture& a, const Picture& b, int levels) {
    if (a.width != b.width || a.height != b.height || a.rgb.empty()) return 0;
    long close = 0;
    for (std::size_t i = 0; i + 2 < a.rgb.size(); i += 3) {
        bool near = true;
        for (std::size_t k = 0; k < 3; ++k) near = near && std::abs(a.rgb[i + k] - b.rgb[i + k]) <= levels;
        close += near;
    }
    return static_cast<double>(close) / (static_cast<double>(a.width) * a.height);
}

// The rows in the other order: pictures read back from OpenGL start at the
// bottom, pictures read from files at the top.
inline Picture UpsideDown(const Picture& picture) {
    Picture flipped = picture;
    const std::size_t row = static_cast<std::size_t>(picture.width) * 3;
    for (int y = 0; y < picture.height; ++y) {
        std::copy_n(&picture.rgb[y * row], row, &flipped.rgb[(picture.height - 1 - y) * row]);
    }
    return flipped;
}

// The mean absolute difference per channel, in levels of 255; -1 for
// pictures of different sizes.
inline double MeanDifference(const Picture& a, const Picture& b) {
    if (a.width != b.width || a.height != b.height || a.rgb.empty()) return -1;
    double sum = 0;
    for (std::size_t i = 0; i < a.rgb.size(); ++i) sum += std::abs(a.rgb[i] - b.rgb[i]);
    return sum / static_cast<double>(a.rgb.size());
}

// How far `a` is from `reference`, in levels of 255 a channel: the mean over
// the pixels where either is not white, and the mean of the worst block of
// `side` x `side` pixels (where a seam or a speckled patch shows).
struct PictureError {
    double mean = -1, worstBlock = -1;
};
inline PictureError ErrorAgainst(const Picture& a, const Picture& reference, int side = 32) {
    PictureError error;
    if (a.width != reference.width || a.height != reference.height || a.rgb.empty()) return error;
    double sum = 0;
    long shown = 0;
    for (std::size_t p = 0; p < a.rgb.size(); p += 3) {
        if (IsWhite(&a.rgb[p]) && IsWhite(&reference.rgb[p])) continue;
        for (std::size_t c = 0; c < 3; ++c) sum += std::abs(a.rgb[p + c] - reference.rgb[p + c]);
        ++shown;
    }
    error.mean = shown > 0 ? sum / (3.0 * static_cast<double>(shown)) : 0;
    error.worstBlock = 0;
    for (int y0 = 0; y0 < a.height; y0 += side) {
        for (int x0 = 0; x0 < a.width; x0 += side) {
            double block = 0;
            int pixels = 0;
            for (int y = y0; y < std::min(y0 + side, a.height); ++y) {
                for (int x = x0; x < std::min(x0 + side, a.width); ++x, ++pixels) {
                    const std::size_t p = 3 * (static_cast<std::size_t>(y) * static_cast<std::size_t>(a.width) + static_cast<std::size_t>(x));
                    for (std::size_t c = 0; c < 3; ++c) block += std::abs(a.rgb[p + c] - reference.rgb[p + c]);
                }
            }
            error.worstBlock = std::max(error.worstBlock, block / (3.0 * pixels));
        }
    }
    return error;
}
