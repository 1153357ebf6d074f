#include "window_events.h"

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>

void WaitForWindowEvents(int milliseconds, const std::vector<int>& alsoWaitOn) {
    Display* display = glXGetCurrentDisplay();
    if (display == nullptr) return;
    // Events already read into the client's queue would never wake poll.
    if (XPending(display) > 0) return;
    std::vector<pollfd> waits = {{ConnectionNumber(display), POLLIN, 0}};
    for (int descriptor : alsoWaitOn) waits.push_back({descriptor, POLLIN, 0});
    poll(waits.data(), waits.size(), milliseconds);
}

namespace {

struct QueuedTesel {
    int tesel;
    bool acts;
};

// Looks at every queued event and takes none: it only follows the
// tessellation through the "+" and "-" presses it sees.
Bool FollowTeselKey(Display*, XEvent* event, XPointer state) {
    if (event->type != KeyPress) return False;
    auto* queued = reinterpret_cast<QueuedTesel*>(state);
    char typed = 0;
    if (XLookupString(&event->xkey, &typed, 1, nullptr, nullptr) != 1) return False;
    if (typed == '+' && queued->tesel <= teselStepHighest - 1) {
        ++queued->tesel;
        queued->acts = true;
    } else if (typed == '-' && queued->tesel >= teselStepLowest + 1) {
        --queued->tesel;
        queued->acts = true;
    }
    return False;
}

}  // namespace

bool TeselKeyActsLater(int tesel) {
    Display* display = glXGetCurrentDisplay();
    if (display == nullptr) return false;
    QueuedTesel queued{tesel, false};
    XEvent unused;
    XCheckIfEvent(display, &unused, FollowTeselKey, reinterpret_cast<XPointer>(&queued));
    return queued.acts;
}
