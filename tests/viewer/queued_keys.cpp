#include "queued_keys.h"

#include <GL/glx.h>
#include <X11/Xlib.h>

void QueueKeyPresses(const char* keysym, int times) {
    Display* display = glXGetCurrentDisplay();
    const Window window = glXGetCurrentDrawable();
    for (int i = 0; i < times; ++i) {
        XKeyEvent press{};
        press.type = KeyPress;
        press.display = display;
        press.window = window;
        press.root = DefaultRootWindow(display);
        press.same_screen = True;
        press.keycode = XKeysymToKeycode(display, XStringToKeysym(keysym));
        XSendEvent(display, window, True, KeyPressMask, reinterpret_cast<XEvent*>(&press));
    }
    XSync(display, False);
}
