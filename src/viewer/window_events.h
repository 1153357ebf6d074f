// Waiting for the window system without spinning.
#pragma once

#include <vector>

// Long enough that an idle viewer wakes only a few times a second, short
// enough that nothing the toolkit might schedule without an event waits
// noticeably.
constexpr int idleWaitMilliseconds = 100;

// Returns as soon as an event for the current GL context's display is
// queued or arrives, one of `alsoWaitOn` becomes readable, or after
// `milliseconds` (-1: no limit). Returns at once when there is no display
// connection to wait on.
void WaitForWindowEvents(int milliseconds, const std::vector<int>& alsoWaitOn = {});

// The range that "+" and "-" step the tessellation within.
constexpr int teselStepHighest = 31;
constexpr int teselStepLowest = 1;

// Whether a "+" or "-" already queued for the window would change a
// tessellation that is now `tesel`: then the lists that key rebuilds make
// any rebuild for the current one wasted.
bool TeselKeyActsLater(int tesel);
