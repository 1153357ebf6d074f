// A series of height files in the window, when "data/series" or
// "data/watch" is set: the keys that step and play it, the frame shown in
// the window's title, and the idle work that shows frames as they are read.
//   right, "."   next frame          left, ","   previous frame
//   Home         first frame         End         last frame
//   space        play or pause
#pragma once

// Sets the series up once the scene shows its first frame; registers the
// special-key callback and titles the window. Does nothing without the keys.
void StartSeries();
bool SeriesActive();

// The keys above that are typed characters; true when the key acted.
bool onSeriesKey(unsigned char key);
void onSpecialKey(int key, int x, int y);

// Waits for window events, frames read and changes on disk, then shows the
// frame that is due, if any.
void SeriesIdle();
