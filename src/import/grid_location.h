// Where the written grid lies in the source raster's own coordinates, so that
// a cell of it can be found again on a map of the same coordinate system.
#pragma once

#include <array>
#include <string>

#include "grid_mapping.h"

struct GridLocation {
    bool known = false;
    // The grid's south-west corner: the outer corner of its first cell, the
    // one the columns are counted east and the rows north from.
    double x = 0;
    double y = 0;
    // A cell of the grid along x and along y, in the raster's units; both
    // positive.
    double cellWidth = 0;
    double cellHeight = 0;
    std::string coordinateSystem;  // short: an authority code, else a name
};

// Where the square grid of `placement` lies when a raster of `width` x
// `height` cells with the geotransform `transform` is read into it. Only a
// geotransform without rotation or shear places it: the grid's cells are
// then rectangles of the raster's coordinates, whichever way its rows and
// columns run. Anything else gives a location that is not known.
GridLocation LocateGrid(const std::array<double, 6>& transform, int width, int height, const GridPlacement& placement);

// A number as config.txt keeps a coordinate: the shortest text that reads
// back as the very same double, without an exponent.
std::string ExactNumber(double value);

// `text` as one value of config.txt that the reader gives back as it is:
// in apostrophes, with what the language would take otherwise (apostrophes,
// backslashes and the "$" of an expression) written so that it is kept.
// Control characters become "?", so that the value stays on its line.
std::string ConfigQuoted(const std::string& text);
