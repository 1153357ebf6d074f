// An OpenGL context with no window and no display server, through EGL: Mesa's
// surfaceless platform, or the device platform where a driver offers that
// instead (a GPU without Mesa). It asks for the compatibility profile, which
// the display lists need.
#pragma once

#include <string>

class OffscreenContext {
public:
    // Creates the context and makes it current on this thread. On failure
    // ok() is false and error() says why.
    OffscreenContext();
    ~OffscreenContext();

    OffscreenContext(const OffscreenContext&) = delete;
    OffscreenContext& operator=(const OffscreenContext&) = delete;

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }

private:
    bool TryDisplay(void* display);

    void* display_ = nullptr;
    void* context_ = nullptr;
    std::string error_;
};
