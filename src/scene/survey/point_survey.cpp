#include "survey/point_survey.h"

#include <algorithm>
#include <cmath>

#include "survey/point_view.h"

namespace {

// Coordinates are exact integers in a double far beyond this; it keeps the
// table's arithmetic in range, and more levels than any grid in memory.
const double coordinateLimit = 1 << 24;

bool Whole(double v) { return std::fabs(v) < coordinateLimit && v == std::floor(v); }

// A column as the points give it: one run of the levels 0, 1, ..., top.
struct Run {
    std::int32_t x, y, top;
};

// Follows the points in order and keeps their runs, as long as every run
// starts at level 0 and climbs by one.
class RunFollower {
public:
    void Next(double x, double y, double z) {
        if (!valid_) return;
        if (!runs_.empty() && x == runs_.back().x && y == runs_.back().y) {
            valid_ = z == runs_.back().top + 1;
            ++runs_.back().top;
        } else {
            valid_ = z == 0 && std::fabs(x) < coordinateLimit && std::fabs(y) < coordinateLimit;
            runs_.push_back({static_cast<std::int32_t>(x), static_cast<std::int32_t>(y), 0});
        }
    }
    bool valid() const { return valid_; }
    const std::vector<Run>& runs() const { return runs_; }

private:
    bool valid_ = true;
    std::vector<Run> runs_;
};

// The table of the runs' tops, or an empty one when a column holds two runs
// or the table would be far larger than the point set.
ColumnTable ColumnsOf(const std::vector<Run>& runs, const PointSurvey& survey) {
    ColumnTable table;
    table.lowestX = static_cast<std::int64_t>(survey.lowest[0]);
    table.lowestY = static_cast<std::int64_t>(survey.lowest[1]);
    table.width = static_cast<std::int64_t>(survey.highest[0] - survey.lowest[0]) + 3;
    table.depth = static_cast<std::int64_t>(survey.highest[1] - survey.lowest[1]) + 3;
    if (table.width * table.depth > 16 * static_cast<std::int64_t>(survey.count) + 1024) return {};
    table.top.assign(static_cast<std::size_t>(table.width * table.depth), -1);
    for (const Run& run : runs) {
        std::int32_t& top = table.top[table.CellOf(run.x, run.y)];
        if (top != -1) return {};
        top = run.top;
    }
    return table;
}

}  // namespace

PointSurvey SurveyPoints(const PointView& points) {
    PointSurvey survey;
    survey.count = points.count;
    if (survey.count == 0) return survey;
    Point3 low = {points.x[0], points.y[0], points.z[0]};
    Point3 high = low;
    bool wholeLevels = true, wholePoints = true;
    RunFollower columns;
    for (std::size_t i = 0; i < survey.count; ++i) {
        const double x = points.x[i], y = points.y[i], z = points.z[i];
        low = {std::min(low[0], x), std::min(low[1], y), std::min(low[2], z)};
        high = {std::max(high[0], x), std::max(high[1], y), std::max(high[2], z)};
        wholeLevels = wholeLevels && z == std::floor(z);
        wholePoints = wholePoints && Whole(x) && Whole(y) && Whole(z);
        columns.Next(x, y, z);
    }
    survey.lowest = low;
    survey.highest = high;
    survey.wholeLevels = wholeLevels && high[2] - low[2] < coordinateLimit;
    if (wholePoints && columns.valid()) survey.columns = ColumnsOf(columns.runs(), survey);
    return survey;
}
