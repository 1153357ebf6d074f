// The window's picture saved as a file, for the "s" key.
#pragma once

// Draws the current view and saves it as the first pelorin-NNNN.png of the
// working directory not yet taken; says which on standard output, or what
// went wrong on standard error.
void SaveWindowPicture();
