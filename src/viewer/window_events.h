// Waiting for the window system without spinning.
#pragma once

// Long enough that an idle viewer wakes only a few times a second, short
// enough that nothing the toolkit might schedule without an event waits
// noticeably.
constexpr int idleWaitMilliseconds = 100;

// Returns as soon as an event for the current GL context's display is
// queued or arrives, or after `milliseconds`. Returns at once when there is
// no display connection to wait on.
void WaitForWindowEvents(int milliseconds);
