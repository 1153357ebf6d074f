// The files of a series of height grids, named in "data/series" by a printf
// pattern (frames/h-%05d.txt: the files that exist, whatever their numbers)
// or a glob (frames/*.txt), in the order of the numbers in their names.
#pragma once

#include <string>
#include <vector>

// Whether `pattern` is a printf pattern: it holds one %d conversion (with
// an optional 0 flag and width), and its folder part holds none.
bool IsNumberPattern(const std::string& pattern);

// The existing files the pattern names, in numeric order: for a printf
// pattern by the number in place of the conversion, for a glob by the
// numbers in the names, compared as numbers (frame-2 before frame-10).
std::vector<std::string> SeriesFiles(const std::string& pattern);

// Whether a's name comes before b's with the runs of digits in both
// compared as numbers.
bool NumericallyBefore(const std::string& a, const std::string& b);
