// The viewer: window, scene and input callbacks.
#pragma once

class SurfData;

// Opens the window and prepares the scene for `points` (not owned).
void InitDisplay(SurfData* points);
