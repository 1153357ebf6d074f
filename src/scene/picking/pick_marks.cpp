#include <epoxy/gl.h>

#include "picking/pick_marks.h"

#include <algorithm>
#include <cmath>

#include "overlays/overlay.h"

namespace {

// A ring stands this many pixels clear of the sphere it marks, so the
// sphere's own colour still shows inside it.
const double ringGap = 3;
const double ringWidth = 3;
// A dark edge keeps the mark apart from light and dark terrain alike.
const double edgeWidth = 1.5;
const float markColour[3] = {1.0f, 0.0f, 1.0f};
const float edgeColour[3] = {0.0f, 0.0f, 0.0f};
const int ringSegments = 48;

// Between glBegin(GL_QUAD_STRIP) and glEnd: the band from `inner` to
// `outer` round (x, y).
void Annulus(double x, double y, double inner, double outer) {
    for (int i = 0; i <= ringSegments; ++i) {
        const double angle = 2 * M_PI * i / ringSegments;
        const double c = std::cos(angle), s = std::sin(angle);
        glVertex2d(x + inner * c, y + inner * s);
        glVertex2d(x + outer * c, y + outer * s);
    }
}

// Between glBegin(GL_QUADS) and glEnd: the segment from a to b, `width`
// pixels wide.
void Band(const MarkPlace& a, const MarkPlace& b, double width) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length = std::hypot(dx, dy);
    if (length == 0) return;
    const double nx = -dy / length * width / 2, ny = dx / length * width / 2;
    glVertex2d(a.x + nx, a.y + ny);
    glVertex2d(b.x + nx, b.y + ny);
    glVertex2d(b.x - nx, b.y - ny);
    glVertex2d(a.x - nx, a.y - ny);
}

void Ring(const MarkPlace& place) {
    const double inner = place.radius + ringGap;
    glColor3fv(edgeColour);
    glBegin(GL_QUAD_STRIP);
    Annulus(place.x, place.y, inner - edgeWidth, inner + ringWidth + edgeWidth);
    glEnd();
    glColor3fv(markColour);
    glBegin(GL_QUAD_STRIP);
    Annulus(place.x, place.y, inner, inner + ringWidth);
    glEnd();
}

void Segment(const MarkPlace& a, const MarkPlace& b) {
    glColor3fv(edgeColour);
    glBegin(GL_QUADS);
    Band(a, b, ringWidth + 2 * edgeWidth);
    glEnd();
    glColor3fv(markColour);
    glBegin(GL_QUADS);
    Band(a, b, ringWidth);
    glEnd();
}

Point3 CentreOf(const SpherePick& pick) {
    return {static_cast<double>(pick.x), static_cast<double>(pick.y), static_cast<double>(pick.level)};
}

bool SameView(const FrameView& a, const FrameView& b) {
    const OrbitCamera &p = a.camera, &q = b.camera;
    return p.centre == q.centre && p.distance == q.distance && p.theta == q.theta && p.phi == q.phi && a.up == b.up &&
           a.projection.fieldOfView == b.projection.fieldOfView && a.projection.nearPlane == b.projection.nearPlane &&
           a.projection.farPlane == b.projection.farPlane && a.width == b.width && a.height == b.height &&
           a.tile.x == b.tile.x && a.tile.y == b.tile.y && a.tile.width == b.tile.width &&
           a.tile.height == b.tile.height;
}

}  // namespace

void PickMarks::Pick(const SpherePick& pick) {
    second_.reset();
    if (pick.hit) {
        first_ = pick;
    } else {
        first_.reset();
    }
}

void PickMarks::Measure(const SpherePick& pick) {
    if (!first_) {
        Pick(pick);
    } else if (pick.hit) {
        second_ = pick;
    } else {
        second_.reset();
    }
}

MarkPlace PlaceOf(const FrameView& view, const Point3& centre, double sphereRadius) {
    const Matrix4 projection = ProjectionMatrix(view);
    const Matrix4 m = Multiply(projection, ModelviewMatrix(view));
    double clip[4];
    for (int row = 0; row < 4; ++row) {
        clip[row] = m[row] * centre[0] + m[4 + row] * centre[1] + m[8 + row] * centre[2] + m[12 + row];
    }
    MarkPlace place;
    // w is the depth in front of the eye; behind it there is nothing to mark.
    if (clip[3] <= 0) return place;
    place.inFront = true;
    place.x = (clip[0] / clip[3] + 1) / 2 * view.width;
    place.y = (clip[1] / clip[3] + 1) / 2 * view.height;
    // The projection's vertical scale over the depth: pixels per unit there.
    place.radius = sphereRadius * projection[5] / clip[3] * view.height / 2;
    return place;
}

void DrawMarks(const FrameView& view, const PickMarks& marks, double sphereRadius) {
    if (!marks.first()) return;
    const OverlayState state(view.width, view.height, view.tile);
    glDisable(GL_BLEND);
    const MarkPlace first = PlaceOf(view, CentreOf(*marks.first()), sphereRadius);
    if (marks.second()) {
        const MarkPlace second = PlaceOf(view, CentreOf(*marks.second()), sphereRadius);
        if (first.inFront && second.inFront) Segment(first, second);
        if (second.inFront) Ring(second);
    }
    if (first.inFront) Ring(first);
}

void PictureCopy::Keep(const FrameView& view, unsigned long generation) {
    const int width = view.drawnWidth(), height = view.drawnHeight();
    if (width <= 0 || height <= 0) return;
    glPushAttrib(GL_TEXTURE_BIT);
    glActiveTexture(GL_TEXTURE0);
    if (texture_ == 0) glGenTextures(1, &texture_);
    glBindTexture(GL_TEXTURE_2D, texture_);
    if (width != textureWidth_ || height != textureHeight_) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
        textureWidth_ = width;
        textureHeight_ = height;
    }
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width, height);
    glPopAttrib();
    kept_ = true;
    view_ = view;
    generation_ = generation;
}

bool PictureCopy::Holds(const FrameView& view, unsigned long generation) const {
    // A picture drawn while dragging may be a coarse one, good only for
    // another frame of the drag; one drawn at rest serves both, so pressing
    // a button to click costs no redraw.
    return kept_ && generation == generation_ && SameView(view, view_) && (view.dragging || !view_.dragging);
}

void PictureCopy::Draw() const {
    const OverlayState state(view_.width, view_.height, view_.tile);
    glDisable(GL_BLEND);
    glActiveTexture(GL_TEXTURE0);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture_);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    const double left = view_.tile.width > 0 ? view_.tile.x : 0, bottom = view_.tile.width > 0 ? view_.tile.y : 0;
    const double right = left + textureWidth_, top = bottom + textureHeight_;
    glBegin(GL_QUADS);
    glTexCoord2d(0, 0);
    glVertex2d(left, bottom);
    glTexCoord2d(1, 0);
    glVertex2d(right, bottom);
    glTexCoord2d(1, 1);
    glVertex2d(right, top);
    glTexCoord2d(0, 1);
    glVertex2d(left, top);
    glEnd();
}
