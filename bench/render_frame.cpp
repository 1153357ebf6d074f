// Times pelorin-render's drawing of one picture in process, with the scene of
// "config.txt" in the working directory made ready by the very class
// pelorin-render uses (the offscreen context, the fixed state, the scene
// prepared once).
//
//   bench_render_frame N [WxH [S]]
//       draws the opening view N + 1 times at W x H (default 800x600) with
//       S x S samples a pixel (default 1), each draw read back into an image,
//       and writes each image to a PNG file in the working directory.
//
// Prints "renderer <GL_RENDERER>", "first <s>" (the first draw, which also
// pays for the framebuffer and the driver's first use of the shaders),
// "median <s>" (of the N draws after it) and "png <s>" (the median PNG
// write). Impostors that give way to the lists say so with a "warning:" line
// on standard error, as in pelorin-render.
#include <epoxy/gl.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "freed_memory.h"
#include "bench_clock.h"
#include "offscreen_scene.h"

namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "bench_render_frame: %s\n", message.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Fail("usage: bench_render_frame N [WxH [S]]");
    const int n = std::max(1, std::atoi(argv[1]));
    PictureRequest request;
    if (argc > 2 && std::sscanf(argv[2], "%dx%d", &request.width, &request.height) != 2) return Fail("size not WxH");
    if (argc > 3) request.supersample = std::max(1, std::atoi(argv[3]));

    KeepFreedMemoryForReuse();
    OffscreenScene scene;
    if (!scene.ok()) return Fail("no offscreen context: " + scene.error());
    const FrameView view = scene.View(request.width, request.height);
    std::vector<double> draws, writes;
    double first = 0;
    for (int i = 0; i <= n; ++i) {
        const double start = Now();
        const Image image = scene.Draw(view, request);
        const double drawn = Now();
        if (image.pixels.empty()) return Fail(scene.pictureError());
        const std::string error = WritePng("bench-render-frame.png", image);
        if (!error.empty()) return Fail(error);
        writes.push_back(Now() - drawn);
        if (i == 0) {
            first = drawn - start;
        } else {
            draws.push_back(drawn - start);
        }
    }
    std::printf("renderer %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    std::printf("first %.6f\nmedian %.6f\npng %.6f\n", first, Median(draws), Median(writes));
    return 0;
}
