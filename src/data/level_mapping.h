// Values as a model writes them (metres, or any unit), turned into the whole
// levels of a grid. Files that hold values rather than levels, ESRI ASCII
// grids and float .npy arrays, all go through this one mapping; the text
// grid and integer arrays hold levels already and are read as they are.
#pragma once

#include <cstdint>
#include <string>

struct LevelMapping {
    // What one level is, in the values' unit; above 0.
    double metresPerLevel = 1;
    // The value that is level 0.
    double levelZeroMetres = 0;
};

// What one value becomes: a level from 0 up, an empty cell (a value that is
// no number, NaN), an empty cell because it lies below level 0, or nothing
// at all, for a level above the largest a cell holds.
enum class MappedValue { level, noValue, belowLevelZero, tooHigh };

// level = round((value - levelZeroMetres) / metresPerLevel), halves away
// from 0; `level` is set only when MappedValue::level is given.
MappedValue MapValue(double value, const LevelMapping& mapping, std::int32_t& level);

// A value as messages show it: up to ten significant digits.
std::string ValueText(double value);

// What is said once per file about its cells left empty below level 0,
// fit to follow "data file 'NAME': " or "frame 'NAME': ".
std::string BelowLevelZeroNote(std::uint64_t cells);
