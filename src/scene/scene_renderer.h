// The renderer of the scene: the display lists or the impostors, and the
// point set they draw with its survey. Whether the impostors give way to the
// lists is decided here and only here. It draws into whatever OpenGL context
// is current when its functions are called, always the same one, and knows
// nothing of windows.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "diagnostics.h"
#include "impostors/impostor_renderer.h"
#include "lists/list_renderer.h"
#include "scene_settings.h"
#include "series/frame_loader.h"
#include "slow_work_note.h"
#include "survey/point_survey.h"
#include "survey/point_view.h"
#include "survey/surface_source.h"

struct FrameView;

// Refusals asked for on purpose, to test the fall-back to the lists on any
// driver: the impostors' shaders, or the buffer of their spheres.
struct RendererTrials {
    bool refuseShaders = false;
    bool refuseGpuBuffer = false;
    // Buffer textures of at most this many spheres; 0: what the driver allows.
    std::size_t largestChunk = 0;
};

class SceneRenderer {
public:
    SceneRenderer(SphereDrawer drawSphere, Diagnostics& report) : report_(report), lists_(drawSphere) {}

    // The point set to draw, surveyed once here. Not owned: it must outlive
    // its drawing. With the impostors, a preparation from here to the end of
    // the next Prepare that takes more than a second says so (SlowWorkNote).
    void SetPoints(const PointView& points) { SetSurface({nullptr, points}); }
    // The same for a surface that may come as a grid, its points not made.
    void SetSurface(const SurfaceSource& surface);
    const SurfaceSource& surface() const { return surface_; }
    // The level below which the impostors draw nothing (display/floor).
    void SetFloor(std::int32_t floor) { floor_ = floor; }
    const PointSurvey& survey() const { return survey_; }

    // Sets the wanted renderer up in the current context. Impostors that the
    // context cannot run give one warning, and the lists draw.
    void Start(Renderer wanted, const RendererTrials& trials);

    // Makes the active renderer ready for these spheres: the lists are
    // compiled anew, the impostors' buffer filled unless it already holds
    // them. An impostor buffer that cannot hold the scene gives one warning,
    // and from then on the lists draw.
    void Prepare(double radius, int tesel, const DisplayOptions& options);

    // Takes a frame of a series read and made ready on another thread: the
    // impostors its placed spheres, the lists are compiled for it. The
    // frame must outlive its drawing.
    void SetFrame(const LoadedFrame& frame, double radius, int tesel, const DisplayOptions& options);

    // Draws with the current matrices (the lists) or the frame's camera (the
    // impostors), and says which renderer drew.
    Renderer Draw(const FrameView& frame, const DisplayOptions& options);

    Renderer active() const { return active_; }
    // Spheres the active renderer holds after the latest Prepare.
    std::size_t spheres() const;

    ListRenderer& lists() { return lists_; }
    ImpostorRenderer& impostors() { return impostors_; }

private:
    void GiveWayToLists(const std::string& reason);
    // One warning, once, when occlusion is asked of points that do not form
    // columns.
    void WarnWithoutColumns(const DisplayOptions& options);
    // The points the lists draw: the surface's, or made from its grid here
    // the first time the lists need them. None, after one "error:" line,
    // when there are more than memory can hold.
    PointView ListPoints();
    void ForgetMadePoints();

    Diagnostics& report_;
    SurfaceSource surface_;
    PointSurvey survey_;
    // Points made from a grid for the lists.
    std::vector<double> madeX_, madeY_, madeZ_;
    std::unique_ptr<SlowWorkNote> preparing_;
    bool saidWithoutColumns_ = false;
    bool saidNoOutlines_ = false;
    bool saidNoFloor_ = false;
    std::int32_t floor_ = 0;
    Renderer active_ = Renderer::lists;
    ListRenderer lists_;
    ImpostorRenderer impostors_;
};

// Sets the viewport over the part of the picture the frame draws, and loads
// its perspective and camera as the current OpenGL matrices.
void LoadFrame(const FrameView& frame);
