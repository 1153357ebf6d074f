#include "film.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <vector>

#include "pending_file.h"

extern char** environ;

namespace {

// Runs ffmpeg with `words` and with `descriptor` kept open under its own
// number; gives its exit status, -1 if it did not end normally, or -2 if it
// could not be started.
int RunFfmpeg(std::vector<std::string> words, int descriptor) {
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(&word[0]);
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // Onto itself: the copy the child gets is no longer closed on exec.
    posix_spawn_file_actions_adddup2(&actions, descriptor, descriptor);
    pid_t child = 0;
    const int started = posix_spawnp(&child, "ffmpeg", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) return -2;
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

std::string EncodeFilm(const std::string& pattern, int pictures, const std::string& framesPerSecond,
                       const std::string& path) {
    PendingFile film(path);
    if (!film.error().empty()) return film.error();
    // -y lets ffmpeg open the file made for it just now; the image pattern
    // would read on into older pictures, so the count bounds it.
    // H.264 in 4:2:0 needs even sides; an odd one gets one more row or column.
    const int status = RunFfmpeg({"ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-framerate",
                                  framesPerSecond, "-start_number", "1", "-i", pattern, "-frames:v",
                                  std::to_string(pictures), "-vf", "pad=ceil(iw/2)*2:ceil(ih/2)*2", "-c:v", "libx264",
                                  "-pix_fmt", "yuv420p", "-f", "mp4", film.ReopenName()},
                                 film.descriptor());
    if (status == -2) return "ffmpeg could not be started (install it: bash scripts/install-deps)";
    if (status != 0) return "ffmpeg could not encode '" + path + "'";
    return film.Publish();
}
