#include "window_picture.h"

#include <GL/freeglut.h>

#include <iostream>
#include <string>

#include "numbered_name.h"
#include "png_file.h"
#include "viewer_callbacks.h"
#include "viewer_state.h"

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
    const std::string name = FirstFreeName("pelorin", "png");
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
