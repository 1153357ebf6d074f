#include "render_job.h"

#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <string>

#include "film.h"
#include "offscreen_scene.h"

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

}  // namespace

int RunRender(const RenderOptions& options) {
    OffscreenScene scene(LargestTileAsked());
    if (!scene.ok()) return Fail("no OpenGL context could be made without a display: " + scene.error());
    const PictureSpec spec{options.width, options.height, options.supersample, options.transparent};
    const int count = options.turntable > 0 ? options.turntable : 1;
    Progress progress(count, options.quiet);
    for (int i = 0; i < count; ++i) {
        const Image image = scene.Draw(scene.View(options.width, options.height, i, options.turntable), spec);
        if (image.pixels.empty()) return Fail(scene.pictureError());
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
