// How a far field of spheres looks on average. Where spheres shrink to a
// pixel or two, each pixel of a fine picture blends many of them: their lit
// caps, their shaded sides and the gaps where the ones behind show. A coarse
// stand-in lit as one smooth sphere would instead paint every pixel with one
// point of one sphere, a pattern of highlights that beats against the pixel
// grid. Shading it with the average of the layer it stands for keeps the
// brightness of the fine picture without the moiré.
#pragma once

#include <array>

struct LayerLight {
    float diffuse = 0;   // mean of max(N.L, 0)
    float specular = 0;  // mean of the specular factor where N.L > 0
};

// The fixed-function light factors of the scene's light averaged over a flat
// layer of spheres of `radius` on the unit grid (the lattice of one level of
// columns), as the eye of `modelview` sees it: the light is fixed relative to
// the eye, so only the layer's turn towards it matters.
LayerLight AveragedLayerLight(const std::array<double, 16>& modelview, double radius);
