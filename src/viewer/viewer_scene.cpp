#include <GL/freeglut.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "height_colours.h"
#include "impostor_renderer.h"
#include "level_order.h"
#include "surf_data.h"
#include "viewer_callbacks.h"
#include "viewer_cull.h"
#include "viewer_fit.h"
#include "viewer_state.h"
#include "window_events.h"

namespace {

// Counts below 1 need no cap: the sphere call allocates nothing for them.
// What every OpenGL implementation must allow, for one that reports nothing.
const int fallbackLargestWindowSide = 4096;

int CappedTesel(int tesel) { return tesel > sphereTeselCap ? sphereTeselCap : tesel; }

void CompileSphere(std::size_t i, const std::vector<bool>& enclosed) {
    if (!enclosed.empty() && enclosed[i]) return;
    ++sceneSpheres;
    glPushMatrix();
    glTranslated(data->x[i], data->y[i], data->z[i]);
    glCallList(sphereList);
    glPopMatrix();
}

void SetMaterialColour(const Colour& diffuse) {
    const Colour ambient = AmbientFor(diffuse);
    const GLfloat ambientRgba[] = {ambient[0], ambient[1], ambient[2], 1.0f};
    const GLfloat diffuseRgba[] = {diffuse[0], diffuse[1], diffuse[2], 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambientRgba);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuseRgba);
}

// The material changes once per level, not once per sphere.
void CompileSpheresByLevel(const std::vector<bool>& enclosed) {
    const LevelOrder levels = OrderByLevel(*data);
    for (std::size_t k = 0; k + 1 < levels.start.size(); ++k) {
        if (levels.start[k] == levels.start[k + 1]) continue;
        const double level = levels.lowest + static_cast<double>(k);
        SetMaterialColour(HeightColour(level, levels.lowest, levels.highest));
        for (std::size_t j = levels.start[k]; j < levels.start[k + 1]; ++j) CompileSphere(levels.order[j], enclosed);
    }
    // Points the grouping cannot order keep the order they were loaded in.
    if (levels.order.empty() && !data->x.empty()) {
        const auto [low, high] = std::minmax_element(data->z.begin(), data->z.end());
        for (std::size_t i = 0; i < data->x.size(); ++i) {
            SetMaterialColour(HeightColour(data->z[i], *low, *high));
            CompileSphere(i, enclosed);
        }
    }
}

// The largest window side the renderer can draw into, asked once.
int LargestWindowSide() {
    static const int largest = [] {
        GLint dims[2] = {0, 0};
        glGetIntegerv(GL_MAX_VIEWPORT_DIMS, dims);
        const int smaller = std::min(dims[0], dims[1]);
        return smaller > 0 ? smaller : fallbackLargestWindowSide;
    }();
    return largest;
}

}  // namespace

void BuildDisplayLists() {
    // Impostors keep their own buffer and no lists, which would only take
    // memory; if the buffer cannot hold the scene, the lists draw it.
    if (renderer == Renderer::impostors) {
        if (PrepareImpostors()) return;
        renderer = Renderer::lists;
    }
    const GLuint previousSphereList = sphereList;
    ++listBuilds;

    sphereList = glGenLists(2);
    sceneList = sphereList + 1;

    const int tesel = CappedTesel(sphereTesel);
    glNewList(sphereList, GL_COMPILE);
    glPushMatrix();
    glutSolidSphere(sphereRadius, tesel, tesel);
    glPopMatrix();
    glEndList();

    // Spheres enclosed by their neighbours can be left out only when asked:
    // by default every point is drawn.
    const std::vector<bool> enclosed =
        cullHidden ? EnclosedPoints(*data, sphereRadius, tesel) : std::vector<bool>();

    // One translated instance of the sphere per point, so a frame costs a
    // single list call and the point arrays are walked only here.
    // Back faces are not culled either: at a sphere's outline a back face
    // can tie in depth with the front face sharing its edge and win the
    // pixel, so culling it would change the picture.
    glNewList(sceneList, GL_COMPILE);
    sceneSpheres = 0;
    if (colourByHeight) {
        CompileSpheresByLevel(enclosed);
    } else {
        for (std::size_t i = 0; i < data->x.size(); ++i) CompileSphere(i, enclosed);
    }
    glEndList();

    // Nothing refers to the previous pair any more; without this every "+" or
    // "-" would leak a sphere's worth of geometry and a scene list.
    if (previousSphereList != 0) glDeleteLists(previousSphereList, 2);
}

Point3 EyePosition() {
    return {centerX + camDistance * std::sin(camPhi) * std::cos(camTheta),
            centerY + camDistance * std::sin(camPhi) * std::sin(camTheta), centerZ + camDistance * std::cos(camPhi)};
}

void onDisplay() {
    // Drawing into a window larger than the renderer can hold crashes it;
    // the frame waits for the window to shrink back.
    if (windowOversized) return;
    const Point3 eye = EyePosition();
    // A fitted view keeps the whole point set between its clipping planes
    // wherever the eye goes; the plain viewer's planes never move.
    if (fitView) ApplyProjection(eye);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(eye[0], eye[1], eye[2], centerX, centerY, centerZ, upX, upY, upZ);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (renderer == Renderer::impostors) {
        DrawImpostors();
    } else {
        glCallList(sceneList);
    }
    glFlush();
    glutSwapBuffers();
}

void onResize(int width, int height) {
    const int largest = LargestWindowSide();
    windowOversized = width > largest || height > largest;
    if (windowOversized) {
        width = std::min(width, largest);
        height = std::min(height, largest);
        glutReshapeWindow(width, height);
    }
    viewportWidth = width;
    viewportHeight = height;
    glViewport(0, 0, width, height);
    ApplyProjection(EyePosition());
}

// The loop calls this without pause whenever no event is waiting; waiting
// here for the next one keeps an untouched viewer off the processor.
void onIdle() { WaitForWindowEvents(idleWaitMilliseconds); }
