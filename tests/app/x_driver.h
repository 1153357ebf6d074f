// Drives and observes windows on the tests' private X server from outside,
// the way a user would: xdotool for input and geometry, ImageMagick's import
// for screenshots, and Xlib where neither can (creation events, a close
// request from the window system).
#pragma once

#include <X11/Xlib.h>

#include <functional>
#include <string>

#include "picture.h"

// Runs a shell command, killed after `timeoutSeconds`; returns its output.
std::string RunCommand(const std::string& command, int timeoutSeconds = 10);

struct WindowGeometry {
    int x = -1, y = -1, width = -1, height = -1;
    bool operator==(const WindowGeometry& o) const {
        return x == o.x && y == o.y && width == o.width && height == o.height;
    }
};

// The id of the viewable window with exactly this title, or "" if none shows
// up within `timeoutSeconds`.
std::string WaitForWindow(const std::string& title, double timeoutSeconds);
WindowGeometry GeometryOf(const std::string& window);
// Reads the window's geometry until `wanted` holds for it, for at most
// `timeoutSeconds`; returns the last geometry read.
WindowGeometry WaitForGeometry(const std::string& window, const std::function<bool(const WindowGeometry&)>& wanted,
                               double timeoutSeconds);
std::string TitleOf(const std::string& window);
Picture Screenshot(const std::string& window);
// Screenshots until one differs from `before` in more than `minPixels`
// pixels, for at most `timeoutSeconds`; returns the last one taken.
Picture WaitForChange(const std::string& window, const Picture& before, long minPixels, double timeoutSeconds);
// Types `keys` (xdotool key names) into the window after giving it focus.
void TypeKeys(const std::string& window, const std::string& keys);
// Clicks the left button at (x, y) of the window, from its top left, with
// shift held if `shift`, after giving it focus.
void ClickAt(const std::string& window, int x, int y, bool shift = false);
// Asks the window to close as a window manager's close button does.
void RequestClose(const std::string& window);

// Sees every top-level window created on the display after construction.
class WindowCreationWatcher {
public:
    WindowCreationWatcher();
    ~WindowCreationWatcher();
    WindowCreationWatcher(const WindowCreationWatcher&) = delete;
    WindowCreationWatcher& operator=(const WindowCreationWatcher&) = delete;
    // True as soon as a window was created; false after `timeoutSeconds`.
    bool WaitForCreation(double timeoutSeconds);

private:
    Display* display_ = nullptr;
};
