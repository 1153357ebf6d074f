#include "key_table.h"

#include <cmath>

namespace keys {

bool AboveZero(double value) { return value > 0 && std::isfinite(value); }
bool PlayRate(double value) { return value > 0 && value <= 1000; }
bool Finite(double value) { return std::isfinite(value); }
bool SampleCount(double value) { return value >= 1 && value <= 64 && value == std::floor(value); }
bool Level(double value) { return value >= 0 && value <= 2147483647.0 && value == std::floor(value); }

}  // namespace keys

