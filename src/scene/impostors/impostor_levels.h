// Coarser stand-ins for the spheres of a far view, where a sphere shrinks
// below a pixel or two and drawing each one costs time and makes moiré. At
// level L every block of 2^L x 2^L columns of a tile becomes one column of
// spheres 2^L times as large, at the block's middle, 2^L levels apart from
// the block's highest top down, so the blocks keep the terrain's silhouette and
// hold every sphere they replace: no background shows where the spheres
// themselves would hide it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

class SphereLayout;
struct PointSurvey;
struct SphereTile;

// One tile's spheres at one level: a run of buffer slots, and the bounds of
// their centres.
struct LevelRun {
    std::uint32_t first = 0;
    std::uint32_t count = 0;
    // Of them, those of the blocks of every other row and column, first.
    std::uint32_t coarse = 0;
    std::array<float, 3> low{}, high{};
};

class BlockLevels {
public:
    // Levels 1 up to `coarsest` (never blocks wider than a tile) over the
    // columns of `survey`, in the tiles of `layout`; none when the survey
    // found no whole-number columns. With `shellOnly` a block column keeps
    // only the spheres that its eight neighbouring blocks leave open, as the
    // hidden-sphere cull does for single columns, and its ground sphere.
    BlockLevels(const PointSurvey& survey, const SphereLayout& layout, bool shellOnly, int coarsest = 5);

    // The coarsest level there is: 0 when there are no levels.
    int coarsest() const { return static_cast<int>(runs_.size()); }
    // Spheres of all levels together.
    std::size_t spheres() const { return spheres_; }
    // Tile `tile`'s spheres at `level` (1 to coarsest()); slots count from
    // the first slot after the full-detail spheres.
    const LevelRun& run(int level, std::size_t tile) const { return runs_[level - 1][tile]; }
    // Every level's runs, level 1 first, tile by tile.
    const std::vector<std::vector<LevelRun>>& runs() const { return runs_; }

    // Writes x, y and z of every level's spheres at their slots:
    // 3 * spheres() floats; and, given `traits`, each block sphere's open
    // faces among the blocks around it and with `shares` its share of their
    // sky, for columns of spheres of `radius`: one byte a slot, or two.
    void Place(float* out, unsigned char* traits = nullptr, bool shares = false, double radius = 0) const;

private:
    struct Grid {
        std::int64_t width = 0, depth = 0;
        std::vector<std::int32_t> top;  // highest top of each block, -1 where empty
        std::int32_t at(std::int64_t x, std::int64_t y) const {
            return x < 0 || y < 0 || x >= width || y >= depth ? -1 : top[static_cast<std::size_t>(y * width + x)];
        }
    };

    // A block's column: where it stands, and its levels from `bottom` to
    // `top`, with a ground sphere at the floor below them when `bottom` is
    // above it.
    // Its spheres stand `step` levels apart, as far as they are wider, from
    // the top down, the last at `bottom`.
    struct BlockColumn {
        float x = 0, y = 0;
        std::int64_t bottom = 0, top = 0, step = 1;
        std::uint64_t spheres(std::int32_t floor) const {
            return static_cast<std::uint64_t>((top - bottom + step - 1) / step + 1) + (bottom > floor ? 1 : 0);
        }
    };
    // Block (bx, by) of level `level`; false where it is empty.
    bool Block(int level, std::int64_t bx, std::int64_t by, BlockColumn& block) const;
    // Calls `visit(block, coarse, bx, by)` for every block of a tile: first
    // those of even rows and columns, then the others.
    template <typename Visit>
    void TileBlocks(int level, std::size_t tile, Visit visit) const;
    // The same for every block of a tile: first the blocks of even rows and
    // columns, then the others; `sphere(x, y, z, coarse, bx, by)`.
    template <typename Visit>
    void TileSpheres(int level, std::size_t tile, Visit sphere) const;

    const SphereLayout& layout_;
    bool shellOnly_;
    std::int32_t floor_;  // the ground level of the columns
    std::int64_t columnsAcross_ = 0, columnsDeep_ = 0;
    std::vector<Grid> grids_;                  // level 1 and up
    std::vector<std::vector<LevelRun>> runs_;  // level 1 and up, tile by tile
    std::size_t spheres_ = 0;
};

// The level at which spheres that show `pixels` wide at full detail look at
// least `threshold` pixels wide, at most `coarsest`: 0 while they already do.
int LevelForSize(double pixels, double threshold, int coarsest);

// How large spheres show in a frame, and how coarse it may draw.
struct DetailView {
    std::array<double, 3> eye{};
    std::array<double, 3> forward{};  // unit vector along the view axis
    // A sphere of diameter 1 at depth d shows pixelsPerUnit / d pixels wide.
    double pixelsPerUnit = 0;
    double radius = 0;
    // Spheres narrower than this many pixels give way to a coarser level.
    double threshold = 1.5;
    // Only every other row and column of each tile and level, while
    // dragging.
    bool coarse = false;
    // Whether tiles outside the view volume are left out; kept only to
    // compare pictures.
    bool skipOutside = true;
};

// The runs to draw at each level, 0 (full detail, the tiles' own runs) to
// the coarsest (levelRuns holds levels 1 and up): every tile in view at the level its nearest point asks for.
// Level runs are shifted by `levelBase`, the slot of the first level sphere.
// Adjacent runs are joined. Firsts and counts are in spheres.
struct LevelDraws {
    std::vector<std::int32_t> firsts, counts;
};
std::vector<LevelDraws> PlanLevels(const std::vector<SphereTile>& tiles,
                                   const std::vector<std::vector<LevelRun>>& levelRuns, std::uint32_t levelBase,
                                   const std::array<double, 16>& clip, const DetailView& view);
