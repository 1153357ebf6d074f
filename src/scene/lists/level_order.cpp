#include "lists/level_order.h"

#include "survey/point_survey.h"
#include "survey/point_view.h"

LevelOrder OrderByLevel(const PointView& points, const PointSurvey& survey) {
    LevelOrder result;
    if (survey.empty() || !survey.wholeLevels) return result;
    const double* z = points.z;
    const double low = survey.lowest[2];
    result.lowest = low;
    result.highest = survey.highest[2];
    const std::size_t levels = static_cast<std::size_t>(survey.highest[2] - low) + 1;
    // A counting sort: one pass counts, one places.
    result.start.assign(levels + 1, 0);
    for (std::size_t i = 0; i < points.count; ++i) ++result.start[static_cast<std::size_t>(z[i] - low) + 1];
    for (std::size_t k = 0; k < levels; ++k) result.start[k + 1] += result.start[k];
    std::vector<std::size_t> next(result.start.begin(), result.start.end() - 1);
    result.order.resize(points.count);
    for (std::size_t i = 0; i < points.count; ++i) result.order[next[static_cast<std::size_t>(z[i] - low)]++] = i;
    return result;
}
