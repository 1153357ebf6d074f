// The texts of the files pelorin-import writes: the data files in the
// loader's exact format and the configuration that shows them.
#pragma once

#include <cstdint>
#include <string>

#include "grid_location.h"
#include "grid_mapping.h"

// Grids with more points than this are drawn with the sphere impostors and
// the hidden-sphere cull (a grid of 200,000 points made a turntable 3 times
// slower with the display lists); so is any grid past the point limit of the
// display lists, as the impostors hold only the grid's cells.
constexpr std::uint64_t largeGridPoints = 20000;

// The Earth's equatorial circumference: no cell on the ground is larger.
constexpr double earthCircumferenceMetres = 40075017;

// Whether `metres` makes sense as the ground size of a cell, for the scale
// bar: positive and at most the Earth's circumference (so neither infinite
// nor NaN).
bool IsGroundSize(double metres);

// The header (the size), then the rows, every height followed by one blank
// and every row by a line feed.
std::string DataText(const LevelGrid& grid);

// What the configuration's comments say about the source.
struct SourceSummary {
    std::string name;       // the input as a reader would find it again; a series' first input
    std::string lastName;  // a series' last input; empty for one input
    int inputs = 1;
    std::string driver;  // "GTiff", ..., or "text matrix"
    int band = 1;
    int width = 0;
    int height = 0;
    double cellWidth = 1;  // ground metres of one source cell, along a row
    double cellHeight = 1;
    double gridCell = 1;  // ground metres of one cell of the square grid
    bool georeferenced = false;
    bool geographic = false;
    bool degreesAssumed = false;    // no coordinate system; degrees going by the extent
    bool cellUnitUnknown = false;  // no coordinate system, and not degrees either
    bool cellMetresGiven = false;  // --cell-metres gave the cells' ground size
    bool text_matrix = false;
    // The heights are known to be metres (the band's unit, or
    // --metres-per-level given), so the legend can give metres.
    bool metresKnown = false;
    std::string valueUnit;  // the unit the band names when not metres; "" for none
    // Whether --metres-per-level at gridCell keeps the levels within what a
    // cell holds, so that the comments may advise it.
    bool trueScaleFits = true;
    double lowest = 0;  // the lowest and highest valid cell, over a whole series
    double highest = 0;
    double metresPerLevel = 0;
    // Where the written grid lies in the source's coordinate system; not
    // known without one.
    GridLocation location;
};

// What the heights are measured in: metres; for a text matrix whose unit was
// not given, "matrix units"; the unit the band names; or "units" when it
// names none.
std::string HeightUnit(const SourceSummary& source);

// "17.4783 metres per level", "1 matrix unit per level", "2 units per level".
std::string PerLevel(const SourceSummary& source);

// What was written: one data file (data.txt or data.npy), or a series of them.
struct WrittenGrids {
    std::string dataFile = "data.txt";
    std::string seriesPattern;  // the frames' names as a printf pattern; empty for one data file
    int size = 0;
    int highest = 0;  // the highest level of any cell of any frame
    std::uint64_t fewestPoints = 0;
    std::uint64_t mostPoints = 0;
    // The most points the viewer loads for its display lists.
    std::uint64_t pointLimit = UINT64_MAX;
};

// Whether the ground size of the source's cells is known: from its
// georeferencing, or from --cell-metres.
bool CellsMeasured(const SourceSummary& source);

// config.txt: comments on the source, data/file (or data/series), where the
// grid cells have a known and sensible ground size data/cell-metres, where the
// heights are metres data/metres-per-level and data/level-0-metres, where
// the grid's place in the source's coordinates is known data/origin,
// data/cell-size and data/crs,
// display/fit-view = 1 and display/colour = height, and for grids of more
// than largeGridPoints points (or written.pointLimit) display/renderer =
// impostors and display/cull-hidden = 1.
std::string ConfigText(const SourceSummary& source, const WrittenGrids& written);

// A number as every message and comment of the importer writes it ("%g").
std::string FormatNumber(double value);
