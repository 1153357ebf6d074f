#include "impostors/impostor_levels.h"

#include <algorithm>
#include <cmath>

#include "impostors/impostor_tiles.h"
#include "impostors/open_faces.h"
#include "survey/point_survey.h"
#include "survey/sky_share.h"

namespace {

// The highest top of each 2x2 group of `finer`'s blocks.
template <typename Grid>
Grid Coarser(const Grid& finer) {
    Grid grid;
    grid.width = (finer.width + 1) / 2;
    grid.depth = (finer.depth + 1) / 2;
    grid.top.assign(static_cast<std::size_t>(grid.width * grid.depth), -1);
    for (std::int64_t y = 0; y < grid.depth; ++y) {
        for (std::int64_t x = 0; x < grid.width; ++x) {
            grid.top[static_cast<std::size_t>(y * grid.width + x)] =
                std::max({finer.at(2 * x, 2 * y), finer.at(2 * x + 1, 2 * y), finer.at(2 * x, 2 * y + 1),
                          finer.at(2 * x + 1, 2 * y + 1)});
        }
    }
    return grid;
}

}  // namespace

BlockLevels::BlockLevels(const PointSurvey& survey, const SphereLayout& layout, bool shellOnly, int coarsest)
    : layout_(layout), shellOnly_(shellOnly), floor_(survey.floor) {
    const ColumnTable& columns = survey.columns;
    if (columns.empty()) return;
    columnsAcross_ = columns.width - 2;
    columnsDeep_ = columns.depth - 2;
    Grid level0;
    level0.width = columnsAcross_;
    level0.depth = columnsDeep_;
    level0.top.resize(static_cast<std::size_t>(level0.width * level0.depth));
    for (std::int64_t y = 0; y < level0.depth; ++y) {
        for (std::int64_t x = 0; x < level0.width; ++x) {
            level0.top[static_cast<std::size_t>(y * level0.width + x)] =
                columns.top[static_cast<std::size_t>((y + 1) * columns.width + x + 1)];
        }
    }
    const std::size_t tiles = layout.tiles().size();
    for (int level = 1; level <= coarsest && (1 << level) <= layout.side(); ++level) {
        grids_.push_back(Coarser(grids_.empty() ? level0 : grids_.back()));
        runs_.emplace_back(tiles);
        for (std::size_t t = 0; t < tiles; ++t) {
            LevelRun& run = runs_.back()[t];
            run.first = static_cast<std::uint32_t>(spheres_);
            // Counted a block at a time, wide: a tall block's wall is
            // counted, not walked.
            std::uint64_t count = 0, coarseCount = 0;
            TileBlocks(level, t, [&](const BlockColumn& block, bool coarse, std::int64_t, std::int64_t) {
                const std::array<float, 3> low = {block.x, block.y, static_cast<float>(floor_)};
                const std::array<float, 3> high = {block.x, block.y, static_cast<float>(block.top)};
                if (count == 0) run.low = low, run.high = high;
                for (int k = 0; k < 3; ++k) run.low[k] = std::min(run.low[k], low[k]), run.high[k] = std::max(run.high[k], high[k]);
                count += block.spheres(floor_);
                if (coarse) coarseCount += block.spheres(floor_);
            });
            if (spheres_ + count > UINT32_MAX) {
                runs_.clear(), grids_.clear();
                spheres_ = 0;
                return;
            }
            run.count = static_cast<std::uint32_t>(count);
            run.coarse = static_cast<std::uint32_t>(coarseCount);
            spheres_ += run.count;
        }
    }
}

bool BlockLevels::Block(int level, std::int64_t bx, std::int64_t by, BlockColumn& block) const {
    const Grid& grid = grids_[static_cast<std::size_t>(level - 1)];
    const std::int32_t top = grid.at(bx, by);
    if (top < 0) return false;
    // The level just above the lowest top around stays open to the side.
    std::int32_t lowest = top;
    for (std::int64_t dy = -1; dy <= 1; ++dy) {
        for (std::int64_t dx = -1; dx <= 1; ++dx) lowest = std::min(lowest, grid.at(bx + dx, by + dy));
    }
    const std::int32_t bottom = shellOnly_ ? std::max(lowest, floor_) : floor_;
    // The middle of the block's columns that lie inside the grid.
    const std::int64_t s = std::int64_t{1} << level;
    const double x0 = static_cast<double>(bx * s), y0 = static_cast<double>(by * s);
    const double x1 = static_cast<double>(std::min(bx * s + s, columnsAcross_) - 1);
    const double y1 = static_cast<double>(std::min(by * s + s, columnsDeep_) - 1);
    block.x = static_cast<float>(layout_.lowestX() + (x0 + x1) / 2);
    block.y = static_cast<float>(layout_.lowestY() + (y0 + y1) / 2);
    block.bottom = bottom;
    block.top = top;
    block.step = s;
    return true;
}

template <typename Visit>
void BlockLevels::TileSpheres(int level, std::size_t tile, Visit sphere) const {
    TileBlocks(level, tile, [&](const BlockColumn& block, bool coarse, std::int64_t bx, std::int64_t by) {
        for (std::int64_t z = block.top; z > block.bottom; z -= block.step) {
            sphere(block.x, block.y, static_cast<float>(z), coarse, bx, by);
        }
        sphere(block.x, block.y, static_cast<float>(block.bottom), coarse, bx, by);
        // Nothing lies below the ground layer: it shows from below.
        if (block.bottom > floor_) sphere(block.x, block.y, static_cast<float>(floor_), coarse, bx, by);
    });
}

template <typename Visit>
void BlockLevels::TileBlocks(int level, std::size_t tile, Visit visit) const {
    const std::int64_t blocksPerTile = layout_.side() >> level;
    const std::int64_t across = static_cast<std::int64_t>(layout_.across());
    const std::int64_t tx = static_cast<std::int64_t>(tile) % across, ty = static_cast<std::int64_t>(tile) / across;
    for (const bool coarse : {true, false}) {
        for (std::int64_t by = ty * blocksPerTile; by < (ty + 1) * blocksPerTile; ++by) {
            for (std::int64_t bx = tx * blocksPerTile; bx < (tx + 1) * blocksPerTile; ++bx) {
                if ((bx % 2 == 0 && by % 2 == 0) != coarse) continue;
                BlockColumn block;
                if (Block(level, bx, by, block)) visit(block, coarse, bx, by);
            }
        }
    }
}

void BlockLevels::Place(float* out, unsigned char* traits, bool shares, double radius) const {
    const std::size_t stride = shares ? 2 : 1;
    for (int level = 1; level <= coarsest(); ++level) {
        const Grid& grid = grids_[static_cast<std::size_t>(level - 1)];
        const SkyShares sky(grid.top.data(), grid.width, grid.depth, static_cast<double>(1 << level), radius);
        for (std::size_t t = 0; t < runs_[static_cast<std::size_t>(level - 1)].size(); ++t) {
            const std::size_t first = run(level, t).first;
            float* p = out + 3 * first;
            unsigned char* trait = traits == nullptr ? nullptr : traits + stride * first;
            TileSpheres(level, t, [&](float x, float y, float z, bool, std::int64_t bx, std::int64_t by) {
                *p++ = x, *p++ = y, *p++ = z;
                if (trait == nullptr) return;
                trait[0] = OpenFaces(static_cast<std::int64_t>(z), grid.at(bx, by), grid.at(bx + 1, by), grid.at(bx - 1, by),
                                     grid.at(bx, by + 1), grid.at(bx, by - 1));
                if (shares) trait[1] = sky.Byte(bx, by, static_cast<std::int32_t>(z));
                trait += stride;
            });
        }
    }
}

int LevelForSize(double pixels, double threshold, int coarsest) {
    int level = 0;
    while (level < coarsest && !(pixels * (1 << level) >= threshold)) ++level;
    return level;
}

namespace {

void Append(LevelDraws& draws, std::uint32_t first, std::uint32_t count) {
    if (count == 0) return;
    const auto start = static_cast<std::int32_t>(first);
    if (!draws.firsts.empty() && draws.firsts.back() + draws.counts.back() == start) {
        draws.counts.back() += static_cast<std::int32_t>(count);
    } else {
        draws.firsts.push_back(start);
        draws.counts.push_back(static_cast<std::int32_t>(count));
    }
}

// The least depth along the view axis of any sphere of `radius` centred in
// the box.
double NearestDepth(const std::array<float, 3>& low, const std::array<float, 3>& high, const DetailView& view) {
    double depth = 0;
    for (int k = 0; k < 3; ++k) {
        const double f = view.forward[static_cast<std::size_t>(k)];
        depth += f * ((f > 0 ? low[static_cast<std::size_t>(k)] : high[static_cast<std::size_t>(k)]) -
                      view.eye[static_cast<std::size_t>(k)]);
    }
    return depth - view.radius;
}

}  // namespace

std::vector<LevelDraws> PlanLevels(const std::vector<SphereTile>& tiles,
                                   const std::vector<std::vector<LevelRun>>& levelRuns, std::uint32_t levelBase,
                                   const std::array<double, 16>& clip, const DetailView& view) {
    const int coarsest = static_cast<int>(levelRuns.size());
    std::vector<LevelDraws> draws(static_cast<std::size_t>(coarsest) + 1);
    for (std::size_t t = 0; t < tiles.size(); ++t) {
        const SphereTile& tile = tiles[t];
        if (tile.count == 0) continue;
        const double depth = NearestDepth(tile.low, tile.high, view);
        const double pixels = depth > 0 ? 2 * view.radius * view.pixelsPerUnit / depth : HUGE_VAL;
        const int level = LevelForSize(pixels, view.threshold, coarsest);
        if (level == 0) {
            if (!view.skipOutside || !OutsideView(tile.low, tile.high, clip, view.radius)) {
                Append(draws[0], tile.first, view.coarse ? tile.coarse : tile.count);
            }
            continue;
        }
        const LevelRun& run = levelRuns[static_cast<std::size_t>(level - 1)][t];
        if (run.count > 0 && (!view.skipOutside || !OutsideView(run.low, run.high, clip, view.radius * (1 << level)))) {
            Append(draws[static_cast<std::size_t>(level)], levelBase + run.first, view.coarse ? run.coarse : run.count);
        }
    }
    return draws;
}
