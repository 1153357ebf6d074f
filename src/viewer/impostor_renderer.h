// The opt-in renderer of "display/renderer = impostors": every sphere a true
// sphere of radius sphereRadius, ray-cast per pixel from one triangle, lit with the
// fixed-function formulas and the context's own light and material (or the
// height colours), with the depth of the true surface. The GPU keeps three
// floats per drawn sphere. The tessellation plays no part: "+" and "-" still
// change the value, but there is nothing to rebuild.
//
// Only this file's functions touch the shader path, so the viewer's own files
// need no OpenGL loader.
#pragma once

#include <cstddef>

// Sets the shader path up in the current context. False, after one
// "warning:" line naming the reason, when the context cannot do it (an
// OpenGL below 3.3 without buffer textures of three floats, or shaders that
// do not compile or link); the viewer then draws with the display lists.
// PELORIN_REFUSE_SHADERS=1 in the environment makes the fragment shader one
// that does not compile, to test that path on any driver.
bool StartImpostors();

// Fills the GPU buffer for the current point set, radius and cull setting,
// unless the last build was for the same ones: a tessellation change costs
// nothing. False, after a "warning:" line, when the buffer texture cannot
// hold every sphere; the shader path is then given up.
bool PrepareImpostors();

// Makes the next PrepareImpostors build afresh, for a point set that changed
// in place (the viewer's own never does).
void ForgetImpostorBuffers();

// Draws the spheres with the current modelview and projection matrices:
// every tile that can reach into the view volume, and only every other row
// and column of them while a mouse button is held (dragMode != 0) and the
// latest full frame took longer than impostorCoarseAfterSeconds. Ends with
// glFinish, so a full frame's time is known.
void DrawImpostors();

// Full frames slower than this give way to the reduced set while dragging:
// 1/25 s, below which motion still looks smooth.
extern double impostorCoarseAfterSeconds;
// Whether frames leave out the tiles outside the view; turned off only to
// compare pictures.
extern bool impostorSkipOutsideTiles;
// Whether the latest frame drew the reduced set, and how many spheres.
extern bool impostorFrameCoarse;
extern std::size_t impostorFrameSpheres;
