// The fixed OpenGL state every picture of the scene is drawn with: depth
// test, one directional light and the red material, on white. The values are
// kept here once, for the state itself and for the shaders that light the
// impostors the same way.
#pragma once

#include <array>

using Rgba = std::array<float, 4>;

struct Lighting {
    // The model's ambient light, left at the OpenGL default.
    Rgba sceneAmbient = {0.2f, 0.2f, 0.2f, 1.0f};
    Rgba lightAmbient = {0.5f, 0.5f, 0.5f, 1.0f};
    Rgba lightDiffuse = {0.9f, 0.9f, 0.9f, 1.0f};
    // Not set: the OpenGL default of light 0.
    Rgba lightSpecular = {1.0f, 1.0f, 1.0f, 1.0f};
    // w = 0: a directional light from the viewer's upper right, in eye space.
    Rgba lightPosition = {0.5f, 0.5f, 0.2f, 0.0f};
    // Red with cyan highlights.
    Rgba materialAmbient = {0.3f, 0.2f, 0.2f, 1.0f};
    Rgba materialDiffuse = {0.9f, 0.1f, 0.1f, 1.0f};
    Rgba materialSpecular = {0.0f, 1.0f, 1.0f, 0.5f};
    float materialShininess = 20.0f;
};

constexpr Lighting sceneLighting{};

// White; alpha 0, so a picture with an alpha channel shows no background.
constexpr Rgba clearColour = {1.0f, 1.0f, 1.0f, 0.0f};

// Depth test, lighting, light 0 and the material, in the current context.
// The light's position is given under the modelview matrix of the moment,
// which must be the identity so the light stays fixed relative to the eye.
void SetFixedState();
