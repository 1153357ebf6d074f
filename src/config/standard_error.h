// Standard error for the library's diagnostic lines.
#pragma once

#include <ostream>

// std::cerr, made ready first if no stream has been made yet: stores are built
// and read during other units' static initialisation, possibly before any
// unit that sets up the standard streams has run.
std::ostream& standard_error();
