// Times the viewer's steps through a series in process, on the window
// InitDisplay opens, with the settings of "config.txt" in the working
// directory (data/series included). The event loop is run as glutMainLoop
// runs it (the toolkit's events and redisplays, then the idle callback), and
// every key is given to the callback the toolkit would call for it.
//
//   bench_series ROUNDS
//       End and Home first, to learn how long a frame takes to read (not
//       counted: the first may wait for the read ahead of the second frame).
//       Then from the first frame, ROUNDS times: the right arrow to every next
//       frame in turn, each read ahead while the one before was on show; then
//       Home from the last frame, End from the first and Home from the last,
//       each to a frame not read ahead. After each key the frame stays up,
//       the loop running, for twice the longest jump so far (so the next one
//       is surely read), and is drawn once more, timed.
//
// Prints "renderer <GL_RENDERER>", then for each key
//   step warm|ahead|jump <s> <handover s> <frame index>
// the time from the key to the new frame finished on screen, and the part
// of it until the scene took the frame; and "redraw <s>" for each timed
// frame of a view already shown. Ends with "frames <n>", "buffer-bytes <b>"
// (the largest buffer of the window's context: the impostors' spheres) and
// "peak-kb <kB>" (VmHWM, the peak resident memory of the whole run).
#include <epoxy/gl.h>
#include <GL/freeglut.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench_clock.h"
#include "config_store.h"
#include "data_file.h"
#include "freed_memory.h"
#include "frame_files.h"
#include "surf_data.h"
#include "viewer.h"
#include "viewer_callbacks.h"
#include "viewer_state.h"

namespace {

// The latest frame drawn: when it was finished and which points it showed.
SurfaceSource drawnPoints;
double drawnAt = 0;

void FinishedDisplay() {
    onDisplay();
    glFinish();
    drawnAt = Now();
    drawnPoints = scene.surface();
}

// One turn of the toolkit's loop; returns when the scene took a new frame.
double handedAt = 0;
void LoopTurn() {
    glutMainLoopEvent();
    const SurfaceSource before = scene.surface();
    onIdle();
    if (scene.surface() != before) handedAt = Now();
}

// Runs the loop until the frame on show has been up for `seconds`.
// Then draws it once more, timed, as any other frame of the same view.
void Settle(double seconds) {
    const double until = Now() + seconds;
    while (Now() < until) LoopTurn();
    const double start = Now();
    FinishedDisplay();
    std::printf("redraw %.9f\n", drawnAt - start);
}

// The key, then the loop until a frame of other points is finished.
void Key(int key, const char* what, int to) {
    const SurfaceSource shown = drawnPoints;
    const double start = Now();
    handedAt = 0;
    onSpecialKey(key, 0, 0);
    while (drawnPoints == shown) {
        LoopTurn();
        if (Now() - start > 60) {
            std::fprintf(stderr, "bench_series: no new frame within 60 s of a key\n");
            std::exit(1);
        }
    }
    std::printf("step %s %.9f %.9f %d\n", what, drawnAt - start, handedAt - start, to);
    std::fflush(stdout);
}

// The largest buffer object of the context, by its size.
long long LargestBuffer() {
    GLint64 largest = 0;
    for (GLuint name = 1; name < 256; ++name) {
        if (!glIsBuffer(name)) continue;
        glBindBuffer(GL_COPY_READ_BUFFER, name);
        GLint64 size = 0;
        glGetBufferParameteri64v(GL_COPY_READ_BUFFER, GL_BUFFER_SIZE, &size);
        largest = std::max(largest, size);
    }
    glBindBuffer(GL_COPY_READ_BUFFER, 0);
    return largest;
}

long PeakKb() {
    long peak = -1;
    std::FILE* status = std::fopen("/proc/self/status", "r");
    char line[256];
    while (status && std::fgets(line, sizeof line, status)) {
        if (std::strncmp(line, "VmHWM:", 6) == 0) std::sscanf(line + 6, "%ld", &peak);
    }
    if (status) std::fclose(status);
    return peak;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_series ROUNDS\n");
        return 2;
    }
    const int rounds = std::max(1, std::atoi(argv[1]));
    KeepFreedMemoryForReuse();
    ConfigStore config("config.txt", nullptr, nullptr, nullptr);
    SurfData points(FirstDataFile(config));
    InitDisplay(&points);
    if (scene.series() == nullptr) {
        std::fprintf(stderr, "bench_series: config.txt names no series\n");
        return 1;
    }
    glutDisplayFunc(FinishedDisplay);
    std::printf("renderer %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    Settle(0.25);
    const int frames = static_cast<int>(SeriesFiles(scene.settings().series.pattern).size());
    // A frame read ahead is ready well within twice the longest jump.
    double settle = 0.25;
    auto jump = [&](int key, const char* what, int to) {
        const double start = Now();
        Key(key, what, to);
        settle = std::max(settle, 2 * (Now() - start) + 0.1);
        Settle(settle);
    };
    // Two jumps to learn how long a read takes; the first may wait for the
    // second frame's read, so neither is counted.
    jump(GLUT_KEY_END, "warm", frames - 1);
    jump(GLUT_KEY_HOME, "warm", 0);
    for (int round = 0; round < rounds; ++round) {
        for (int to = 1; to < frames; ++to) {
            Key(GLUT_KEY_RIGHT, "ahead", to);
            Settle(settle);
        }
        jump(GLUT_KEY_HOME, "jump", 0);
        jump(GLUT_KEY_END, "jump", frames - 1);
        jump(GLUT_KEY_HOME, "jump", 0);
    }
    std::printf("frames %d\nbuffer-bytes %lld\npeak-kb %ld\n", frames, LargestBuffer(), PeakKb());
    return 0;
}
