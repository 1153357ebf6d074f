// The shader program that draws every sphere as a true sphere: one triangle
// per sphere that covers its outline on the screen, and a fragment shader that
// casts the pixel's ray at the sphere, lights the hit point as the
// fixed-function pipeline lights a vertex, and writes the hit's depth.
#pragma once

#include <epoxy/gl.h>

#include <string>

// Vertices per sphere in the draw call: one triangle.
constexpr int impostorCorners = 3;
// Stops of the height colour map handed to the shader.
constexpr int impostorColourStops = 9;

// Compiles and links the program. `broken` replaces the fragment shader by
// one that cannot compile, so the refusal path can be exercised on a driver
// that accepts everything. Returns 0 and the first line of the driver's log
// in `error` on failure.
GLuint BuildImpostorProgram(bool broken, std::string& error);

// Compiles and links a program of these two shaders; 0 and the first line of
// the driver's log in `error` on failure.
GLuint LinkProgram(const char* vertexText, const char* fragmentText, std::string& error);
