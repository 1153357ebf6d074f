// How much of the sky a sphere of a column sees over the columns around it:
// ambient occlusion, worked out from the grid alone. The light a sphere
// takes from the sky (ambient) and from the fixed light (diffuse) is scaled
// by this share, so a pit's floor and a wall's foot darken and a ridge keeps
// its light; being a function of the heights, it is free of noise and costs
// nothing once worked out.
//
// The sky is marched in 8 directions (the 4 axes and the 4 diagonals) out to
// 16 columns, at distances 1, 2, 3, 4, 6, 8, 12 and 16 steps. In each
// direction the highest column seen from the sphere's top gives a horizon
// (tops measured alike, so a neighbour as high leaves the sky open); of the
// sky above it
// counts the share a flat, upward-facing surface would take from it (light
// from low down counts less: a cosine weighting), and for a sphere below its
// column's top, only up to where the sphere above it begins. The share is
// the mean over the directions: 1 in the open, near 0 at the bottom of a
// deep, narrow pit.
#pragma once

#include <cstdint>
#include <vector>

class SkyShares {
public:
    // Over a grid of column tops (`width` x `depth`, row by row, -1 where
    // there is no column) whose columns stand `spacing` units apart, of
    // spheres of `radius` one unit apart up each column.
    SkyShares(const std::int32_t* tops, std::int64_t width, std::int64_t depth, double spacing, double radius);

    // The share of the sky of the sphere at level `level` of column
    // (column, row), from 0 to 1.
    float At(std::int64_t column, std::int64_t row, std::int32_t level) const;

    // The same as a byte, 0 to 255, as the GPU keeps it.
    unsigned char Byte(std::int64_t column, std::int64_t row, std::int32_t level) const;

private:
    static constexpr int directionCount = 8;
    static constexpr int stepCount = 8;
    // The tops seen from the column asked about last: spheres are asked for
    // column by column, so each column's tops are read once.
    void Look(std::int64_t column, std::int64_t row) const;

    const std::int32_t* tops_;
    std::int64_t width_, depth_;
    double radius_;
    float reciprocal_[directionCount][stepCount];  // 1 / the distance of each step
    mutable std::int64_t lookedColumn_ = -1, lookedRow_ = -1;
    mutable float seen_[directionCount][stepCount];  // tops, or far below where there are none
};
