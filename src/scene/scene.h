// The scene as a whole, with no window: the settings of config.txt, the point
// set on show, the renderer that draws it, the overlays on top, the camera
// it opens with and, for a series, the frames read in the background. The
// viewer and pelorin-render each make an OpenGL context, set the matrices of
// their view and call DrawFrame; everything else they share is here.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "caption_text.h"
#include "camera/camera.h"
#include "camera/camera_fit.h"
#include "camera/frame_view.h"
#include "diagnostics.h"
#include "overlays/overlay_layout.h"
#include "picking/pick_line.h"
#include "picking/pick_marks.h"
#include "scene_renderer.h"
#include "scene_settings.h"
#include "series/series_player.h"

// The size of the picture drawn into, as the last resize gave it. A window
// grown past what the renderer can draw into is asked to shrink back, and no
// frame is drawn until it has.
struct PictureArea {
    int width = 0;
    int height = 0;
    bool oversized = false;
};

class SurfData;

class Scene {
public:
    // The lists draw spheres with `drawSphere`: the toolkit's own in the
    // viewer, the same triangles offscreen. What goes wrong is said to
    // `report`.
    Scene(const SceneSettings& settings, SphereDrawer drawSphere, Diagnostics& report = ProgramDiagnostics());

    SceneSettings& settings() { return settings_; }
    const SceneSettings& settings() const { return settings_; }
    DisplayOptions& options() { return settings_.options; }
    const DisplayOptions& options() const { return settings_.options; }

    // ---- Needing the OpenGL context, always the same one ----

    // Sets the fixed state (depth test, light, material, background) and the
    // wanted renderer; impostors the context cannot run give one warning
    // and the lists. `trials` refuse the shaders or the spheres' buffer, to
    // test those roads on any driver.
    void Start(const RendererTrials& trials = {});
    // The point set to draw, surveyed once here; not owned.
    void SetPoints(const PointView& points) {
        renderer_.SetPoints(points);
        PictureChanged();
    }
    // The same for a surface that may come as a grid of heights only.
    void SetSurface(const SurfaceSource& surface) {
        renderer_.SetSurface(surface);
        PictureChanged();
    }
    // Makes the renderer ready for spheres of `radius` and `tesel`.
    void Prepare(double radius, int tesel) {
        renderer_.Prepare(radius, tesel, settings_.options);
        PictureChanged();
    }
    // Clears the picture and draws the spheres, the legend and the axes with
    // the current matrices and viewport, then any marks. Once pictures are
    // kept for the marks, a frame whose view and scene are those of the
    // copy draws the copy instead.
    void DrawFrame(const FrameView& view);

    // ---- The camera ----

    // The view the scene opens with for a picture of width x height: the
    // start camera, the [camera] keys, and with fit-view the fit of every
    // sphere into the part of the picture the overlays leave free.
    OrbitCamera OpeningCamera(int width, int height) const;
    // Where the overlays stand on a picture of width x height, and the
    // rectangle they leave free; with fit-view placed for the terrain as the
    // opening angles show it, whatever the camera does later.
    OverlayLayout Overlays(int width, int height) const;
    // `camera` turned by `angle` about the vertical axis through the point
    // it turns about: with fit-view the middle of the spheres' box, so the
    // terrain stays where the fit put it in the picture; otherwise the
    // look-at point.
    OrbitCamera TurnedAbout(OrbitCamera camera, double angle) const;
    // `projection`, with fit-view its planes moved to hold every sphere as
    // seen from `camera`.
    Projection ProjectionFor(const Projection& projection, const OrbitCamera& camera) const;
    // With fit-view = grow: whether a frame shown since the last call
    // reached beyond what the view was fitted to, so the caller refits.
    bool TakeRefit();
    // `camera` fitted, with its angles kept, to every frame shown so far
    // (grow), or to the frame on show.
    OrbitCamera Refitted(const OrbitCamera& camera, int width, int height) const;
    // Forgets the frames before the one on show: the fit's box and, with
    // colour-range = grow, the colours start again from it. Whether the
    // colours changed (the lists then need building again).
    bool RestartGrowth();
    // One wheel step from `distance`; steps held back by the distance's
    // upper bound are kept here, and forgotten for a camera placed anew.
    double Wheeled(double distance, int direction);
    void ForgetHeldWheelSteps() { heldWheelSteps_ = 0; }

    // ---- The picture's size ----

    // Takes the new size, shrunk to what the renderer can draw into (the
    // area says whether it had to be); returns the size to draw.
    PictureArea Resize(int width, int height);
    const PictureArea& area() const { return area_; }

    // ---- A series of frames ----

    // With "data/series" (or "data/watch" on a single file), starts reading
    // the frames after `openedFile`, the one shown, and fixes the colour
    // range to its levels unless config.txt gives one. Needs the renderer
    // started and the points set.
    // `followNewest`: opened on a followed run's newest whole frame, it
    // goes on to a newer one once that is whole (SeriesPlayer::FollowNewest).
    void StartSeries(const std::string& openedFile, double radius, bool followNewest = false);
    // Whether config.txt asks for a series, or to follow its one file.
    bool HasSeries() const;
    // Fixes the colour range of a series to the levels of the frame shown,
    // unless config.txt gives one; for frames shown without the player.
    void KeepColoursForSeries();
    // The same for frames shown one after another by a caller with no
    // series in config.txt.
    void KeepColours();
    SeriesPlayer* series() { return series_.get(); }
    // Shows a frame of the series that has come in, if one has; then the
    // picture has changed.
    bool ShowArrivedFrame(double radius, int tesel);
    // Shows a frame read elsewhere, as Preparation() asks; it must outlive
    // its drawing.
    void ShowFrame(const LoadedFrame& frame, double radius, int tesel);
    FramePreparation Preparation(double radius) const;
    // What the caption says, for a frame shown without the player.
    void SetFrameFacts(const FrameFacts& facts);

    // ---- Reading values off the picture ----

    // Names cells as `file`, loaded as `data`, counts them (its rows, and
    // whether it starts from the north) with the metres config.txt gives.
    void SetDataFile(const SurfData& data, const std::string& file);
    const PickTerms& pickTerms() const { return pickTerms_; }
    // What pixel (x, y), from the top left, of the picture of `view` shows,
    // in the frame on show; and the line that names it.
    SpherePick Pick(const FrameView& view, int x, int y) const;
    std::string PickLine(const FrameView& view, int x, int y) const;
    // A pick in the window: the sphere under (x, y) becomes the one marked
    // and its line is returned; on the background the marks go and the
    // line is empty.
    std::string MarkPick(const FrameView& view, int x, int y);
    // A second pick, for a measure: with a first one, the sphere under
    // (x, y) is marked beside it and the measure line returned; on the
    // background the second mark goes. With none it is a plain pick.
    std::string MarkMeasure(const FrameView& view, int x, int y);
    const PickMarks& marks() const { return marks_; }
    // With two picks, the profile of the cells between them as
    // comma-separated lines; else empty.
    std::string ProfileText() const;
    // From now on every whole picture drawn is kept, and a frame in which
    // only the marks changed draws them over that copy.
    void KeepPicturesForMarks() { keepPictures_ = true; }

    // ---- What the renderer holds ----

    const SurfaceSource& surface() const { return renderer_.surface(); }
    const PointSurvey& survey() const { return renderer_.survey(); }
    Renderer active() const { return renderer_.active(); }
    std::size_t spheres() const { return renderer_.spheres(); }
    ListRenderer& lists() { return renderer_.lists(); }
    ImpostorRenderer& impostors() { return renderer_.impostors(); }

private:
    // With fit-view = grow the box of the frames shown before; else empty.
    Bounds GrownBounds() const;
    // That and the frame on show.
    Bounds FitBounds() const;
    void GrowColours(const PointSurvey& survey);
    // Something the picture shows has changed: the next frame is drawn whole.
    void PictureChanged() { ++pictureGeneration_; }

    SceneSettings settings_;
    Diagnostics& report_;
    SceneRenderer renderer_;
    PictureArea area_;
    long heldWheelSteps_ = 0;
    std::unique_ptr<SeriesPlayer> series_;
    // The frame on show since the first one, which is the caller's.
    std::unique_ptr<LoadedFrame> shownFrame_;
    // With fit-view = grow, the box of the frames shown before this one.
    Bounds grownBounds_;
    bool refitDue_ = false;
    FrameFacts facts_;
    bool factsSet_ = false;
    std::string caption_;
    PickTerms pickTerms_;
    PickMarks marks_;
    bool keepPictures_ = false;
    PictureCopy pictureCopy_;
    // Counts the changes of what the picture shows, besides its view.
    unsigned long pictureGeneration_ = 0;
};
