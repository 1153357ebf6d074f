/* Preloaded into the shipped viewer by the soak run (bench/soak.py), never
 * part of it: times every frame the viewer draws and appends one line per
 * frame to the file named by SOAK_FRAME_LOG:
 *
 *   frame END SECONDS WIDTH HEIGHT
 *
 * END is the monotonic clock when the frame was finished, SECONDS the time
 * from the display callback's start until then, WIDTH and HEIGHT the
 * viewport it was drawn into. The toolkit's display callback is wrapped, so
 * the time covers the whole frame (projection, clear, the scene, the legend,
 * the swap) and, through glFinish, the drawing the GPU still owed; the time
 * spent waiting for events between frames is left out. */
#define _GNU_SOURCE
#include <GL/gl.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

static void (*viewer_display)(void);
static int log_fd = -2;

static double monotonic_seconds(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec + now.tv_nsec * 1e-9;
}

static void timed_display(void) {
    const double start = monotonic_seconds();
    viewer_display();
    glFinish();
    const double end = monotonic_seconds();
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    if (log_fd == -2) {
        const char* path = getenv("SOAK_FRAME_LOG");
        log_fd = path ? open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644) : -1;
    }
    if (log_fd < 0) return;
    char line[128];
    const int n = snprintf(line, sizeof line, "frame %.6f %.6f %d %d\n", end, end - start, viewport[2], viewport[3]);
    /* One write a line: the reader never sees half a line from a short write
     * of this size to a regular file opened for appending. */
    if (n > 0 && write(log_fd, line, (size_t)n) < 0) log_fd = -1;
}

void glutDisplayFunc(void (*callback)(void)) {
    void (*real)(void (*)(void)) = (void (*)(void (*)(void)))dlsym(RTLD_NEXT, "glutDisplayFunc");
    viewer_display = callback;
    real(callback ? timed_display : NULL);
}
