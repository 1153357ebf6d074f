// What the viewer's in-process GL tests share: drawing a frame and reading
// it back, grids written as data files, and a test main that checks for
// leaks while the GL driver is still loaded.
#pragma once

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
#endif

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "picture.h"
#include "surf_data.h"
#include "temp_files.h"
#include "viewer_callbacks.h"

// Draws a frame with the viewer's own display callback and reads it back.
inline Picture DrawAndRead() {
    onDisplay();
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

// Heights as a data file at `path`, loaded: `rows` of equal length.
inline std::unique_ptr<SurfData> GridAt(const std::string& path, const std::vector<std::vector<int>>& rows) {
    std::string text = std::to_string(rows.size()) + "\n";
    for (const auto& row : rows) {
        for (int h : row) text += std::to_string(h) + " ";
        text += "\n";
    }
    WriteFile(path, text);
    return std::make_unique<SurfData>(path);
}

// Runs every test with `window` as the environment. The GL driver is
// unloaded on the way out, after which its allocations can no longer be
// traced, so leaks are checked before that.
inline int RunGlTests(int argc, char** argv, testing::Environment* window) {
    testing::InitGoogleTest(&argc, argv);
    testing::AddGlobalTestEnvironment(window);
    const int result = RUN_ALL_TESTS();
#ifdef __SANITIZE_ADDRESS__
    __lsan_do_leak_check();
#endif
    return result;
}
