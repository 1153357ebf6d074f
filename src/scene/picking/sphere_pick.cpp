#include "picking/sphere_pick.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

const double infinity = std::numeric_limits<double>::infinity();

// The depth at which the ray enters the sphere about `centre`, or infinity
// when it misses it or enters it outside its planes (a sphere cut by the
// near plane is not counted as seen there).
double EntryDepth(const PixelRay& ray, const Point3& centre, double radius) {
    const Point3 offset = Minus(ray.origin, centre);
    const double a = Dot(ray.direction, ray.direction);
    const double b = Dot(ray.direction, offset);
    const double c = Dot(offset, offset) - radius * radius;
    const double discriminant = b * b - a * c;
    if (discriminant < 0) return infinity;
    const double t = (-b - std::sqrt(discriminant)) / a;
    return t >= ray.nearest && t <= ray.farthest ? t : infinity;
}

// The span [low, high] of t over which the ray stays within `bound` of
// the interval [lowest, highest] on one axis; false when it never does.
bool ClipAxis(double origin, double direction, double lowest, double highest, double& low, double& high) {
    if (direction == 0) return origin >= lowest && origin <= highest;
    double t0 = (lowest - origin) / direction;
    double t1 = (highest - origin) / direction;
    if (t0 > t1) std::swap(t0, t1);
    low = std::max(low, t0);
    high = std::min(high, t1);
    return low <= high;
}

class ColumnWalk {
public:
    ColumnWalk(const PixelRay& ray, const PointSurvey& survey, double radius)
        : ray_(ray), table_(survey.columns), floor_(survey.floor), radius_(radius) {}

    // Tests the spheres of column (x, y) whose levels the ray passes near
    // between depths `from` and `to`, keeping the first hit.
    void TestColumn(std::int64_t x, std::int64_t y, double from, double to) {
        const std::int64_t tx = x - table_.lowestX + 1;
        const std::int64_t ty = y - table_.lowestY + 1;
        if (tx < 0 || ty < 0 || tx >= table_.width || ty >= table_.depth) return;
        const std::int32_t top = table_.top[static_cast<std::size_t>(ty * table_.width + tx)];
        if (top < floor_) return;
        // Where the ray is within the radius of the column's axis.
        const double ox = ray_.origin[0] - static_cast<double>(x);
        const double oy = ray_.origin[1] - static_cast<double>(y);
        const double dx = ray_.direction[0], dy = ray_.direction[1];
        const double a = dx * dx + dy * dy;
        const double c = ox * ox + oy * oy - radius_ * radius_;
        if (a == 0) {
            if (c > 0) return;
        } else {
            const double b = dx * ox + dy * oy;
            const double discriminant = b * b - a * c;
            if (discriminant < 0) return;
            const double root = std::sqrt(discriminant);
            from = std::max(from, (-b - root) / a);
            to = std::min(to, (-b + root) / a);
            if (from > to) return;
        }
        const double z0 = ray_.origin[2] + from * ray_.direction[2];
        const double z1 = ray_.origin[2] + to * ray_.direction[2];
        const double lowZ = std::max(std::min(z0, z1) - radius_, static_cast<double>(floor_));
        const double highZ = std::min(std::max(z0, z1) + radius_, static_cast<double>(top));
        if (lowZ > highZ) return;
        const auto first = static_cast<std::int32_t>(std::ceil(lowZ));
        const auto last = static_cast<std::int32_t>(std::floor(highZ));
        // Levels in the order the ray comes to their heights, so a ray down
        // a tall column stops at the first level that begins beyond the
        // nearest hit.
        const double dz = ray_.direction[2];
        const int order = dz < 0 ? -1 : 1;
        for (std::int64_t level = order > 0 ? first : last; level >= first && level <= last; level += order) {
            if (dz != 0) {
                const double reached = (static_cast<double>(level) - order * radius_ - ray_.origin[2]) / dz;
                if (reached > best_.depth) break;
            }
            const Point3 centre{static_cast<double>(x), static_cast<double>(y), static_cast<double>(level)};
            const double t = EntryDepth(ray_, centre, radius_);
            if (t < best_.depth) {
                best_ = {true, x, y, static_cast<std::int32_t>(level), Plus(ray_.origin, Scaled(ray_.direction, t)), t};
            }
        }
    }

    // Walks the cells of unit side about each grid point that the ray
    // crosses between `from` and `to`, in the order it crosses them, testing
    // the columns near enough to each for the ray to meet their spheres
    // there; stops once a cell begins beyond the nearest hit.
    SpherePick Walk(double from, double to) {
        best_.depth = infinity;
        const auto reach = static_cast<std::int64_t>(std::floor(radius_ + 0.5));
        const Point3 start = Plus(ray_.origin, Scaled(ray_.direction, from));
        std::int64_t cell[2];
        int step[2];
        double next[2], across[2];
        for (int axis = 0; axis < 2; ++axis) {
            cell[axis] = static_cast<std::int64_t>(std::floor(start[axis] + 0.5));
            const double d = ray_.direction[axis];
            step[axis] = d > 0 ? 1 : -1;
            across[axis] = d == 0 ? infinity : 1 / std::fabs(d);
            const double boundary = static_cast<double>(cell[axis]) + 0.5 * step[axis];
            next[axis] = d == 0 ? infinity : from + (boundary - start[axis]) / d;
        }
        double entered = from;
        while (entered <= to && entered <= best_.depth) {
            for (std::int64_t y = cell[1] - reach; y <= cell[1] + reach; ++y) {
                for (std::int64_t x = cell[0] - reach; x <= cell[0] + reach; ++x) TestColumn(x, y, entered, to);
            }
            if (std::min(next[0], next[1]) >= to) break;
            const int axis = next[0] < next[1] ? 0 : 1;
            cell[axis] += step[axis];
            entered = next[axis];
            next[axis] += across[axis];
        }
        if (!best_.hit) return {};
        return best_;
    }

private:
    const PixelRay& ray_;
    const ColumnTable& table_;
    std::int32_t floor_;
    double radius_;
    SpherePick best_;
};

SpherePick EveryPoint(const PixelRay& ray, const PointView& points, double radius) {
    SpherePick best;
    best.depth = infinity;
    for (std::size_t i = 0; i < points.count; ++i) {
        const Point3 centre{points.x[i], points.y[i], points.z[i]};
        const double t = EntryDepth(ray, centre, radius);
        if (t >= best.depth) continue;
        best = {true, static_cast<std::int64_t>(std::llround(centre[0])),
                static_cast<std::int64_t>(std::llround(centre[1])), static_cast<std::int32_t>(std::lround(centre[2])),
                Plus(ray.origin, Scaled(ray.direction, t)), t};
    }
    return best.hit ? best : SpherePick{};
}

}  // namespace

PixelRay RayThroughPixel(const FrameView& view, int x, int y) {
    const Point3 eye = EyePosition(view.camera);
    const Point3 forward = Normalised(Minus(view.camera.centre, eye));
    const Point3 side = Normalised(Cross(forward, view.up));
    const Point3 upward = Cross(side, forward);
    const double height = view.height > 0 ? view.height : 1;
    const double aspect = view.width / height;
    const double halfHeight = std::tan(view.projection.fieldOfView * M_PI / 360);
    // Normalised device coordinates of the pixel's centre; the picture's
    // rows run down, OpenGL's up.
    const double ndcX = 2 * (x + 0.5) / std::max(view.width, 1) - 1;
    const double ndcY = 1 - 2 * (y + 0.5) / height;
    PixelRay ray;
    ray.origin = eye;
    ray.direction = Plus(forward, Plus(Scaled(side, ndcX * aspect * halfHeight), Scaled(upward, ndcY * halfHeight)));
    ray.nearest = view.projection.nearPlane;
    ray.farthest = view.projection.farPlane;
    return ray;
}

SpherePick FirstSphereOnRay(const PixelRay& ray, const PointSurvey& survey, const PointView& points, double radius) {
    if (survey.empty()) return {};
    if (survey.columns.empty()) return EveryPoint(ray, points, radius);
    // Only the part of the ray within the spheres' box can meet one.
    double from = ray.nearest, to = ray.farthest;
    for (int axis = 0; axis < 3; ++axis) {
        if (!ClipAxis(ray.origin[axis], ray.direction[axis], survey.lowest[axis] - radius,
                      survey.highest[axis] + radius, from, to)) {
            return {};
        }
    }
    return ColumnWalk(ray, survey, radius).Walk(from, to);
}

SpherePick PickPixel(const FrameView& view, int x, int y, const PointSurvey& survey, const PointView& points,
                     double radius) {
    return FirstSphereOnRay(RayThroughPixel(view, x, y), survey, points, radius);
}
