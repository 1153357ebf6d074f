// How long a classic netCDF file must be to hold what its header describes.
// The netCDF library reads the missing end of a file that was cut short as
// zeros, without a word, and GDAL with it: an import would show a flat sheet
// at 0 where the data were lost. Comparing the file's length with its
// header's needs catches that before anything is read.
#pragma once

#include <cstdint>
#include <string>

// The bytes the classic netCDF file `path` (CDF-1, CDF-2 or CDF-5, read
// through GDAL's file layer) needs for every variable's data, from the
// header's offsets, shapes and record count. False when `path` is not such
// a file or its header cannot be made sense of: then there is nothing to
// compare, and GDAL's own checks stand.
bool ClassicNetcdfLength(const std::string& path, std::uint64_t& length);
