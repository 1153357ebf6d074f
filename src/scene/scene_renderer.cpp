#include <epoxy/gl.h>

#include "scene_renderer.h"

#include <string>

#include "camera/frame_view.h"
#include "shading/height_colours.h"
#include "survey/point_view.h"

void SceneRenderer::SetPoints(const PointView& points) {
    // Big grids are shown with the impostors; the plain renderer stays as
    // quiet as it always was.
    if (active_ == Renderer::impostors) {
        preparing_ = std::make_unique<SlowWorkNote>("preparing " + std::to_string(points.count) + " points to draw",
                                                    std::chrono::seconds(1), report_);
    }
    points_ = points;
    survey_ = SurveyPoints(points);
    impostors_.Forget();
}

void SceneRenderer::Start(Renderer wanted, const RendererTrials& trials) {
    active_ = Renderer::lists;
    if (wanted != Renderer::impostors) return;
    const std::string refused = impostors_.Start(trials.refuseShaders, trials.refuseGpuBuffer);
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

void SceneRenderer::SetFrame(const LoadedFrame& frame, double radius, int tesel, const DisplayOptions& options) {
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
