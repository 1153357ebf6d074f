// Boxes that only grow: what a view fitted to a growing surface was fitted to.
#pragma once

#include <algorithm>

#include "camera/camera_fit.h"

inline Bounds Union(const Bounds& a, const Bounds& b) {
    if (a.empty) return b;
    if (b.empty) return a;
    Bounds both = a;
    for (std::size_t axis = 0; axis < 3; ++axis) {
        both.lowest[axis] = std::min(a.lowest[axis], b.lowest[axis]);
        both.highest[axis] = std::max(a.highest[axis], b.highest[axis]);
    }
    return both;
}

// Whether `outer` holds all of `inner`.
inline bool Holds(const Bounds& outer, const Bounds& inner) {
    if (inner.empty) return true;
    if (outer.empty) return false;
    for (std::size_t axis = 0; axis < 3; ++axis) {
        if (inner.lowest[axis] < outer.lowest[axis] || inner.highest[axis] > outer.highest[axis]) return false;
    }
    return true;
}
