#include <GL/freeglut.h>
#include <GL/glu.h>

#include <cmath>
#include <cstddef>
#include <vector>

#include "impostor_renderer.h"
#include "surf_data.h"
#include "viewer_callbacks.h"
#include "viewer_cull.h"
#include "viewer_state.h"

namespace {

// Counts below 1 need no cap: the sphere call allocates nothing for them.
int CappedTesel(int tesel) { return tesel > sphereTeselCap ? sphereTeselCap : tesel; }

}  // namespace

void BuildDisplayLists() {
    // Impostors keep their own buffer and no lists, which would only take
    // memory; if the buffer cannot hold the scene, the lists draw it.
    if (renderer == Renderer::impostors) {
        if (PrepareImpostors()) return;
        renderer = Renderer::lists;
    }
    const GLuint previousSphereList = sphereList;

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
    for (std::size_t i = 0; i < data->x.size(); ++i) {
        if (!enclosed.empty() && enclosed[i]) continue;
        ++sceneSpheres;
        glPushMatrix();
        glTranslated(data->x[i], data->y[i], data->z[i]);
        glCallList(sphereList);
        glPopMatrix();
    }
    glEndList();

    // Nothing refers to the previous pair any more; without this every "+" or
    // "-" would leak a sphere's worth of geometry and a scene list.
    if (previousSphereList != 0) glDeleteLists(previousSphereList, 2);
}

void onDisplay() {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(centerX + camDistance * std::sin(camPhi) * std::cos(camTheta),
              centerY + camDistance * std::sin(camPhi) * std::sin(camTheta),
              centerZ + camDistance * std::cos(camPhi),
              centerX, centerY, centerZ,
              upX, upY, upZ);
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
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // A window shrunk to no height has no aspect ratio; one pixel keeps the
    // projection finite until it grows again.
    const int aspectHeight = height == 0 ? 1 : height;
    gluPerspective(fieldOfView, static_cast<double>(width) / static_cast<double>(aspectHeight),
                   nearPlane, farPlane);
}

// Frames are drawn only on request; the idle callback is kept so the loop
// has one, but it has nothing to do.
void onIdle() {}
