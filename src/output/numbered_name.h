// Names for files a key writes one after another in the working folder:
// pictures, profiles. Each key numbers its own kind from 1.
#pragma once

#include <string>

// The first PREFIX-NNNN.EXTENSION (four digits and more past 9999) that
// does not exist yet; "" when every number to 99999 is taken.
std::string FirstFreeName(const std::string& prefix, const std::string& extension);
