#include "level_mapping.h"

#include <cmath>
#include <cstdio>
#include <limits>

MappedValue MapValue(double value, const LevelMapping& mapping, std::int32_t& level) {
    if (std::isnan(value)) return MappedValue::noValue;
    // An infinite quotient or one past the largest int32 compares as such;
    // only a level known to fit is ever converted.
    const double exact = std::round((value - mapping.levelZeroMetres) / mapping.metresPerLevel);
    if (std::isnan(exact)) return MappedValue::noValue;  // inf - inf: no level at all
    if (exact < 0) return MappedValue::belowLevelZero;
    if (exact > static_cast<double>(std::numeric_limits<std::int32_t>::max())) return MappedValue::tooHigh;
    level = static_cast<std::int32_t>(exact);
    return MappedValue::level;
}

std::string ValueText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

std::string BelowLevelZeroNote(std::uint64_t cells) {
    return std::to_string(cells) + (cells == 1 ? " cell maps" : " cells map") +
           " below level 0 (values under data/level-0-metres) and " + (cells == 1 ? "is" : "are") + " left empty";
}
