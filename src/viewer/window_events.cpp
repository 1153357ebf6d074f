#include "window_events.h"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <poll.h>

void WaitForWindowEvents(int milliseconds) {
    Display* display = glXGetCurrentDisplay();
    if (display == nullptr) return;
    // Events already read into the client's queue would never wake poll.
    if (XPending(display) > 0) return;
    pollfd connection{ConnectionNumber(display), POLLIN, 0};
    poll(&connection, 1, milliseconds);
}
