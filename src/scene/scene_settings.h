// Everything "config.txt" says about how the scene looks, read by one
// function, so the viewer and the picture renderer take the same keys, the
// same defaults and give the same messages.
#pragma once

#include <optional>

#include "vec3.h"

class ConfigStore;

enum class Renderer { lists, impostors };

// The [camera] section. Unset keys leave the start camera (or the fitted
// one) as it is.
struct CameraKeys {
    std::optional<double> azimuthDegrees;    // the orbit's azimuth
    std::optional<double> elevationDegrees;  // above the ground plane: 90 looks straight down
    std::optional<double> distance;
    std::optional<Point3> centre;

    bool any() const { return azimuthDegrees || elevationDegrees || distance || centre; }
};

// The opt-in display choices; each default is the picture of the plain viewer.
struct DisplayOptions {
    // "display/cull-hidden" = 1: leave out spheres no camera outside the
    // solid can see.
    bool cullHidden = false;
    // "display/fit-view" = 1: start with the whole point set in view.
    bool fitView = false;
    // "display/colour" = height: spheres coloured by level instead of red.
    bool colourByHeight = false;
    // "display/renderer": the display lists, or ray-cast sphere impostors.
    Renderer renderer = Renderer::lists;
    // "display/level-of-detail" = 0: the impostors draw every sphere even
    // where it shows smaller than a pixel or two; by default far tiles draw
    // coarser stand-ins.
    bool levelOfDetail = true;
    // "display/antialias" = N: the viewer's window keeps N samples a pixel
    // (multisampling), where the display offers them; by default one.
    int antialias = 1;
    // "display/keys" = extended: the viewer's keys beyond the standard ones.
    bool extendedKeys = false;
    CameraKeys camera;
};

struct SceneSettings {
    double sphereRadius = 0.75;
    // Slices and stacks of every sphere.
    int sphereTesel = 6;
    DisplayOptions options;
};

// Reads the keys in a fixed order: "display/sphere-r", "display/sphere-tesel"
// (whose look-up writes the "## original = " line), "display/cull-hidden",
// "display/fit-view", "display/colour", "display/renderer",
// "display/level-of-detail", "display/antialias", "display/keys", then the
// [camera] keys. A value a key cannot take gives one "warning:" line
// and the key's default.
SceneSettings ReadSceneSettings(const ConfigStore& store);
