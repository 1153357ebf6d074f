#include "window_picture.h"

#include <GL/freeglut.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>

#include "png_file.h"
#include "viewer_callbacks.h"
#include "viewer_state.h"

namespace {

// The first pelorin-NNNN.png that does not exist yet.
std::string NextPictureName() {
    char name[32];
    for (int n = 1; n < 100000; ++n) {
        std::snprintf(name, sizeof name, "pelorin-%04d.png", n);
        if (access(name, F_OK) != 0) return name;
    }
    return "";
}

}  // namespace

void SaveWindowPicture() {
    DrawFrame();
    Image image;
    image.width = scene.area().width;
    image.height = scene.area().height;
    image.bottomUp = true;
    image.pixels.resize(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, image.width, image.height, GL_RGB, GL_UNSIGNED_BYTE, image.pixels.data());
    glutPostRedisplay();
    const std::string name = NextPictureName();
    if (name.empty()) {
        ProgramDiagnostics().Error("every name from pelorin-0001.png to pelorin-99999.png is taken");
        return;
    }
    const std::string error = WritePng(name, image);
    if (error.empty()) {
        std::cout << "saved " << name << std::endl;
    } else {
        ProgramDiagnostics().Error(error);
    }
}
