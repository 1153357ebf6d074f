// The keys of "display/keys = extended", beyond the standard bindings:
//   c  prints the current camera as the [camera] lines of config.txt
//   s  saves the window as pelorin-NNNN.png in the working directory
//   r  goes back to the camera the viewer opened with
//   h  prints these bindings
#pragma once

// Acts on one of the keys above; any other does nothing.
void onExtendedKey(unsigned char key);
