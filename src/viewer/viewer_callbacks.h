// The scene builder and the GLUT callbacks that InitDisplay registers.
#pragma once

// Makes the scene ready for the current settings and point set: with the
// display lists, compiles a new sphere list and a new scene list and
// releases those of the previous build. Needs the window's OpenGL context to
// be current.
void BuildDisplayLists();

// Draws the current view into the back buffer, without showing it.
void DrawFrame();

void onDisplay();
void onResize(int width, int height);

// The window's drawing area at the last reshape. When the window has grown
// past what the renderer can draw into it has been asked to shrink back, and
// no frame is drawn until it has.
struct WindowArea {
    int width = 0;
    int height = 0;
    bool oversized = false;
};
WindowArea DrawingArea();
void onIdle();

void onMouseClick(int button, int state, int x, int y);
void onMouseDrag(int x, int y);
void onWheelChange(int wheel, int direction, int x, int y);
// Forgets the wheel steps out that the distance's upper bound has held back,
// for a camera placed anew.
void ForgetHeldWheelSteps();
void onKey(unsigned char key, int x, int y);
