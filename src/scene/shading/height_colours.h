// Colours by height for "display/colour = height": a perceptually ordered
// map (dark blue-violet through teal and green to yellow) whose lightness
// rises steadily with height, so relief reads the same in colour and in
// grey, and for the common kinds of colour blindness.
#pragma once

#include <array>

#include "scene_settings.h"

struct PointSurvey;

using Colour = std::array<float, 3>;

// The map's colour for `level` within [lowest, highest]; levels outside are
// clamped to the ends, and a range of one level takes the map's middle.
Colour HeightColour(double level, double lowest, double highest);

// The map at t in [0, 1] (clamped), for filling a texture.
Colour ColourMapAt(double t);

// The material's ambient colour that goes with diffuse `colour`, in the
// proportion the default red material keeps between the two.
Colour AmbientFor(const Colour& colour);

// The range the height colours run between: the configured one, or that of
// the point set.
ColourRange ColoursOf(const DisplayOptions& options, const PointSurvey& survey);
