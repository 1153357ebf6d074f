#include <epoxy/gl.h>

#include "render_job.h"

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <iostream>
#include <string>

#include "camera_fit.h"
#include "camera_keys.h"
#include "config_store.h"
#include "fixed_state.h"
#include "film.h"
#include "offscreen_context.h"
#include "offscreen_picture.h"
#include "scene_renderer.h"
#include "sphere_mesh.h"
#include "surf_data.h"

namespace {

const int filmFramesPerSecond = 30;

// PELORIN_RENDER_TILE=N bounds the tiles at N samples a side, so tiling can
// be tested at small sizes; unset, the context decides.
int LargestTileAsked() {
    const char* asked = std::getenv("PELORIN_RENDER_TILE");
    return asked == nullptr ? 0 : std::atoi(asked);
}

int Fail(const std::string& message) {
    std::cerr << "error: " << message << std::endl;
    return 1;
}

// A line on standard error, rewritten in place on a terminal; elsewhere about
// ten lines in all.
class Progress {
public:
    Progress(int total, bool quiet) : total_(total), quiet_(quiet || total < 2), terminal_(isatty(2) != 0) {}

    void Done(int done) {
        if (quiet_) return;
        const int every = total_ >= 10 ? total_ / 10 : 1;
        if (!terminal_ && done % every != 0 && done != total_) return;
        std::cerr << (terminal_ ? "\r" : "") << "pelorin-render: picture " << done << " of " << total_
                  << (terminal_ && done < total_ ? "" : "\n") << std::flush;
    }

private:
    int total_;
    bool quiet_;
    bool terminal_;
};

// The view for picture `index` of `count` around the vertical axis through
// the look-at point, with the planes that hold the points when fitted.
FrameView ViewAround(OrbitCamera camera, int index, int count, const SceneSettings& settings,
                     const PointSurvey& survey) {
    FrameView view;
    if (count > 0) camera.theta += 2 * M_PI * index / count;
    view.camera = camera;
    view.projection = StartProjection();
    if (settings.options.fitView) {
        view.projection = ProjectionHolding(view.projection, SphereBounds(survey, settings.sphereRadius),
                                            EyePosition(camera), camera.centre);
    }
    return view;
}

}  // namespace

int RunRender(const RenderOptions& options) {
    ConfigStore config("config.txt", nullptr, nullptr, nullptr);
    const SceneSettings settings = ReadSceneSettings(config);
    SurfData points{std::string(config.lookup("data/file", "data.txt"))};

    OffscreenContext context;
    if (!context.ok()) return Fail("no OpenGL context could be made without a display: " + context.error());
    SetFixedState();
    glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);

    SceneRenderer scene(DrawSphereMesh);
    scene.Show(points);
    scene.Start(settings.options.renderer);
    scene.Prepare(settings.sphereRadius, settings.sphereTesel, settings.options);

    const PictureSpec spec{options.width, options.height, options.supersample, options.transparent};
    const OrbitCamera opening = OpeningCamera(settings.options, scene.survey(), settings.sphereRadius,
                                              StartProjection(), static_cast<double>(options.width) / options.height);
    OffscreenPictures pictures(scene, settings.options, LargestTileAsked());
    const int count = options.turntable > 0 ? options.turntable : 1;
    Progress progress(count, options.quiet);
    for (int i = 0; i < count; ++i) {
        const Image image = pictures.Draw(ViewAround(opening, i, options.turntable, settings, scene.survey()), spec);
        if (image.pixels.empty()) return Fail(pictures.error());
        const std::string name = options.turntable > 0 ? TurntablePictureName(options.output, i + 1) : options.output;
        const std::string error = WritePng(name, image);
        if (!error.empty()) return Fail(error);
        progress.Done(i + 1);
    }
    if (options.turntable == 0) {
        std::cout << "wrote " << options.output << std::endl;
        return 0;
    }
    std::cout << "wrote " << count << " pictures, " << TurntablePictureName(options.output, 1) << " to "
              << TurntablePictureName(options.output, count) << std::endl;
    if (options.video.empty()) return 0;
    const std::string error = EncodeFilm(TurntablePattern(options.output), filmFramesPerSecond, options.video);
    if (!error.empty()) return Fail(error);
    std::cout << "wrote " << options.video << std::endl;
    return 0;
}
