#include "standard_error.h"

#include <ios>
#include <iostream>

std::ostream& standard_error() {
    static const std::ios_base::Init standard_streams;
    return std::cerr;
}
