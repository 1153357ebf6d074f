#include "impostors/impostor_tiles.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "impostors/open_faces.h"
#include "survey/point_survey.h"
#include "survey/sky_share.h"
#include "survey/point_view.h"

namespace {

bool Even(double v) { return (static_cast<std::int64_t>(std::floor(v)) & 1) == 0; }

bool CoarseColumn(double x, double y) { return Even(x) && Even(y); }

}  // namespace

SphereLayout::SphereLayout(const PointView& points, const PointSurvey& survey, const std::vector<bool>& leftOut,
                           int side)
    : points_(points), fromPoints_(true), leftOut_(&leftOut) {
    Build(survey, side);
}

SphereLayout::SphereLayout(const PointSurvey& survey, bool shellOnly, int side)
    : columns_(&survey.columns), floor_(survey.floor), shellOnly_(shellOnly) {
    Build(survey, side);
}

template <typename Visit>
void SphereLayout::ForEachColumn(Visit visit) const {
    const ColumnTable& table = *columns_;
    for (std::int64_t row = 1; row + 1 < table.depth; ++row) {
        for (std::int64_t column = 1; column + 1 < table.width; ++column) {
            const std::size_t cell = static_cast<std::size_t>(row * table.width + column);
            const std::int32_t top = table.top[cell];
            if (top < 0) continue;
            // Levels floor + 1 .. m - 1 are shut in, m being the lowest top around.
            std::int32_t lowest = floor_;
            if (shellOnly_) {
                lowest = top;
                for (std::int64_t dy = -1; dy <= 1; ++dy) {
                    for (std::int64_t dx = -1; dx <= 1; ++dx) {
                        lowest = std::min(lowest, table.top[static_cast<std::size_t>(
                                                      static_cast<std::int64_t>(cell) + dy * table.width + dx)]);
                    }
                }
            }
            const double x = static_cast<double>(table.lowestX + column - 1);
            const double y = static_cast<double>(table.lowestY + row - 1);
            visit(x, y, std::max<std::int64_t>(lowest, std::int64_t{floor_} + 1), top);
        }
    }
}

template <typename Visit>
void SphereLayout::ForEachSphere(Visit visit) const {
    if (fromPoints_) {
        for (std::size_t i = 0; i < points_.count; ++i) {
            if (leftOut_->empty() || !(*leftOut_)[i]) visit(points_.x[i], points_.y[i], points_.z[i]);
        }
        return;
    }
    // The levels between the ground and `from` are never visited: a tall
    // column costs what its open levels cost. Counted wide, so that a top of
    // the largest int ends the loop.
    ForEachColumn([&](double x, double y, std::int64_t from, std::int64_t top) {
        visit(x, y, static_cast<double>(floor_));
        for (std::int64_t z = from; z <= top; ++z) visit(x, y, static_cast<double>(z));
    });
}

void SphereLayout::Build(const PointSurvey& survey, int side) {
    side_ = side > 0 ? side : 32;
    if (survey.empty()) return;
    minX_ = survey.lowest[0], minY_ = survey.lowest[1];
    const double maxX = survey.highest[0], maxY = survey.highest[1];
    lowest_ = static_cast<float>(survey.lowest[2]);
    highest_ = static_cast<float>(survey.highest[2]);
    auto tilesAcross = [&](double extent) { return static_cast<std::size_t>(extent / side_) + 1; };
    while (static_cast<double>(tilesAcross(maxX - minX_)) * static_cast<double>(tilesAcross(maxY - minY_)) >
           static_cast<double>(survey.count) + 1024) {
        side_ *= 2;
    }
    across_ = tilesAcross(maxX - minX_);
    tiles_.resize(across_ * tilesAcross(maxY - minY_));
    // Counted wide: a tall enough surface holds more spheres than a slot
    // number can reach, and is then kept as a count alone, for the buffer
    // to refuse.
    std::vector<std::uint64_t> counts(tiles_.size()), coarse(tiles_.size());
    auto take = [&](double x, double y, double lowZ, double highZ, std::uint64_t spheres) {
        const std::size_t t = TileOf(x, y);
        SphereTile& tile = tiles_[t];
        const std::array<float, 3> low = {static_cast<float>(x), static_cast<float>(y), static_cast<float>(lowZ)};
        const std::array<float, 3> high = {low[0], low[1], static_cast<float>(highZ)};
        if (counts[t] == 0) tile.low = low, tile.high = high;
        for (int k = 0; k < 3; ++k) tile.low[k] = std::min(tile.low[k], low[k]), tile.high[k] = std::max(tile.high[k], high[k]);
        counts[t] += spheres;
        if (CoarseColumn(x, y)) coarse[t] += spheres;
    };
    if (fromPoints_) {
        ForEachSphere([&](double x, double y, double z) { take(x, y, z, z, 1); });
    } else {
        ForEachColumn([&](double x, double y, std::int64_t from, std::int64_t top) {
            const std::uint64_t run = top >= from ? static_cast<std::uint64_t>(top - from + 1) : 0;
            take(x, y, floor_, static_cast<double>(std::max<std::int64_t>(top, floor_)), run + 1);
        });
    }
    for (std::size_t t = 0; t < tiles_.size(); ++t) spheres_ += counts[t];
    if (spheres_ > UINT32_MAX) {
        tiles_.clear();
        return;
    }
    std::uint64_t first = 0;
    for (std::size_t t = 0; t < tiles_.size(); ++t) {
        tiles_[t].first = static_cast<std::uint32_t>(first);
        tiles_[t].count = static_cast<std::uint32_t>(counts[t]);
        tiles_[t].coarse = static_cast<std::uint32_t>(coarse[t]);
        first += counts[t];
    }
}

namespace {

// The table has a border of empty columns, so every column has neighbours.
unsigned char OpenFacesAt(const ColumnTable& columns, double x, double y, double z) {
    const std::size_t cell = columns.CellOf(x, y), row = static_cast<std::size_t>(columns.width);
    const std::int32_t* top = columns.top.data();
    return OpenFaces(static_cast<std::int64_t>(z), top[cell], top[cell + 1], top[cell - 1], top[cell + row],
                     top[cell - row]);
}

}  // namespace

std::size_t SphereLayout::TileOf(double x, double y) const {
    return static_cast<std::size_t>((y - minY_) / side_) * across_ + static_cast<std::size_t>((x - minX_) / side_);
}

void SphereLayout::Place(float* out, unsigned char* traits, bool shares, double radius) const {
    std::optional<SkyShares> sky;
    if (traits != nullptr && shares && columns_ != nullptr) sky.emplace(columns_->top.data(), columns_->width, columns_->depth, 1.0, radius);
    // Next free slot of each tile's coarse part and of the rest.
    std::vector<std::uint32_t> coarseNext(tiles_.size()), fineNext(tiles_.size());
    for (std::size_t t = 0; t < tiles_.size(); ++t) {
        coarseNext[t] = tiles_[t].first;
        fineNext[t] = tiles_[t].first + tiles_[t].coarse;
    }
    ForEachSphere([&](double x, double y, double z) {
        const std::size_t t = TileOf(x, y);
        const std::uint32_t slot = CoarseColumn(x, y) ? coarseNext[t]++ : fineNext[t]++;
        float* p = out + 3 * static_cast<std::size_t>(slot);
        p[0] = static_cast<float>(x), p[1] = static_cast<float>(y), p[2] = static_cast<float>(z);
        if (traits == nullptr) return;
        unsigned char* trait = traits + (shares ? 2 : 1) * static_cast<std::size_t>(slot);
        trait[0] = columns_ != nullptr ? OpenFacesAt(*columns_, x, y, z) : 0;
        if (!shares) return;
        trait[1] = sky ? sky->Byte(static_cast<std::int64_t>(x) - columns_->lowestX + 1,
                                   static_cast<std::int64_t>(y) - columns_->lowestY + 1, static_cast<std::int32_t>(z))
                       : 255;
    });
}

bool OutsideView(const std::array<float, 3>& low, const std::array<float, 3>& high, const std::array<double, 16>& clip,
                 double radius) {
    auto row = [&](int r, int k) { return clip[static_cast<std::size_t>(4 * k + r)]; };
    for (int axis = 0; axis < 3; ++axis) {
        for (double sign : {1.0, -1.0}) {
            double plane[4];
            for (int k = 0; k < 4; ++k) plane[k] = row(3, k) + sign * row(axis, k);
            const double length = std::sqrt(plane[0] * plane[0] + plane[1] * plane[1] + plane[2] * plane[2]);
            // The box corner furthest along the plane's inward normal.
            double reach = plane[3];
            for (int k = 0; k < 3; ++k) reach += plane[k] * (plane[k] > 0 ? high[k] : low[k]);
            // A small margin keeps the answer on the safe side of rounding.
            if (reach < -(radius * 1.01 + 1e-3) * length) return true;
        }
    }
    return false;
}

void VisibleRuns(const std::vector<SphereTile>& tiles, const std::array<double, 16>& clip, double radius,
                 bool coarse, bool skipOutside, std::vector<std::int32_t>& firsts,
                 std::vector<std::int32_t>& counts) {
    firsts.clear();
    counts.clear();
    for (const SphereTile& tile : tiles) {
        const std::uint32_t count = coarse ? tile.coarse : tile.count;
        if (count == 0 || (skipOutside && OutsideView(tile.low, tile.high, clip, radius))) continue;
        const auto first = static_cast<std::int32_t>(tile.first);
        if (!firsts.empty() && firsts.back() + counts.back() == first) {
            counts.back() += static_cast<std::int32_t>(count);
        } else {
            firsts.push_back(first);
            counts.push_back(static_cast<std::int32_t>(count));
        }
    }
}
