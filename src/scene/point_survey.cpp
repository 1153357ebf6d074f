#include "point_survey.h"

#include <algorithm>
#include <cmath>

#include "surf_data.h"

namespace {

// Coordinates are exact integers in a double far beyond this; it keeps the
// table's arithmetic in range, and more levels than any grid in memory.
const double coordinateLimit = 1 << 24;

bool Whole(double v) { return std::fabs(v) < coordinateLimit && v == std::floor(v); }

// One run of levels 0..h per column, or an empty table.
ColumnTable ColumnsOf(const SurfData& points, const PointSurvey& survey) {
    ColumnTable table;
    table.lowestX = static_cast<std::int64_t>(survey.lowest[0]);
    table.lowestY = static_cast<std::int64_t>(survey.lowest[1]);
    table.width = static_cast<std::int64_t>(survey.highest[0] - survey.lowest[0]) + 3;
    table.depth = static_cast<std::int64_t>(survey.highest[1] - survey.lowest[1]) + 3;
    // A table far larger than the point set would cost more than it saves.
    if (table.width * table.depth > 16 * static_cast<std::int64_t>(survey.count) + 1024) return {};
    table.top.assign(static_cast<std::size_t>(table.width * table.depth), -1);
    const std::size_t count = points.x.size();
    for (std::size_t i = 0; i < count;) {
        const std::size_t cell = table.CellOf(points.x[i], points.y[i]);
        if (table.top[cell] != -1) return {};
        std::int32_t level = 0;
        for (; i < count && table.CellOf(points.x[i], points.y[i]) == cell; ++i, ++level) {
            if (points.z[i] != level) return {};
        }
        table.top[cell] = level - 1;
    }
    return table;
}

}  // namespace

PointSurvey SurveyPoints(const SurfData& points) {
    PointSurvey survey;
    survey.count = points.x.size();
    if (survey.count == 0) return survey;
    Point3 low = {points.x[0], points.y[0], points.z[0]};
    Point3 high = low;
    bool wholeLevels = true, wholePoints = true;
    for (std::size_t i = 0; i < survey.count; ++i) {
        const double x = points.x[i], y = points.y[i], z = points.z[i];
        low = {std::min(low[0], x), std::min(low[1], y), std::min(low[2], z)};
        high = {std::max(high[0], x), std::max(high[1], y), std::max(high[2], z)};
        wholeLevels = wholeLevels && z == std::floor(z);
        wholePoints = wholePoints && Whole(x) && Whole(y) && Whole(z);
    }
    survey.lowest = low;
    survey.highest = high;
    survey.wholeLevels = wholeLevels && high[2] - low[2] < coordinateLimit;
    if (wholePoints) survey.columns = ColumnsOf(points, survey);
    return survey;
}
