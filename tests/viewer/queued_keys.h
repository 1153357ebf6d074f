// Key presses put in the window's event queue as if typed while the viewer
// was busy. Kept apart from the tests: the X headers' macros clash with
// GoogleTest's names.
#pragma once

// Sends `times` presses of the key named `keysym` (as X names it, such as
// "KP_Add") to the current GL context's window and waits until the server
// has queued them.
void QueueKeyPresses(const char* keysym, int times);
