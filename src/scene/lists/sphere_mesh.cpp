#include <epoxy/gl.h>

#include "lists/sphere_mesh.h"

#include <cmath>
#include <vector>

namespace {

struct Ring {
    float sine, cosine;
};

// Single-precision sines and cosines of `count` equal steps of `step`.
std::vector<Ring> Steps(double step, int count) {
    std::vector<Ring> table(static_cast<std::size_t>(count) + 1);
    for (int i = 0; i <= count; ++i) {
        table[i] = {static_cast<float>(std::sin(step * i)), static_cast<float>(std::cos(step * i))};
    }
    return table;
}

void Vertex(float x, float y, float z, float radius) {
    glNormal3f(x, y, z);
    glVertex3f(x * radius, y * radius, z * radius);
}

}  // namespace

void DrawSphereMesh(double radius, int slices, int stacks) {
    if (slices < 2 || stacks < 2) return;
    const float r = static_cast<float>(radius);
    // Azimuth steps run clockwise from +x; the last one closes the strip.
    const std::vector<Ring> around = Steps(-2 * M_PI / slices, slices);
    const std::vector<Ring> down = Steps(M_PI / stacks, stacks);
    auto ringVertex = [&](int stack, int slice) {
        const Ring& a = around[slice % slices];
        const Ring& d = down[stack];
        Vertex(a.cosine * d.sine, a.sine * d.sine, d.cosine, r);
    };
    for (int stack = 0; stack < stacks; ++stack) {
        glBegin(GL_TRIANGLE_STRIP);
        for (int slice = 0; slice <= slices; ++slice) {
            if (stack == 0) {
                ringVertex(1, slice);
                Vertex(0, 0, 1, r);
            } else if (stack == stacks - 1) {
                Vertex(0, 0, -1, r);
                ringVertex(stack, slice);
            } else {
                ringVertex(stack + 1, slice);
                ringVertex(stack, slice);
            }
        }
        glEnd();
    }
}
