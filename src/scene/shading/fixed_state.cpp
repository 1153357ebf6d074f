#include <epoxy/gl.h>

#include "shading/fixed_state.h"

void SetFixedState() {
    const Lighting& l = sceneLighting;
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glShadeModel(GL_SMOOTH);

    glLightfv(GL_LIGHT0, GL_AMBIENT, l.lightAmbient.data());
    glLightfv(GL_LIGHT0, GL_DIFFUSE, l.lightDiffuse.data());
    glLightfv(GL_LIGHT0, GL_POSITION, l.lightPosition.data());

    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, l.materialAmbient.data());
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, l.materialDiffuse.data());
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, l.materialSpecular.data());
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, l.materialShininess);
}
