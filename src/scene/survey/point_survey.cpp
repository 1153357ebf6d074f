#include "survey/point_survey.h"

#include <algorithm>
#include <cmath>

#include "height_grid.h"
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

// Enough columns to place the percentiles within a hundredth of the range,
// taken evenly over the table so that a big grid costs no more.
constexpr std::size_t topSamples = 1 << 16;

void SurveyTops(PointSurvey& survey) {
    survey.topLow = survey.lowest[2], survey.topHigh = survey.highest[2];
    const std::vector<std::int32_t>& top = survey.columns.top;
    if (top.empty()) return;
    const std::size_t stride = std::max<std::size_t>(1, top.size() / topSamples);
    std::vector<std::int32_t> tops;
    for (std::size_t i = 0; i < top.size(); i += stride) {
        if (top[i] >= 0) tops.push_back(top[i]);
    }
    if (tops.empty()) return;
    auto percentile = [&](double share) {
        const auto at = tops.begin() + static_cast<std::ptrdiff_t>(share * static_cast<double>(tops.size() - 1));
        std::nth_element(tops.begin(), at, tops.end());
        return static_cast<double>(*at);
    };
    survey.topLow = percentile(0.01);
    survey.topHigh = percentile(0.99);
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
    SurveyTops(survey);
    return survey;
}

PointSurvey SurveyGrid(const HeightGrid& grid) {
    PointSurvey survey;
    std::int64_t lowX = grid.columns, lowY = grid.rows, highX = -1, highY = -1;
    std::int32_t lowZ = 0, highZ = 0;
    for (std::int64_t row = 0; row < grid.rows; ++row) {
        const std::int32_t* cells = grid.cells() + row * grid.columns;
        for (std::int64_t column = 0; column < grid.columns; ++column) {
            const std::int32_t top = cells[column];
            if (top < 0) continue;
            survey.count += static_cast<std::size_t>(top) + 1;
            lowX = std::min(lowX, column), highX = std::max(highX, column);
            lowY = std::min(lowY, row), highY = row;
            highZ = std::max(highZ, top);
        }
    }
    if (survey.count == 0) return survey;
    survey.lowest = {static_cast<double>(lowX), static_cast<double>(lowY), static_cast<double>(lowZ)};
    survey.highest = {static_cast<double>(highX), static_cast<double>(highY), static_cast<double>(highZ)};
    survey.wholeLevels = highZ - lowZ < coordinateLimit;
    // The table is the grid's occupied part with a border of empty columns,
    // as the points would give it.
    ColumnTable& table = survey.columns;
    table.lowestX = lowX, table.lowestY = lowY;
    table.width = highX - lowX + 3, table.depth = highY - lowY + 3;
    table.top.assign(static_cast<std::size_t>(table.width * table.depth), HeightGrid::emptyCell);
    for (std::int64_t row = lowY; row <= highY; ++row) {
        const std::int32_t* cells = grid.cells() + row * grid.columns;
        std::copy(cells + lowX, cells + highX + 1,
                  table.top.begin() + static_cast<std::ptrdiff_t>((row - lowY + 1) * table.width + 1));
    }
    SurveyTops(survey);
    return survey;
}

void ApplyFloor(PointSurvey& survey, std::int32_t floor) {
    if (floor <= 0 || survey.columns.empty()) return;
    survey.floor = floor;
    survey.count = 0;
    std::int32_t highest = floor;
    for (std::int32_t& top : survey.columns.top) {
        if (top < floor) {
            top = HeightGrid::emptyCell;
            continue;
        }
        survey.count += static_cast<std::size_t>(top - floor) + 1;
        highest = std::max(highest, top);
    }
    survey.lowest[2] = floor;
    survey.highest[2] = highest;
    SurveyTops(survey);
}
