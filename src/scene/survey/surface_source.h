// The surface a scene shows: the grid of heights it was read into, when it
// was, and its points, when they were made. A surface with a grid needs no
// points but for the display lists, which make them from the grid.
#pragma once

#include "height_grid.h"
#include "survey/point_view.h"

struct SurfaceSource {
    const HeightGrid* grid = nullptr;
    PointView points;

    bool operator==(const SurfaceSource& o) const { return grid == o.grid && points == o.points; }
    bool operator!=(const SurfaceSource& o) const { return !(*this == o); }
};

// A loaded data file: its grid when it holds one, else its points.
inline SurfaceSource SurfaceOf(const SurfData& data) {
    if (!data.grid.empty()) return {&data.grid, {}};
    return {nullptr, PointView(data)};
}
