// The scene builder and the GLUT callbacks that InitDisplay registers.
#pragma once

// Compiles a new sphere list and a new scene list from the current settings
// and point set, and releases the lists of the previous build. Needs the
// window's OpenGL context to be current.
void BuildDisplayLists();

void onDisplay();
void onResize(int width, int height);
void onIdle();

void onMouseClick(int button, int state, int x, int y);
void onMouseDrag(int x, int y);
void onWheelChange(int wheel, int direction, int x, int y);
void onKey(unsigned char key, int x, int y);
