// The viewer: one window that shows every point of a SurfData as a lit red
// sphere, with a camera that the mouse orbits, pans and zooms.
#pragma once

class SurfData;

// Opens the window, sets the fixed OpenGL state, registers the callbacks and
// compiles the scene for `points`. Called once, before glutMainLoop; the point
// set is not owned and must outlive the event loop. After glutLeaveMainLoop
// (the Q key) glutMainLoop returns to its caller instead of ending the process.
void InitDisplay(SurfData* points);
