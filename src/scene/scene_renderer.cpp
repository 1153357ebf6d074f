#include <epoxy/gl.h>

#include "scene_renderer.h"

#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "camera/frame_view.h"
#include "survey/point_view.h"
#include "shading/height_colours.h"

namespace {

// The software renderer allocates and frees tens of megabytes every frame.
// Given back to the system each time, that memory comes back as fresh pages
// the kernel must zero, and on a virtual machine each shrink of the heap
// stops every processor to flush its page tables: it more than doubled the
// frame time of a whole 344x344 terrain. Kept below this much, it is reused.
const int freedMemoryKept = 256 << 20;

void KeepFreedMemoryForReuse() { mallopt(M_TRIM_THRESHOLD, freedMemoryKept); }

bool Asked(const char* hook) {
    const char* value = std::getenv(hook);
    return value != nullptr && std::strcmp(value, "1") == 0;
}

}  // namespace

void SceneRenderer::Show(const PointView& points) {
    // Big grids are shown with the impostors; the plain renderer stays as
    // quiet as it always was.
    if (active_ == Renderer::impostors) {
        preparing_ = std::make_unique<SlowWorkNote>("preparing " + std::to_string(points.count) + " points to draw");
    }
    points_ = points;
    survey_ = SurveyPoints(points);
    impostors_.Forget();
}

void SceneRenderer::Start(Renderer wanted) {
    KeepFreedMemoryForReuse();
    active_ = Renderer::lists;
    if (wanted != Renderer::impostors) return;
    const std::string refused = impostors_.Start(Asked("PELORIN_REFUSE_SHADERS"), Asked("PELORIN_REFUSE_GPU_BUFFER"));
    if (refused.empty()) {
        active_ = Renderer::impostors;
    } else {
        GiveWayToLists(refused);
    }
}

void SceneRenderer::Prepare(double radius, int tesel, const DisplayOptions& options) {
    WarnWithoutColumns(options);
    if (options.outlines && active_ == Renderer::lists && !saidNoOutlines_) {
        std::fprintf(stderr, "warning: display/outlines: drawn only with display/renderer = impostors\n");
        saidNoOutlines_ = true;
    }
    // Impostors keep their own buffer and no lists, which would only take
    // memory.
    if (active_ == Renderer::impostors) {
        const std::string refused = impostors_.Prepare(points_, survey_, radius, options.cullHidden,
                                                       options.levelOfDetail, options.ambientOcclusion);
        preparing_.reset();
        if (refused.empty()) return;
        GiveWayToLists(refused);
    }
    lists_.Build(points_, survey_, radius, tesel, options);
}

void SceneRenderer::ShowFrame(const LoadedFrame& frame, double radius, int tesel, const DisplayOptions& options) {
    points_ = frame.view();
    survey_ = frame.survey;
    WarnWithoutColumns(options);
    if (active_ == Renderer::impostors && frame.impostors) {
        const std::string refused = impostors_.Take(*frame.impostors, points_, options.cullHidden, options.levelOfDetail);
        if (refused.empty()) return;
        GiveWayToLists(refused);
    }
    Prepare(radius, tesel, options);
}

Renderer SceneRenderer::Draw(const FrameView& frame, const DisplayOptions& options) {
    if (active_ == Renderer::impostors) {
        impostors_.Draw(frame, options.colourByHeight, ColoursOf(options, survey_), options.outlines);
    } else {
        lists_.Draw();
    }
    return active_;
}

std::size_t SceneRenderer::spheres() const {
    return active_ == Renderer::impostors ? impostors_.spheres() : lists_.spheres();
}

void SceneRenderer::WarnWithoutColumns(const DisplayOptions& options) {
    if (!options.ambientOcclusion || !survey_.columns.empty() || survey_.empty() || saidWithoutColumns_) return;
    std::fprintf(stderr,
                 "warning: display/ambient-occlusion: the points do not form whole-number columns; they are drawn "
                 "without occlusion\n");
    saidWithoutColumns_ = true;
}

void SceneRenderer::GiveWayToLists(const std::string& reason) {
    std::fprintf(stderr, "warning: display/renderer = impostors: %s; drawing with the display lists\n",
                 reason.c_str());
    active_ = Renderer::lists;
}

void LoadFrame(const FrameView& frame) {
    glViewport(0, 0, frame.drawnWidth(), frame.drawnHeight());
    LoadPerspective(frame.projection, frame.width, frame.height, frame.tile);
    LoadLookAt(EyePosition(frame.camera), frame.camera.centre, frame.up);
}
