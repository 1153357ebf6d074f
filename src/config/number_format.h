// Reading and writing the numbers of configuration values.
#pragma once

#include <string>

// Reads a number from the start of `text` as "%lf" does (leading white space
// skipped, trailing characters ignored); false when nothing converts.
bool read_number(const std::string& text, double& value);

// "%e" with an exponent of at least three digits: 3 -> "3.000000e+000".
// Infinities are "inf" and "-inf"; every NaN is "nan".
std::string format_number(double value);

// A count or position as "%i" writes it.
std::string format_position(int position);
