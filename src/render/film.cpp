#include "film.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <vector>

extern char** environ;

std::string EncodeFilm(const std::string& pattern, int framesPerSecond, const std::string& path) {
    const std::string partial = path + ".partial";
    // H.264 in 4:2:0 needs even sides; an odd one gets one more row or column.
    std::vector<std::string> words = {"ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-framerate",
                                      std::to_string(framesPerSecond), "-start_number", "1", "-i", pattern,
                                      "-vf", "pad=ceil(iw/2)*2:ceil(ih/2)*2", "-c:v", "libx264", "-pix_fmt",
                                      "yuv420p", "-f", "mp4", partial};
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(&word[0]);
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawnp(&child, "ffmpeg", nullptr, nullptr, argv.data(), environ) != 0) {
        return "ffmpeg could not be started (install it: bash scripts/install-deps)";
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        unlink(partial.c_str());
        return "ffmpeg could not encode '" + path + "'";
    }
    if (std::rename(partial.c_str(), path.c_str()) != 0) {
        unlink(partial.c_str());
        return "cannot write '" + path + "'";
    }
    return "";
}
