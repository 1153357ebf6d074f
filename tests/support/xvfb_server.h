// A private X server for tests that need a real window system: started on
// the first free display number, stopped (by its own process id) when the
// object goes away or, at the latest, when the process that started it ends.
// Nothing here touches an X server the tests did not start.
#pragma once

#include <sys/types.h>

#include <string>

class XvfbServer {
public:
    // Starts Xvfb with one 1280x1024x24 screen and waits, at most
    // `timeoutSeconds`, until it accepts connections. On failure `ok()` is
    // false and `error()` says why.
    explicit XvfbServer(double timeoutSeconds = 20.0);
    ~XvfbServer();

    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    // ":N", for the DISPLAY variable.
    const std::string& display() const { return display_; }

    static constexpr int screenWidth = 1280;
    static constexpr int screenHeight = 1024;

private:
    pid_t pid_ = -1;
    std::string display_;
    std::string error_;
};
