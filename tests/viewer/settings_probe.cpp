// Prints the three display settings as the viewer's static initialisation left
// them, read from "config.txt" in the working directory. Opens no window.
#include <cstdio>

#include "viewer_state.h"

int main() {
    std::printf("radius=%.17g tesel=%d cull=%d\n", sphereRadius, sphereTesel, scene.options().cullHidden ? 1 : 0);
    return 0;
}
