// A count and its noun, in good grammar: "1 point", "2 points".
#pragma once

#include <cstdint>
#include <string>

inline std::string Counted(std::uint64_t count, const std::string& noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}
