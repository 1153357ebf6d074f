// The floor for the viewer's drawing: the very same two display lists (the
// same sphere call, one translation and list call per point) compiled and
// called with nothing else. The window, lighting, depth test and camera are
// those of the start view, so the lists do the same work as in the viewer;
// a frame is a clear, the scene list and glFinish.
//
//   bench_floor_frame FILE N RADIUS TESEL   prints the median of N frames
#include <GL/freeglut.h>
#include <GL/glu.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench_clock.h"
#include "surf_data.h"

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: bench_floor_frame FILE N RADIUS TESEL\n");
        return 2;
    }
    SurfData points(argv[1]);
    const int count = std::atoi(argv[2]);
    const double radius = std::atof(argv[3]);
    const int tesel = std::atoi(argv[4]);

    int no_args = 0;
    glutInit(&no_args, nullptr);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(800, 600);
    glutCreateWindow("floor");
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glViewport(0, 0, 800, 600);
    glMatrixMode(GL_PROJECTION);
    gluPerspective(40.0, 800.0 / 600.0, 0.1f, 800.0f);
    glMatrixMode(GL_MODELVIEW);
    gluLookAt(-5, -5, 30 * std::cos(M_PI / 4), 10, 10, 0, 0, 0, 1);

    const GLuint sphere = glGenLists(2), scene = sphere + 1;
    glNewList(sphere, GL_COMPILE);
    glPushMatrix();
    glutSolidSphere(radius, tesel, tesel);
    glPopMatrix();
    glEndList();
    glNewList(scene, GL_COMPILE);
    for (std::size_t i = 0; i < points.x.size(); ++i) {
        glPushMatrix();
        glTranslated(points.x[i], points.y[i], points.z[i]);
        glCallList(sphere);
        glPopMatrix();
    }
    glEndList();

    std::vector<double> times;
    for (int i = 0; i <= count; ++i) {
        const double start = Now();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glCallList(scene);
        glFinish();
        if (i > 0) times.push_back(Now() - start);  // the first one warms up
    }
    std::sort(times.begin(), times.end());
    std::printf("median %.9f\n", times[times.size() / 2]);
    return 0;
}
