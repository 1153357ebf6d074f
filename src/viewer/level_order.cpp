#include "level_order.h"

#include <algorithm>
#include <cmath>

#include "surf_data.h"

namespace {

// More distinct levels than any grid the loader can hold in memory.
const double levelRangeLimit = 1 << 24;

}  // namespace

LevelOrder OrderByLevel(const SurfData& points) {
    LevelOrder result;
    const std::vector<double>& z = points.z;
    if (z.empty()) return result;
    const auto [low, high] = std::minmax_element(z.begin(), z.end());
    if (!(*high - *low < levelRangeLimit)) return result;
    for (double level : z) {
        if (level != std::floor(level)) return result;
    }
    result.lowest = *low;
    result.highest = *high;
    const std::size_t levels = static_cast<std::size_t>(*high - *low) + 1;
    // A counting sort: one pass counts, one places.
    result.start.assign(levels + 1, 0);
    for (double level : z) ++result.start[static_cast<std::size_t>(level - *low) + 1];
    for (std::size_t k = 0; k < levels; ++k) result.start[k + 1] += result.start[k];
    std::vector<std::size_t> next(result.start.begin(), result.start.end() - 1);
    result.order.resize(z.size());
    for (std::size_t i = 0; i < z.size(); ++i) result.order[next[static_cast<std::size_t>(z[i] - *low)]++] = i;
    return result;
}
