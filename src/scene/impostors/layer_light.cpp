#include "impostors/layer_light.h"

#include <algorithm>
#include <cmath>

#include "shading/fixed_state.h"
#include "vec3.h"

namespace {

// Samples a side of the lattice cell: 1024 rays.
const int samplesAcross = 32;
// The farthest any ray travels through the layer before it meets a sphere,
// in cells; a grazing view is held to it.
const int reachLimit = 12;

Point3 Column(const std::array<double, 16>& m, int c) {
    return {m[static_cast<std::size_t>(4 * c)], m[static_cast<std::size_t>(4 * c + 1)],
            m[static_cast<std::size_t>(4 * c + 2)]};
}

// The distance along `direction` from `origin` to the sphere, or a negative
// number when the ray misses it.
double Hit(const Point3& origin, const Point3& direction, const Point3& centre, double radius) {
    const Point3 offset = Minus(centre, origin);
    const double along = Dot(offset, direction);
    const double miss = Dot(offset, offset) - along * along;
    if (miss >= radius * radius) return -1;
    return along - std::sqrt(radius * radius - miss);
}

}  // namespace

LayerLight AveragedLayerLight(const std::array<double, 16>& modelview, double radius) {
    // The grid's axes in eye space; the eye looks along -z.
    const Point3 ex = Column(modelview, 0), ey = Column(modelview, 1), up = Column(modelview, 2);
    const Point3 direction = {0, 0, -1};
    const Lighting& l = sceneLighting;
    const Point3 toLight = Normalised({l.lightPosition[0], l.lightPosition[1], l.lightPosition[2]});
    const Point3 half = Normalised(Plus(toLight, {0, 0, 1}));
    // A ray crosses the layer's thickness over this many cells.
    const double slope = std::fabs(up[2]);
    const int reach = std::min(reachLimit, static_cast<int>(std::ceil(2 * radius * std::sqrt(1 - slope * slope) /
                                                                      std::max(slope, 1e-3))) + 2);
    double diffuse = 0, specular = 0;
    int rays = 0;
    for (int i = 0; i < samplesAcross; ++i) {
        for (int j = 0; j < samplesAcross; ++j) {
            const double a = (i + 0.5) / samplesAcross, b = (j + 0.5) / samplesAcross;
            // From well in front of the layer, through a point of one cell.
            const Point3 origin = Plus(Plus(Scaled(ex, a), Scaled(ey, b)), {0, 0, 4.0 * reach});
            double nearest = HUGE_VAL;
            Point3 centre{};
            for (int u = -reach; u <= reach; ++u) {
                for (int v = -reach; v <= reach; ++v) {
                    const Point3 c = Plus(Scaled(ex, u), Scaled(ey, v));
                    const double t = Hit(origin, direction, c, radius);
                    if (t >= 0 && t < nearest) nearest = t, centre = c;
                }
            }
            if (nearest == HUGE_VAL) continue;
            ++rays;
            const Point3 normal = Scaled(Minus(Plus(origin, Scaled(direction, nearest)), centre), 1 / radius);
            const double lit = Dot(normal, toLight);
            if (lit <= 0) continue;
            diffuse += lit;
            specular += std::pow(std::max(0.0, Dot(normal, half)), static_cast<double>(l.materialShininess));
        }
    }
    if (rays == 0) return {};
    return {static_cast<float>(diffuse / rays), static_cast<float>(specular / rays)};
}
