// The points grouped by level, so a scene coloured by height changes the
// material once per level instead of once per sphere.
#pragma once

#include <cstddef>
#include <vector>
#include "survey/point_view.h"

struct PointSurvey;

struct LevelOrder {
    double lowest = 0;
    double highest = 0;
    // Point indices, level by level from the lowest, in index order within a
    // level; the points of level lowest + k are order[start[k] .. start[k + 1]).
    std::vector<std::size_t> order;
    std::vector<std::size_t> start;
};

// Empty when there are no points, or when the survey found the levels not to
// be whole numbers within a range the grouping can hold (never so for a
// loaded grid).
LevelOrder OrderByLevel(const PointView& points, const PointSurvey& survey);
