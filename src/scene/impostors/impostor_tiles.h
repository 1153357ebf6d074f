// The order in which the impostor buffer keeps the spheres, and the parts of
// it a frame draws. Spheres are grouped by tiles of columns, so that a frame
// skips every tile outside the view with one test; within a tile the spheres
// of every other row and column come first, so that the reduced set drawn
// while dragging is one leading run of each tile.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>
#include "survey/point_view.h"

struct ColumnTable;
struct PointSurvey;

struct SphereTile {
    std::uint32_t first = 0;   // slot of its first sphere
    std::uint32_t count = 0;   // its spheres
    std::uint32_t coarse = 0;  // of them, those of even x and even y, first
    // Bounds of its sphere centres.
    std::array<float, 3> low{}, high{};
};

class SphereLayout {
public:
    // Tiles of `side` columns a side over the points not marked in
    // `leftOut` (empty: none is left out), within the extent `survey` found.
    // Larger sides are taken for a point set spread so thinly that tiles
    // would outnumber its points.
    SphereLayout(const PointView& points, const PointSurvey& survey, const std::vector<bool>& leftOut, int side = 32);
    // The same over the columns the survey found, without reading the
    // points again: every level of every column, or with `shellOnly` only
    // the levels that the column's eight neighbours leave open and its
    // ground level, the spheres the hidden-sphere cull keeps.
    SphereLayout(const PointSurvey& survey, bool shellOnly, int side = 32);

    // All of them, even past what slots can number; then there are no
    // tiles, and nothing can be placed.
    std::size_t spheres() const { return spheres_; }
    const std::vector<SphereTile>& tiles() const { return tiles_; }
    // Lowest and highest z of all points, left out or not.
    float lowest() const { return lowest_; }
    float highest() const { return highest_; }

    // Writes x, y and z of every kept point at its slot: 3 * spheres() floats;
    // and, given `traits`, each one's open faces (open_faces.h; none known
    // without columns) and with `shares` its share of the sky (sky_share.h)
    // for spheres of `radius`: one byte a slot, or two.
    void Place(float* out, unsigned char* traits = nullptr, bool shares = false, double radius = 0) const;

    // The tile grid: tiles of side() columns from (lowestX(), lowestY()),
    // across() of them in a row, row by row.
    int side() const { return static_cast<int>(side_); }
    std::size_t across() const { return across_; }
    double lowestX() const { return minX_; }
    double lowestY() const { return minY_; }

private:
    void Build(const PointSurvey& survey, int side);
    // Calls visit(x, y, z) for every kept sphere, in the points' order.
    template <typename Visit>
    void ForEachSphere(Visit visit) const;
    // Calls visit(x, y, from, top) for every column of the table: its
    // ground sphere at the floor, and the levels from `from` to `top`.
    template <typename Visit>
    void ForEachColumn(Visit visit) const;
    std::size_t TileOf(double x, double y) const;

    PointView points_;
    bool fromPoints_ = false;
    const std::vector<bool>* leftOut_ = nullptr;
    const ColumnTable* columns_ = nullptr;
    std::int32_t floor_ = 0;  // the ground level of the columns
    bool shellOnly_ = false;
    std::size_t spheres_ = 0;
    double minX_ = 0, minY_ = 0, side_ = 32;
    std::size_t across_ = 1;
    float lowest_ = 0, highest_ = 0;
    std::vector<SphereTile> tiles_;
};

// Whether the box of sphere centres, grown by `radius`, lies wholly on the
// outer side of one of the six planes of the view volume `clip` (projection
// times modelview, column-major).
bool OutsideView(const std::array<float, 3>& low, const std::array<float, 3>& high, const std::array<double, 16>& clip,
                 double radius);

// Runs of slots to draw for the view `clip` (projection times modelview,
// column-major): the tiles any of whose spheres of `radius` may reach into
// the view volume (every tile unless `skipOutside`), only their leading
// coarse part when `coarse`. Adjacent runs are joined. Firsts and counts are
// in spheres.
void VisibleRuns(const std::vector<SphereTile>& tiles, const std::array<double, 16>& clip, double radius,
                 bool coarse, bool skipOutside, std::vector<std::int32_t>& firsts,
                 std::vector<std::int32_t>& counts);
