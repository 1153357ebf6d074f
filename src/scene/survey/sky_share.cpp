#include "survey/sky_share.h"

#include <algorithm>
#include <cmath>

namespace {

const int directions[8][2] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
const int steps[] = {1, 2, 3, 4, 6, 8, 12, 16};

// Below any level: a step with no column hides nothing.
const float nothing = -1e30f;

}  // namespace

SkyShares::SkyShares(const std::int32_t* tops, std::int64_t width, std::int64_t depth, double spacing, double radius)
    : tops_(tops), width_(width), depth_(depth), radius_(radius) {
    for (int d = 0; d < directionCount; ++d) {
        const double length = std::sqrt(static_cast<double>(directions[d][0] * directions[d][0] +
                                                            directions[d][1] * directions[d][1]));
        for (int k = 0; k < stepCount; ++k) reciprocal_[d][k] = static_cast<float>(1 / (steps[k] * length * spacing));
    }
}

void SkyShares::Look(std::int64_t column, std::int64_t row) const {
    lookedColumn_ = column, lookedRow_ = row;
    for (int d = 0; d < directionCount; ++d) {
        for (int k = 0; k < stepCount; ++k) {
            const std::int64_t x = column + directions[d][0] * steps[k], y = row + directions[d][1] * steps[k];
            const bool inside = x >= 0 && y >= 0 && x < width_ && y < depth_;
            const std::int32_t top = inside ? tops_[y * width_ + x] : -1;
            seen_[d][k] = top < 0 ? nothing : static_cast<float>(top);
        }
    }
}

float SkyShares::At(std::int64_t column, std::int64_t row, std::int32_t level) const {
    if (column < 0 || row < 0 || column >= width_ || row >= depth_) return 1;
    const std::int32_t top = tops_[row * width_ + column];
    // The sphere above hides the sky within its own angle: of a cosine-
    // weighted hemisphere that is the share sin² of that angle, radius²
    // for spheres one unit apart.
    const float covered = level < top ? static_cast<float>(std::min(1.0, radius_ * radius_)) : 0.0f;
    if (column != lookedColumn_ || row != lookedRow_) Look(column, row);
    const float height = static_cast<float>(level);
    float share = 0;
    for (int d = 0; d < directionCount; ++d) {
        // The tangent of the horizon's height, seen from the sphere's top
        // over the other columns' tops.
        float slope = 0;
        for (int k = 0; k < stepCount; ++k) slope = std::max(slope, (seen_[d][k] - height) * reciprocal_[d][k]);
        // Of a cosine-weighted hemisphere, the directions above a height h
        // take the share cos² h = 1 / (1 + tan² h).
        share += std::max(0.0f, 1 / (1 + slope * slope) - covered);
    }
    return share / directionCount;
}

unsigned char SkyShares::Byte(std::int64_t column, std::int64_t row, std::int32_t level) const {
    return static_cast<unsigned char>(std::lround(std::clamp(At(column, row, level), 0.0f, 1.0f) * 255));
}
