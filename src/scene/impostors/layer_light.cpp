#include "impostors/layer_light.h"

#include <algorithm>
#include <cmath>

#include "shading/fixed_state.h"
#include "vec3.h"

namespace {

// The farthest along the layer a ray is followed, in cells; a grazing view
// is held to it.
const double reachLimit = 12;

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

struct Face {
    Point3 u, v, normal;  // unit lattice axes in the plane, and out of it towards the eye
};

// Samples across a side of one cell of a face: 256 rays.
const int samplesAcross = 16;

// The light over one cell of a face, from the spheres of its layer and of
// the one behind it, met by rays along -z. A ray that meets none (it looks
// straight down a gap) is left out.
LayerLight FaceLight(const Face& face, double radius) {
    const Point3 direction = {0, 0, -1};
    const Lighting& l = sceneLighting;
    const Point3 toLight = Normalised({l.lightPosition[0], l.lightPosition[1], l.lightPosition[2]});
    const Point3 half = Normalised(Plus(toLight, {0, 0, 1}));
    const double facing = std::max(face.normal[2], 1e-3);
    // Along the ray from where it enters the front layer to where it leaves
    // the one behind, measured from the plane through the front centres.
    const double enter = -std::min(radius / facing, reachLimit), leave = std::min((1 + radius) / facing, reachLimit);
    const double du = Dot(direction, face.u), dv = Dot(direction, face.v);
    const int n = samplesAcross;
    double diffuse = 0, specular = 0;
    int hits = 0;
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n; ++i) {
            const double a = (i + 0.5) / n, b = (j + 0.5) / n;
            // Started in front of everything it can meet.
            const Point3 origin = Plus(Plus(Scaled(face.u, a), Scaled(face.v, b)), Scaled(direction, enter - 1));
            const double a0 = a + enter * du, a1 = a + leave * du, b0 = b + enter * dv, b1 = b + leave * dv;
            double nearest = HUGE_VAL;
            Point3 centre{};
            for (int layer = 0; layer < 2; ++layer) {
                const Point3 shift = Scaled(face.normal, -layer);
                for (int p = static_cast<int>(std::floor(std::min(a0, a1))) - 1; p <= std::ceil(std::max(a0, a1)) + 1; ++p) {
                    for (int q = static_cast<int>(std::floor(std::min(b0, b1))) - 1; q <= std::ceil(std::max(b0, b1)) + 1; ++q) {
                        const Point3 c = Plus(Plus(Scaled(face.u, p), Scaled(face.v, q)), shift);
                        const double t = Hit(origin, direction, c, radius);
                        if (t >= 0 && t < nearest) nearest = t, centre = c;
                    }
                }
            }
            if (nearest == HUGE_VAL) continue;
            ++hits;
            const Point3 surface = Scaled(Minus(Plus(origin, Scaled(direction, nearest)), centre), 1 / radius);
            const double lit = Dot(surface, toLight);
            if (lit <= 0) continue;
            diffuse += lit;
            specular += std::pow(std::max(0.0, Dot(surface, half)), static_cast<double>(l.materialShininess));
        }
    }
    if (hits == 0) return {};
    return {static_cast<float>(diffuse / hits), static_cast<float>(specular / hits)};
}

}  // namespace

FaceLights AveragedFaceLights(const std::array<double, 16>& modelview, double radius) {
    // The grid's axes in eye space; the eye looks along -z.
    const Point3 ex = Column(modelview, 0), ey = Column(modelview, 1), up = Column(modelview, 2);
    auto facing = [](const Point3& n) { return n[2] < 0 ? Scaled(n, -1) : n; };
    const std::array<Face, 3> faces = {{{ex, ey, facing(up)}, {ey, up, facing(ex)}, {ex, up, facing(ey)}}};
    FaceLights lights;
    for (std::size_t f = 0; f < faces.size(); ++f) {
        lights.light[f] = FaceLight(faces[f], radius);
        for (std::size_t k = 0; k < 3; ++k) lights.normal[f][k] = static_cast<float>(faces[f].normal[k]);
    }
    return lights;
}
