// An OpenGL context with no window and no display server, through EGL: Mesa's
// surfaceless platform, or the device platform where a driver offers that
// instead (a GPU without Mesa). It asks for the compatibility profile, which
// the display lists need. Several contexts may live in one process, each
// made current on the thread that draws with it.
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

    // Makes the context current on this thread; false when it could not be.
    bool MakeCurrent();
    // Leaves this thread with no current context, so another thread may
    // take this one.
    void Release();

private:
    bool TryDisplay(void* display);

    void* display_ = nullptr;
    void* context_ = nullptr;
    std::string error_;
};
