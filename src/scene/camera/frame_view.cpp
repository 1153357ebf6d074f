#include <epoxy/gl.h>
#include <GL/glu.h>

#include "camera/frame_view.h"

#include <cmath>

namespace {

double Aspect(int width, int height) {
    const int aspectHeight = height == 0 ? 1 : height;
    return static_cast<double>(width) / static_cast<double>(aspectHeight);
}

Matrix4 Identity() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

// Maps the tile's part of normalised device coordinates onto the whole range.
Matrix4 TileMatrix(int width, int height, const TileWindow& tile) {
    Matrix4 m = Identity();
    if (tile.width <= 0 || width <= 0 || height <= 0) return m;
    const double sx = static_cast<double>(width) / tile.width;
    const double sy = static_cast<double>(height) / tile.height;
    const double cx = (2.0 * tile.x + tile.width) / width - 1;
    const double cy = (2.0 * tile.y + tile.height) / height - 1;
    m[0] = sx;
    m[5] = sy;
    m[12] = -cx * sx;
    m[13] = -cy * sy;
    return m;
}

// The matrix gluPerspective multiplies by.
Matrix4 Perspective(double fovyDegrees, double aspect, double nearPlane, double farPlane) {
    const double f = 1 / std::tan(fovyDegrees * M_PI / 360);
    const double depth = farPlane - nearPlane;
    return {f / aspect, 0, 0, 0, 0, f, 0, 0, 0, 0, -(farPlane + nearPlane) / depth, -1,
            0, 0, -2 * nearPlane * farPlane / depth, 0};
}

}  // namespace

Matrix4 Multiply(const Matrix4& a, const Matrix4& b) {
    Matrix4 m{};
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            double sum = 0;
            for (int k = 0; k < 4; ++k) sum += a[4 * k + row] * b[4 * column + k];
            m[4 * column + row] = sum;
        }
    }
    return m;
}

Matrix4 ProjectionMatrix(const FrameView& frame) {
    const Projection& p = frame.projection;
    return Multiply(TileMatrix(frame.width, frame.height, frame.tile),
                    Perspective(p.fieldOfView, Aspect(frame.width, frame.height), p.nearPlane, p.farPlane));
}

Matrix4 ModelviewMatrix(const FrameView& frame) {
    const Point3 eye = EyePosition(frame.camera);
    const Point3 forward = Normalised(Minus(frame.camera.centre, eye));
    const Point3 side = Normalised(Cross(forward, frame.up));
    const Point3 upward = Cross(side, forward);
    return {side[0], upward[0], -forward[0], 0, side[1], upward[1], -forward[1], 0,
            side[2], upward[2], -forward[2], 0, -Dot(side, eye), -Dot(upward, eye), Dot(forward, eye), 1};
}

void LoadPerspective(const Projection& projection, int width, int height, const TileWindow& tile) {
    glMatrixMode(GL_PROJECTION);
    if (tile.width > 0) {
        glLoadMatrixd(TileMatrix(width, height, tile).data());
    } else {
        glLoadIdentity();
    }
    gluPerspective(projection.fieldOfView, Aspect(width, height), projection.nearPlane, projection.farPlane);
}

void LoadLookAt(const Point3& eye, const Point3& centre, const Point3& up) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(eye[0], eye[1], eye[2], centre[0], centre[1], centre[2], up[0], up[1], up[2]);
}
