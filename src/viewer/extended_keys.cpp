#include "extended_keys.h"

#include <GL/freeglut.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>

#include "camera/opening_camera.h"
#include "png_file.h"
#include "viewer_callbacks.h"
#include "viewer_camera.h"
#include "viewer_state.h"

namespace {

const char* const bindings =
    "left drag   orbit          right drag  pan\n"
    "wheel       zoom           + / -       finer / coarser spheres\n"
    "F, f        full screen    Esc         800x600 window\n"
    "Q, q        quit\n"
    "c           print the camera as config.txt lines\n"
    "s           save the window as pelorin-NNNN.png\n"
    "r           back to the start camera\n"
    "h           print these bindings\n";

// The first pelorin-NNNN.png that does not exist yet.
std::string NextPictureName() {
    char name[32];
    for (int n = 1; n < 100000; ++n) {
        std::snprintf(name, sizeof name, "pelorin-%04d.png", n);
        if (access(name, F_OK) != 0) return name;
    }
    return "";
}

void SaveWindow() {
    DrawFrame();
    Image image;
    image.width = DrawingArea().width;
    image.height = DrawingArea().height;
    image.bottomUp = true;
    image.pixels.resize(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, image.width, image.height, GL_RGB, GL_UNSIGNED_BYTE, image.pixels.data());
    glutPostRedisplay();
    const std::string name = NextPictureName();
    if (name.empty()) {
        std::cerr << "error: every name from pelorin-0001.png to pelorin-99999.png is taken" << std::endl;
        return;
    }
    const std::string error = WritePng(name, image);
    if (error.empty()) {
        std::cout << "saved " << name << std::endl;
    } else {
        std::cerr << "error: " << error << std::endl;
    }
}

}  // namespace

void onExtendedKey(unsigned char key) {
    switch (key) {
        case 'c':
            std::cout << CameraConfigLines(CurrentCamera()) << std::flush;
            break;
        case 's':
            SaveWindow();
            break;
        case 'r':
            PlaceOpeningCamera();
            glutPostRedisplay();
            break;
        case 'h':
            std::cout << bindings << std::flush;
            break;
        default:
            break;
    }
}
