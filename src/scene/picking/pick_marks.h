// The columns picked in the window, one for a pick and a second for a
// measure, and how they are drawn: a ring round each picked sphere and the
// segment between two, in the picture's own pixels over whatever is drawn.
#pragma once

#include <optional>

#include "camera/frame_view.h"
#include "picking/sphere_pick.h"

class PickMarks {
public:
    // A plain pick: a sphere becomes the one pick; the background clears
    // both.
    void Pick(const SpherePick& pick);
    // A second pick: with no first it is a plain pick; the background clears
    // the second alone.
    void Measure(const SpherePick& pick);

    const std::optional<SpherePick>& first() const { return first_; }
    const std::optional<SpherePick>& second() const { return second_; }

private:
    std::optional<SpherePick> first_;
    std::optional<SpherePick> second_;
};

// Where the centre of a sphere at `centre` lands in the whole picture of
// `view`, in pixels from its bottom left, and the radius it shows with.
struct MarkPlace {
    bool inFront = false;
    double x = 0, y = 0;
    double radius = 0;
};
MarkPlace PlaceOf(const FrameView& view, const Point3& centre, double sphereRadius);

// Needs the OpenGL context: draws the marks of `marks` over the picture of
// `view`, with no depth test.
void DrawMarks(const FrameView& view, const PickMarks& marks, double sphereRadius);

// The last whole picture drawn, kept in a texture so that a change of the
// marks alone redraws them over it instead of drawing every sphere again.
class PictureCopy {
public:
    // Copies the picture of `view`, just drawn into the current read
    // buffer, and remembers it as picture `generation`.
    void Keep(const FrameView& view, unsigned long generation);
    // Whether the copy is of `view` as picture `generation`, and drawn as
    // fine as `view` needs.
    bool Holds(const FrameView& view, unsigned long generation) const;
    // Draws the copy over the whole picture.
    void Draw() const;

private:
    // The texture lives as long as the context: the scene outlives it in
    // the viewer, and a texture cannot be deleted without one.
    unsigned int texture_ = 0;
    int textureWidth_ = 0, textureHeight_ = 0;
    bool kept_ = false;
    FrameView view_;
    unsigned long generation_ = 0;
};
