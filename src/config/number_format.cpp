#include "number_format.h"

#include <cmath>
#include <cstdio>

bool read_number(const std::string& text, double& value) {
    return std::sscanf(text.c_str(), "%lf", &value) == 1;
}

std::string format_number(double value) {
    // The sign of a NaN depends on the processor that made it; one text keeps
    // configuration values the same on every machine.
    if (std::isnan(value)) return "nan";
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, "%e", value);
    std::string text = buffer;
    const std::size_t e = text.find('e');
    if (e == std::string::npos) return text;  // "inf" or "-inf"
    const std::size_t digits_start = e + 2;   // after "e" and the exponent's sign
    const std::size_t digits = text.size() - digits_start;
    if (digits < 3) text.insert(digits_start, 3 - digits, '0');
    return text;
}

std::string format_position(int position) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%i", position);
    return buffer;
}
