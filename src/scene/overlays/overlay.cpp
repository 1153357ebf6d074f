#include <epoxy/gl.h>

#include "overlays/overlay.h"

#include <algorithm>

#include "overlays/bitmap_font.h"

const float panelColour[4] = {1.0f, 1.0f, 1.0f, 0.8f};
const float inkColour[4] = {0.1f, 0.1f, 0.1f, 1.0f};

OverlayState::OverlayState(int width, int height, const TileWindow& tile) {
    shaders_ = epoxy_gl_version() >= 20;
    vertexArrays_ = epoxy_gl_version() >= 30 || epoxy_has_gl_extension("GL_ARB_vertex_array_object");
    if (shaders_) glGetIntegerv(GL_CURRENT_PROGRAM, &program_);
    if (vertexArrays_) glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray_);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    if (shaders_) glUseProgram(0);
    if (vertexArrays_) glBindVertexArray(0);

    const bool whole = tile.width <= 0;
    const int x = whole ? 0 : tile.x, y = whole ? 0 : tile.y;
    const int drawnWidth = whole ? width : tile.width, drawnHeight = whole ? height : tile.height;
    glViewport(0, 0, drawnWidth, drawnHeight);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(x, x + drawnWidth, y, y + drawnHeight, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    for (const GLenum capability : {GL_LIGHTING, GL_DEPTH_TEST, GL_CULL_FACE, GL_TEXTURE_1D, GL_TEXTURE_2D, GL_FOG,
                                    GL_ALPHA_TEST, GL_STENCIL_TEST, GL_SCISSOR_TEST, GL_COLOR_MATERIAL}) {
        glDisable(capability);
    }
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glShadeModel(GL_SMOOTH);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    // The alpha channel adds the panel's coverage to what is there, so a
    // transparent picture keeps it over whatever it is laid on.
    glEnable(GL_BLEND);
    glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
}

OverlayState::~OverlayState() {
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
    if (vertexArrays_) glBindVertexArray(static_cast<GLuint>(vertexArray_));
    if (shaders_) glUseProgram(static_cast<GLuint>(program_));
}

bool Overlap(const Box& a, const Box& b) {
    return a.left < b.right && b.left < a.right && a.bottom < b.top && b.bottom < a.top;
}

void FillBox(const Box& box) {
    glVertex2d(box.left, box.bottom);
    glVertex2d(box.right, box.bottom);
    glVertex2d(box.right, box.top);
    glVertex2d(box.left, box.top);
}

void DrawText(const std::string& text, double left, double middle, double unit) {
    const double bottom = middle - glyphRows * unit / 2;
    for (const FontRun& run : TextRuns(text)) {
        FillBox({left + run.column * unit, bottom + run.row * unit, left + (run.column + run.length) * unit,
                 bottom + (run.row + 1) * unit});
    }
}

double OverlayUnit(int width, int height) { return std::min(static_cast<double>(height), 1.5 * width) / 300; }
