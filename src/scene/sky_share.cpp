#include "sky_share.h"

#include <algorithm>
#include <cmath>

namespace {

const int directions[8][2] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
const int steps[] = {1, 2, 3, 4, 6, 8, 12, 16};

}  // namespace

SkyShares::SkyShares(const std::int32_t* tops, std::int64_t width, std::int64_t depth, double spacing, double radius)
    : tops_(tops), width_(width), depth_(depth), spacing_(spacing), radius_(radius) {}

float SkyShares::At(std::int64_t column, std::int64_t row, std::int32_t level) const {
    if (column < 0 || row < 0 || column >= width_ || row >= depth_) return 1;
    const std::int32_t top = tops_[row * width_ + column];
    // The sphere above hides the sky within its own angle: of a cosine-
    // weighted hemisphere that is the share sin² of that angle, radius²
    // for spheres one unit apart.
    const double covered = level < top ? std::min(1.0, radius_ * radius_) : 0.0;
    double share = 0;
    for (const auto& direction : directions) {
        const double length = std::sqrt(static_cast<double>(direction[0] * direction[0] + direction[1] * direction[1]));
        double slope = 0;  // tangent of the horizon's height
        for (int step : steps) {
            const std::int64_t x = column + direction[0] * step, y = row + direction[1] * step;
            if (x < 0 || y < 0 || x >= width_ || y >= depth_) break;
            const std::int32_t other = tops_[y * width_ + x];
            if (other < 0) continue;
            // Seen from the sphere's top, over the other column's top.
            slope = std::max(slope, (other - level) / (step * length * spacing_));
        }
        // Of a cosine-weighted hemisphere, the directions above a height h
        // take the share cos² h = 1 / (1 + tan² h).
        share += std::max(0.0, 1 / (1 + slope * slope) - covered);
    }
    return static_cast<float>(share / 8);
}

unsigned char SkyShares::Byte(std::int64_t column, std::int64_t row, std::int32_t level) const {
    return static_cast<unsigned char>(std::lround(std::clamp(At(column, row, level), 0.0f, 1.0f) * 255));
}
