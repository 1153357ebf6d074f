// What one frame is drawn from besides the scene itself: the camera, the
// perspective, the size of the picture and, for a picture drawn in tiles,
// the part of it that this drawing covers.
#pragma once

#include <array>

#include "camera/camera.h"
#include "vec3.h"

// A rectangle of the whole picture, in pixels from its bottom left corner.
// A width of 0 means the whole picture.
struct TileWindow {
    int x = 0, y = 0, width = 0, height = 0;
};

struct FrameView {
    OrbitCamera camera;
    Point3 up = {0, 0, 1};
    Projection projection;
    // The whole picture, in pixels.
    int width = 0;
    int height = 0;
    TileWindow tile;
    // A mouse button is held: a renderer may draw a reduced set.
    bool dragging = false;

    int drawnWidth() const { return tile.width > 0 ? tile.width : width; }
    int drawnHeight() const { return tile.width > 0 ? tile.height : height; }
};

// Column-major, as OpenGL keeps matrices.
using Matrix4 = std::array<double, 16>;

Matrix4 Multiply(const Matrix4& a, const Matrix4& b);

// The frame's projection: the perspective of the whole picture, narrowed to
// the tile. A height of 0 is taken as 1, so the aspect ratio stays finite.
Matrix4 ProjectionMatrix(const FrameView& frame);
// The eye at the camera's position looking at its centre with `up`.
Matrix4 ModelviewMatrix(const FrameView& frame);

// The same two matrices made current in OpenGL through GLU's perspective and
// look-at calls, as the viewer's callbacks make them. The projection matrix
// is left selected by the first, the modelview matrix by the second.
void LoadPerspective(const Projection& projection, int width, int height, const TileWindow& tile = {});
void LoadLookAt(const Point3& eye, const Point3& centre, const Point3& up);
