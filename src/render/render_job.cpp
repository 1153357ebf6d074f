#include "render_job.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>
#include <thread>
#include <utility>

#include "destination_check.h"
#include "film.h"
#include "frame_files.h"
#include "offscreen_scene.h"

namespace {

// A turntable's film rate, unless --fps says otherwise.
const double turntableFramesPerSecond = 30;

OffscreenTrials TrialsOf(const RenderOptions& options) {
    OffscreenTrials trials;
    trials.largestTile = options.largestTile;
    trials.renderer.refuseShaders = options.refuseShaders;
    trials.renderer.refuseGpuBuffer = options.refuseGpuBuffer;
    trials.renderer.largestChunk = static_cast<std::size_t>(options.largestChunk);
    return trials;
}

int Fail(const std::string& message) {
    ProgramDiagnostics().Error(message);
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
        path_ = path;
        thread_ = std::thread([this, picture = std::move(image)] {
            try {
                error_ = WritePng(path_, picture);
            } catch (const std::exception&) {
                // Only memory can run out here; the message is made on the
                // main thread, for making it takes memory too.
                outOfMemory_ = true;
            }
        });
        return error;
    }

    // Waits for the picture being written; returns what went wrong, or "".
    std::string Wait() {
        if (thread_.joinable()) thread_.join();
        if (outOfMemory_) {
            outOfMemory_ = false;
            return "cannot write '" + path_ + "': out of memory";
        }
        return std::move(error_);
    }

private:
    std::thread thread_;
    std::string path_;
    std::string error_;
    bool outOfMemory_ = false;
};

// Whether every file a run of `count` pictures may write can be written:
// checked before anything is drawn, so a run does not fail at its end.
bool DestinationsWritable(const RenderOptions& options, int count, bool numbered) {
    std::vector<std::string> names;
    if (!numbered) names.push_back(options.output);
    for (int i = 1; numbered && i <= count; ++i) names.push_back(NumberedPictureName(options.output, i));
    if (!options.video.empty()) names.push_back(options.video);
    for (const std::string& name : names) {
        const std::string problem = DestinationProblem(name);
        if (!problem.empty()) return Fail(problem), false;
    }
    return true;
}

// What each --probe pixel of the picture of `view` shows, a line each.
std::string ProbeLines(const OffscreenScene& scene, const FrameView& view, const RenderOptions& options) {
    std::string lines;
    for (const auto& [x, y] : options.probes) lines += scene.PickLine(view, x, y) + "\n";
    return lines;
}

// Draws the pictures of `count` views, each made ready by `prepare(i)` (which
// may skip one by returning false), and writes them; returns how many were
// written, or -1 after an "error:" line.
template <typename Prepare>
int DrawPictures(OffscreenScene& scene, const RenderOptions& options, int count, Prepare prepare) {
    const PictureRequest request{options.width, options.height, options.supersample, options.transparent};
    const bool numbered = options.turntable > 0 || options.series;
    // A series' pictures go where it says, the folder made if need be; what
    // cannot be made is reported as the folder's problem just below.
    if (options.series) {
        std::error_code ignored;
        std::filesystem::create_directories(FolderOf(options.output), ignored);
    }
    if (!DestinationsWritable(options, count, numbered)) return -1;
    Progress progress(count, options.quiet);
    PictureWriter writer;
    // With --probe each numbered picture is named as it is written, and
    // followed by what the pixels show in it: worked out while its frame
    // and camera are the scene's, printed once the file is there.
    const bool probing = numbered && !options.probes.empty();
    std::string probed;
    int written = 0;
    for (int i = 0; i < count; ++i) {
        if (!prepare(i)) continue;
        const FrameView view = scene.View(options.width, options.height, i, options.turntable);
        Image image = scene.Draw(view, request);
        if (image.pixels.empty()) return Fail(scene.pictureError()), -1;
        ++written;
        const std::string name = numbered ? NumberedPictureName(options.output, written) : options.output;
        const std::string error = writer.Write(name, std::move(image));
        if (!error.empty()) return Fail(error), -1;
        if (probing) {
            std::cout << probed << std::flush;
            probed = "wrote " + name + "\n" + ProbeLines(scene, view, options);
        }
        if (i > 0) progress.Done(i);
    }
    const std::string error = writer.Wait();
    if (!error.empty()) return Fail(error), -1;
    std::cout << probed << std::flush;
    progress.Done(count);
    return written;
}

// The frames of the series from FIRST to LAST, each read while the one
// before it is drawn. The scene opened with the series' first frame that can
// be shown; those before it were stepped over then, with their warnings.
int DrawSeries(OffscreenScene& scene, const RenderOptions& options) {
    const std::string& pattern = scene.settings().series.pattern;
    if (pattern.empty()) return Fail("--series needs data/series in config.txt"), -1;
    const std::vector<std::string> files = SeriesFiles(pattern);
    const int last = options.lastFrame > 0 ? std::min(options.lastFrame, static_cast<int>(files.size()))
                                           : static_cast<int>(files.size());
    const int first = options.firstFrame;
    if (first > last) {
        return Fail("--frames " + std::to_string(first) + "-: the series has " + std::to_string(files.size()) +
                    " frames"),
               -1;
    }
    const auto openedAt = std::find(files.begin(), files.end(), scene.firstFile());
    const int opening = openedAt == files.end() ? 1 : static_cast<int>(openedAt - files.begin()) + 1;
    FrameLoader loader(scene.Preparation());
    std::unique_ptr<LoadedFrame> shown;
    auto ask = [&](int frame) {
        if (frame <= last && frame > opening) loader.Request(frame, files[static_cast<std::size_t>(frame - 1)]);
    };
    ask(first);
    const auto facts = [&](int frame) {
        return FactsFor(frame, static_cast<int>(files.size()), files[static_cast<std::size_t>(frame - 1)]);
    };
    return DrawPictures(scene, options, last - first + 1, [&](int i) {
        const int frame = first + i;
        if (frame < opening) return false;
        if (frame == opening) {
            scene.SetFrameFacts(facts(frame));
            ask(frame + 1);
            return true;
        }
        std::unique_ptr<LoadedFrame> next;
        while (!(next = loader.Take(frame))) {
            pollfd ready{loader.ReadyDescriptor(), POLLIN, 0};
            poll(&ready, 1, 100);
            loader.Drain();
        }
        ask(frame + 1);
        const std::string problem = FrameProblem(*next);
        if (!problem.empty()) ProgramDiagnostics().Warning(problem);
        if (Unreadable(*next)) return false;
        scene.ShowFrame(*next);
        scene.SetFrameFacts(facts(frame));
        shown = std::move(next);
        return true;
    });
}

// The film's pictures a second: --fps, else a series plays at the rate the
// viewer plays it (within the rates a film can take) and a turntable at 30.
double FilmRateOf(const RenderOptions& options, const SceneSettings& settings) {
    if (options.fps > 0) return options.fps;
    if (!options.series) return turntableFramesPerSecond;
    return std::clamp(settings.series.framesPerSecond, lowestFilmRate, highestFilmRate);
}

// What a series run that read none of its frames says.
std::string NoFrameRead(const RenderOptions& options) {
    const std::string first = std::to_string(options.firstFrame);
    if (options.lastFrame == options.firstFrame) {
        return "frame " + first + " of the series cannot be read; no picture written";
    }
    const std::string last = options.lastFrame > 0 ? std::to_string(options.lastFrame) : "the last";
    return "none of frames " + first + " to " + last + " of the series can be read; no picture written";
}

}  // namespace

int RunRender(const RenderOptions& options) {
    OffscreenScene scene(TrialsOf(options));
    if (!scene.ok()) return Fail("no OpenGL context could be made without a display: " + scene.error());
    const int count = options.turntable > 0 ? options.turntable : 1;
    const int written = options.series ? DrawSeries(scene, options) : DrawPictures(scene, options, count, [](int) {
        return true;
    });
    if (written < 0) return 1;
    if (written == 0) return Fail(NoFrameRead(options));
    if (options.turntable == 0 && !options.series) {
        std::cout << "wrote " << options.output << std::endl;
        // The one picture's view, as it was drawn: the camera is kept.
        if (!options.probes.empty()) std::cout << ProbeLines(scene, scene.View(options.width, options.height), options)
                                                << std::flush;
        return 0;
    }
    if (written == 1) {
        std::cout << "wrote 1 picture, " << NumberedPictureName(options.output, 1) << std::endl;
    } else {
        std::cout << "wrote " << written << " pictures, " << NumberedPictureName(options.output, 1) << " to "
                  << NumberedPictureName(options.output, written) << std::endl;
    }
    if (options.video.empty()) return 0;
    const std::string film = EncodeFilm(NumberedPattern(options.output), written,
                                        FilmRateText(FilmRateOf(options, scene.settings())), options.video);
    if (!film.empty()) return Fail(film);
    std::cout << "wrote " << options.video << std::endl;
    return 0;
}
