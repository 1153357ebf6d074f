// How a far field of spheres looks. Where spheres shrink to a pixel or two,
// each pixel of a fine picture blends many points of them: their lit caps,
// their shaded sides and the ones behind showing between them. A sphere lit
// at the one point its pixel's ray meets paints the pixel with that point
// alone, a pattern of highlights and shadows that beats against the pixel
// grid. Shading it with the average light of the layer it stands in keeps
// the brightness of the fine picture without the moiré.
#pragma once

#include <array>

struct LayerLight {
    float diffuse = 0;   // mean of max(N.L, 0)
    float specular = 0;  // mean of the specular factor
};

// The faces a terrain of columns shows: the tops and the walls across the
// grid's x and its y, each the side that turns towards the eye.
struct FaceLights {
    std::array<LayerLight, 3> light;               // tops, x wall, y wall
    std::array<std::array<float, 3>, 3> normal{};  // the same, in eye space
};

// The fixed-function light factors of the scene's light averaged over each
// face of a solid lattice of spheres of `radius` on the unit grid, as the eye
// of `modelview` sees it: the light is fixed relative to the eye, so only the
// lattice's turn towards it matters.
FaceLights AveragedFaceLights(const std::array<double, 16>& modelview, double radius);
