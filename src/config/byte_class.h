// Byte classification that never depends on the locale or on the signedness
// of char: bytes above 127 are never white space.
#pragma once

inline bool is_white_space(char c) {
    switch (static_cast<unsigned char>(c)) {
        case ' ': case '\t': case '\n': case '\v': case '\f': case '\r':
            return true;
        default:
            return false;
    }
}
