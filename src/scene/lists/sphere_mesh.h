// A solid sphere drawn in the current context without the window toolkit,
// with the very triangles of the toolkit's own solid sphere, so a picture
// drawn offscreen matches the viewer's.
#pragma once

// How the display-list renderer draws one sphere at the origin: the
// toolkit's solid sphere in the viewer, DrawSphereMesh offscreen.
using SphereDrawer = void (*)(double radius, int slices, int stacks);

// `stacks` rings of latitude from +z down, each one triangle strip of
// `slices` steps of azimuth, taken clockwise seen from above; the two end
// strips meet the poles. Normals point outwards. Draws nothing below 2
// slices or 2 stacks.
void DrawSphereMesh(double radius, int slices, int stacks);
