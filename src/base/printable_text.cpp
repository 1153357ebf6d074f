#include "printable_text.h"

std::string PrintableText(const std::string& text) {
    static const char hexDigits[] = "0123456789abcdef";
    std::string shown;
    shown.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\n') {
            shown += "\\n";
        } else if ((byte < 0x20 && c != '\t') || byte == 0x7f) {
            shown += "\\x";
            shown += hexDigits[byte >> 4];
            shown += hexDigits[byte & 0xf];
        } else {
            shown += c;
        }
    }
    return shown;
}
