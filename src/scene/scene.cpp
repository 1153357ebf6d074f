#include <epoxy/gl.h>

#include "scene.h"

#include <algorithm>
#include <cmath>

#include "camera/camera_fit.h"
#include "camera/grown_bounds.h"
#include "data_file.h"
#include "framing.h"
#include "overlays/overlays.h"
#include "picking/measure_line.h"
#include "picking/pick_terms.h"
#include "picking/profile.h"
#include "shading/fixed_state.h"
#include "shading/height_colours.h"

namespace {

// What every OpenGL implementation must allow, for one that reports nothing.
const int fallbackLargestSide = 4096;

// The largest side the context's viewport can take.
int LargestPictureSide() {
    GLint dims[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, dims);
    const int smaller = std::min(dims[0], dims[1]);
    return smaller > 0 ? smaller : fallbackLargestSide;
}

// The levels a frame spans, as the colours would span them unfixed.
ColourRange LevelsOf(const PointSurvey& survey) { return {survey.lowest[2], survey.highest[2]}; }

}  // namespace

Scene::Scene(const SceneSettings& settings, SphereDrawer drawSphere, Diagnostics& report)
    : settings_(settings), report_(report), renderer_(drawSphere, report) {
    renderer_.SetFloor(settings_.options.floor);
}

void Scene::Start(const RendererTrials& trials) {
    PictureChanged();
    SetFixedState();
    glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
    renderer_.Start(settings_.options.renderer, trials);
}

void Scene::DrawFrame(const FrameView& view) {
    if (series_ && series_->count() > 0) {
        SetFrameFacts(FactsFor(series_->shown() + 1, series_->count(), series_->file(series_->shown())));
    }
    if (keepPictures_ && pictureCopy_.Holds(view, pictureGeneration_)) {
        pictureCopy_.Draw();
    } else {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        renderer_.Draw(view, settings_.options);
        DrawOverlays(OverlaysWanted(settings_, renderer_.survey()), Overlays(view.width, view.height), view, caption_);
        if (keepPictures_) pictureCopy_.Keep(view, pictureGeneration_);
    }
    DrawMarks(view, marks_, settings_.sphereRadius);
}

OverlayLayout Scene::Overlays(int width, int height) const {
    return OverlaysFor(settings_, renderer_.survey(), width, height);
}

OrbitCamera Scene::OpeningCamera(int width, int height) const {
    return OpeningCameraFor(settings_, renderer_.survey(), width, height, GrownBounds());
}

OrbitCamera Scene::TurnedAbout(OrbitCamera camera, double angle) const {
    // Unturned, the camera is the very one of the single picture.
    if (angle == 0) return camera;
    const Bounds box = SphereBounds(renderer_.survey(), settings_.sphereRadius);
    if (settings_.options.fitView && !settings_.options.camera.centre && !box.empty) {
        const Point3 middle = box.middle();
        const double dx = camera.centre[0] - middle[0], dy = camera.centre[1] - middle[1];
        camera.centre[0] = middle[0] + dx * std::cos(angle) - dy * std::sin(angle);
        camera.centre[1] = middle[1] + dx * std::sin(angle) + dy * std::cos(angle);
    }
    camera.theta += angle;
    return camera;
}

Bounds Scene::GrownBounds() const { return settings_.options.fitGrow ? grownBounds_ : Bounds{}; }

Bounds Scene::FitBounds() const {
    return Union(GrownBounds(), SphereBounds(renderer_.survey(), settings_.sphereRadius));
}

bool Scene::TakeRefit() {
    const bool due = refitDue_;
    refitDue_ = false;
    return due;
}

OrbitCamera Scene::Refitted(const OrbitCamera& camera, int width, int height) const {
    return RefittedFor(settings_, renderer_.survey(), camera, width, height, GrownBounds());
}

bool Scene::RestartGrowth() {
    PictureChanged();
    grownBounds_ = {};
    refitDue_ = false;
    if (!settings_.options.colourRangeGrow || survey().empty()) return false;
    const ColourRange levels = LevelsOf(survey());
    const bool changed = !settings_.options.colourRange || settings_.options.colourRange->lowest != levels.lowest ||
                         settings_.options.colourRange->highest != levels.highest;
    settings_.options.colourRange = levels;
    return changed;
}

Projection Scene::ProjectionFor(const Projection& projection, const OrbitCamera& camera) const {
    if (!settings_.options.fitView) return projection;
    return ProjectionHolding(projection, SphereBounds(renderer_.survey(), settings_.sphereRadius),
                             EyePosition(camera), camera.centre);
}

double Scene::Wheeled(double distance, int direction) {
    const WheelZoom zoom = ::Wheeled({distance, heldWheelSteps_}, direction);
    heldWheelSteps_ = zoom.stepsPastBound;
    return zoom.distance;
}

PictureArea Scene::Resize(int width, int height) {
    PictureChanged();
    const int largest = LargestPictureSide();
    area_.oversized = width > largest || height > largest;
    area_.width = std::min(width, largest);
    area_.height = std::min(height, largest);
    return area_;
}

FramePreparation Scene::Preparation(double radius) const {
    FramePreparation preparation;
    preparation.impostors = renderer_.active() == Renderer::impostors;
    preparation.radius = radius;
    preparation.cullHidden = settings_.options.cullHidden;
    preparation.levelOfDetail = settings_.options.levelOfDetail;
    preparation.occlusion = settings_.options.ambientOcclusion;
    preparation.floor = settings_.options.floor;
    preparation.mapping = LevelMappingOf(settings_.series);
    return preparation;
}

bool Scene::HasSeries() const { return !settings_.series.pattern.empty() || settings_.series.watch; }

void Scene::KeepColoursForSeries() {
    if (HasSeries()) KeepColours();
}

void Scene::KeepColours() {
    // Colours mean the same heights in every frame: the opening frame's
    // range, unless the configuration fixes one.
    if (!settings_.options.colourRange) settings_.options.colourRange = ColoursOf(settings_.options, survey());
}

void Scene::StartSeries(const std::string& openedFile, double radius, bool followNewest) {
    SetFrameFacts(FactsFor(1, 1, openedFile));
    if (!HasSeries()) return;
    KeepColoursForSeries();
    series_ = std::make_unique<SeriesPlayer>(settings_.series, openedFile, Preparation(radius), std::chrono::milliseconds(500),
                                             report_);
    if (followNewest) series_->FollowNewest();
}

bool Scene::ShowArrivedFrame(double radius, int tesel) {
    if (!series_) return false;
    std::unique_ptr<LoadedFrame> frame = series_->Poll();
    if (!frame) return false;
    ShowFrame(*frame, radius, tesel);
    // The GPU holds the spheres now; their copy in memory would only add a
    // frame's worth to every frame held.
    frame->impostors.reset();
    // The renderer now draws the new frame; the old one can go.
    shownFrame_ = std::move(frame);
    return true;
}

void Scene::ShowFrame(const LoadedFrame& frame, double radius, int tesel) {
    PictureChanged();
    GrowColours(frame.survey);
    const Bounds before = FitBounds();
    renderer_.SetFrame(frame, radius, tesel, settings_.options);
    if (!settings_.options.fitGrow) return;
    grownBounds_ = before;
    if (!Holds(before, SphereBounds(survey(), settings_.sphereRadius))) refitDue_ = true;
}

// Widens the range to the frame's levels, never narrowing it: the frames
// drawn before keep their colours.
void Scene::GrowColours(const PointSurvey& frame) {
    if (!settings_.options.colourRangeGrow || frame.empty()) return;
    const ColourRange levels = LevelsOf(frame);
    ColourRange& range = settings_.options.colourRange ? *settings_.options.colourRange
                                                       : settings_.options.colourRange.emplace(levels);
    range.lowest = std::min(range.lowest, levels.lowest);
    range.highest = std::max(range.highest, levels.highest);
}

void Scene::SetFrameFacts(const FrameFacts& facts) {
    if (factsSet_ && facts.frame == facts_.frame && facts.frames == facts_.frames && facts.file == facts_.file) return;
    facts_ = facts;
    factsSet_ = true;
    caption_ = CaptionFor(settings_.options.caption, facts_);
    PictureChanged();
}

void Scene::SetDataFile(const SurfData& data, const std::string& file) {
    pickTerms_ = PickTermsFor(settings_, data, file);
}

SpherePick Scene::Pick(const FrameView& view, int x, int y) const {
    return PickPixel(view, x, y, survey(), surface().points, settings_.sphereRadius);
}

std::string Scene::PickLine(const FrameView& view, int x, int y) const {
    return ::PickLine(x, y, Pick(view, x, y), pickTerms_);
}

std::string Scene::MarkPick(const FrameView& view, int x, int y) {
    const SpherePick pick = Pick(view, x, y);
    marks_.Pick(pick);
    return pick.hit ? ::PickLine(x, y, pick, pickTerms_) : std::string();
}

std::string Scene::MarkMeasure(const FrameView& view, int x, int y) {
    if (!marks_.first()) return MarkPick(view, x, y);
    const SpherePick pick = Pick(view, x, y);
    marks_.Measure(pick);
    return pick.hit ? MeasureLine(*marks_.first(), pick, pickTerms_) : std::string();
}

std::string Scene::ProfileText() const {
    if (!marks_.first() || !marks_.second()) return "";
    const SpherePick &from = *marks_.first(), &to = *marks_.second();
    return ProfileCsv(CellsAlong(from.x, from.y, to.x, to.y), survey().columns, pickTerms_);
}
