// Placeholder until the viewer lands: no window is opened yet.
#include "viewer.h"

void InitDisplay(SurfData*) {}
