// The scene builder and the GLUT callbacks that InitDisplay registers.
#pragma once

// Makes the scene ready for the current settings and point set: with the
// display lists, compiles a new sphere list and a new scene list and
// releases those of the previous build. Needs the window's OpenGL context to
// be current.
void BuildDisplayLists();

// With "data/series" (or "data/watch"), starts reading the frames after the
// one on show and titles the window with the frame; otherwise nothing.
void StartSeries();
// Fits the camera, and with colour-range = grow the colours, to the frame
// on show alone, forgetting the frames before it.
void RefitToShownFrame();

// Draws the current view into the back buffer, without showing it.
void DrawFrame();

void onDisplay();
void onResize(int width, int height);
// Waits for window events, frames read and changes on disk, then shows the
// frame of a series that is due, if any.
void onIdle();

void onMouseClick(int button, int state, int x, int y);
void onMouseDrag(int x, int y);
void onWheelChange(int wheel, int direction, int x, int y);
void onKey(unsigned char key, int x, int y);
// The keys beyond typed characters: the arrows, Home and End of a series.
void onSpecialKey(int key, int x, int y);
