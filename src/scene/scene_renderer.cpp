#include <epoxy/gl.h>

#include "scene_renderer.h"

#include <string>

#include "point_limit.h"

#include "camera/frame_view.h"
#include "shading/height_colours.h"
#include "survey/point_view.h"

void SceneRenderer::SetSurface(const SurfaceSource& surface) {
    // Big grids are shown with the impostors; the plain renderer stays as
    // quiet as it always was.
    if (active_ == Renderer::impostors) {
        const std::uint64_t count = surface.grid ? surface.grid->spheres() : surface.points.count;
        preparing_ = std::make_unique<SlowWorkNote>("preparing " + std::to_string(count) + " points to draw",
                                                    std::chrono::seconds(1), report_);
    }
    surface_ = surface;
    ForgetMadePoints();
    survey_ = surface.grid ? SurveyGrid(*surface.grid) : SurveyPoints(surface.points);
    if (active_ == Renderer::impostors) ApplyFloor(survey_, floor_);
    impostors_.Forget();
}

void SceneRenderer::ForgetMadePoints() {
    madeX_ = {}, madeY_ = {}, madeZ_ = {};
}

PointView SceneRenderer::ListPoints() {
    if (surface_.grid == nullptr || surface_.points.count > 0 || survey_.empty()) return surface_.points;
    if (survey_.count > MaxLoadablePoints()) {
        report_.Error("the display lists cannot hold the " + std::to_string(survey_.count) + " points of this grid, more than the " +
                      std::to_string(MaxLoadablePoints()) + " this machine's memory allows; nothing is drawn");
        return {};
    }
    WriteGridPoints(*surface_.grid, madeX_, madeY_, madeZ_);
    surface_.points = PointView(madeX_, madeY_, madeZ_);
    return surface_.points;
}

void SceneRenderer::Start(Renderer wanted, const RendererTrials& trials) {
    active_ = Renderer::lists;
    if (wanted != Renderer::impostors) return;
    const std::string refused = impostors_.Start(trials.refuseShaders, trials.refuseGpuBuffer, trials.largestChunk);
    if (refused.empty()) {
        active_ = Renderer::impostors;
    } else {
        GiveWayToLists(refused);
    }
}

void SceneRenderer::Prepare(double radius, int tesel, const DisplayOptions& options) {
    WarnWithoutColumns(options);
    if (options.outlines && active_ == Renderer::lists && !saidNoOutlines_) {
        report_.Warning("display/outlines: drawn only with display/renderer = impostors");
        saidNoOutlines_ = true;
    }
    if (options.floor > 0 && active_ == Renderer::lists && !saidNoFloor_) {
        report_.Warning("display/floor: drawn only with display/renderer = impostors");
        saidNoFloor_ = true;
    }
    // Impostors keep their own buffer and no lists, which would only take
    // memory.
    if (active_ == Renderer::impostors) {
        const std::string refused = impostors_.Prepare(surface_.points, survey_, radius, options.cullHidden,
                                                       options.levelOfDetail, options.ambientOcclusion);
        preparing_.reset();
        if (refused.empty()) return;
        GiveWayToLists(refused);
    }
    lists_.Build(ListPoints(), survey_, radius, tesel, options);
}

void SceneRenderer::SetFrame(const LoadedFrame& frame, double radius, int tesel, const DisplayOptions& options) {
    surface_ = {frame.grid.empty() ? nullptr : &frame.grid, frame.view()};
    ForgetMadePoints();
    survey_ = frame.survey;
    if (active_ == Renderer::impostors) ApplyFloor(survey_, floor_);
    WarnWithoutColumns(options);
    if (active_ == Renderer::impostors && frame.impostors) {
        const std::string refused =
            impostors_.Take(*frame.impostors, surface_.points, options.cullHidden, options.levelOfDetail);
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
    report_.Warning(
        "display/ambient-occlusion: the points do not form whole-number columns; they are drawn without occlusion");
    saidWithoutColumns_ = true;
}

void SceneRenderer::GiveWayToLists(const std::string& reason) {
    report_.Warning("display/renderer = impostors: " + reason + "; drawing with the display lists");
    active_ = Renderer::lists;
}

void LoadFrame(const FrameView& frame) {
    glViewport(0, 0, frame.drawnWidth(), frame.drawnHeight());
    LoadPerspective(frame.projection, frame.width, frame.height, frame.tile);
    LoadLookAt(EyePosition(frame.camera), frame.camera.centre, frame.up);
}
