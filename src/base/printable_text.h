// Text from config.txt or a file name, made safe to write to a terminal:
// a control byte in a value must not move the cursor, ring the bell or
// start an escape sequence when a warning echoes it.
#pragma once

#include <string>

// `text` with every control byte (below 0x20, and 0x7f) written out: a line
// end as \n, any other as \x and two hex digits (ESC as \x1b). Tabs and
// every byte from 0x20 up, UTF-8 included, stay as they are.
std::string PrintableText(const std::string& text);
