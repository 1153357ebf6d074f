// Points and directions in scene space, and the few operations on them that
// the camera and the culling need.
#pragma once

#include <array>
#include <cmath>

using Point3 = std::array<double, 3>;

inline Point3 Plus(const Point3& a, const Point3& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
inline Point3 Minus(const Point3& a, const Point3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
inline Point3 Scaled(const Point3& a, double s) { return {a[0] * s, a[1] * s, a[2] * s}; }
inline double Dot(const Point3& a, const Point3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
inline Point3 Cross(const Point3& a, const Point3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
inline Point3 Normalised(const Point3& v) { return Scaled(v, 1 / std::sqrt(Dot(v, v))); }
