#include "render_job.h"

#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>
#include <utility>

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

// Writes each picture on a thread of its own, so that the next one is drawn
// while the last one is compressed.
class PictureWriter {
public:
    ~PictureWriter() { Wait(); }

    // Starts writing `image` once the picture before it is written; returns
    // what went wrong with that one, or "".
    std::string Write(const std::string& path, Image image) {
        const std::string error = Wait();
        thread_ = std::thread([this, path, picture = std::move(image)] { error_ = WritePng(path, picture); });
        return error;
    }

    // Waits for the picture being written; returns what went wrong, or "".
    std::string Wait() {
        if (thread_.joinable()) thread_.join();
        return std::move(error_);
    }

private:
    std::thread thread_;
    std::string error_;
};

}  // namespace

int RunRender(const RenderOptions& options) {
    OffscreenScene scene(LargestTileAsked());
    if (!scene.ok()) return Fail("no OpenGL context could be made without a display: " + scene.error());
    const PictureSpec spec{options.width, options.height, options.supersample, options.transparent};
    const int count = options.turntable > 0 ? options.turntable : 1;
    Progress progress(count, options.quiet);
    PictureWriter writer;
    for (int i = 0; i < count; ++i) {
        Image image = scene.Draw(scene.View(options.width, options.height, i, options.turntable), spec);
        if (image.pixels.empty()) return Fail(scene.pictureError());
        const std::string name = options.turntable > 0 ? TurntablePictureName(options.output, i + 1) : options.output;
        const std::string error = writer.Write(name, std::move(image));
        if (!error.empty()) return Fail(error);
        if (i > 0) progress.Done(i);
    }
    const std::string error = writer.Wait();
    if (!error.empty()) return Fail(error);
    progress.Done(count);
    if (options.turntable == 0) {
        std::cout << "wrote " << options.output << std::endl;
        return 0;
    }
    std::cout << "wrote " << count << " pictures, " << TurntablePictureName(options.output, 1) << " to "
              << TurntablePictureName(options.output, count) << std::endl;
    if (options.video.empty()) return 0;
    const std::string film = EncodeFilm(TurntablePattern(options.output), filmFramesPerSecond, options.video);
    if (!film.empty()) return Fail(film);
    std::cout << "wrote " << options.video << std::endl;
    return 0;
}
