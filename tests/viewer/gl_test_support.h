// What the viewer's in-process GL tests share: drawing a frame and reading
// it back, grids written as data files, and a test main that checks for
// leaks while the GL driver is still loaded.
#pragma once

#include <GL/freeglut.h>
#include <gtest/gtest.h>

// GCC tells of AddressSanitizer by a macro, Clang by a feature test.
#if defined(__SANITIZE_ADDRESS__)
#define PELORIN_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PELORIN_ADDRESS_SANITIZER 1
#endif
#endif

#ifdef PELORIN_ADDRESS_SANITIZER
#include <sanitizer/lsan_interface.h>
#endif

#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "grid_file.h"
#include "picture.h"
#include "surf_data.h"
#include "temp_files.h"
#include "viewer_callbacks.h"
#include "viewer_state.h"
#include "xvfb_server.h"

// Bounds the whole run, so a hung window fails it instead of blocking it,
// and points DISPLAY at a private X server. The server stays up to the very
// end of the process: the window and the GL driver outlive every test (see
// RunGlTests), and stopping the server first would break the toolkit's
// connection while it still holds it. It ends with this process.
inline testing::AssertionResult StartPrivateDisplay(unsigned boundSeconds) {
    alarm(boundSeconds);
    // Kept in a static so the leak check sees it as still in use.
    static const XvfbServer* server = nullptr;
    server = new XvfbServer();
    if (!server->ok()) return testing::AssertionFailure() << server->error();
    setenv("DISPLAY", server->display().c_str(), 1);
    return testing::AssertionSuccess();
}

// What the back buffer holds.
inline Picture ReadFrame() {
    glFinish();
    Picture picture;
    picture.width = glutGet(GLUT_WINDOW_WIDTH);
    picture.height = glutGet(GLUT_WINDOW_HEIGHT);
    picture.rgb.resize(static_cast<std::size_t>(picture.width) * picture.height * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, picture.width, picture.height, GL_RGB, GL_UNSIGNED_BYTE, picture.rgb.data());
    return picture;
}

// Draws a frame with the viewer's own display callback and reads it back.
inline Picture DrawAndRead() {
    onDisplay();
    return ReadFrame();
}

// Puts `points` on show, surveyed anew: a test's grid may take the address
// of one freed before it.
inline void ShowPoints(SurfData* points) {
    data = points;
    scene.SetPoints(*points);
}

// Runs every test with `window` as the environment. The GL driver is
// unloaded on the way out, after which its allocations can no longer be
// traced, so leaks are checked before that.
inline int RunGlTests(int argc, char** argv, testing::Environment* window) {
    testing::InitGoogleTest(&argc, argv);
    testing::AddGlobalTestEnvironment(window);
    const int result = RUN_ALL_TESTS();
#ifdef PELORIN_ADDRESS_SANITIZER
    __lsan_do_leak_check();
#endif
    return result;
}
