#include "caption_text.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "config_file.h"
#include "config_store.h"

namespace {

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// Whether `text` from `at` holds a number as the language writes one:
// d.dddddde+ddd, an optional minus before it. Its length, or 0.
std::size_t LongNumberAt(const std::string& text, std::size_t at) {
    std::size_t i = at;
    if (i < text.size() && text[i] == '-') ++i;
    const std::string shape = "0.000000e+000";
    for (std::size_t j = 0; j < shape.size(); ++j, ++i) {
        if (i >= text.size()) return 0;
        const char c = text[i];
        const bool fits = shape[j] == '0' ? IsDigit(c) : shape[j] == '+' ? (c == '+' || c == '-') : c == shape[j];
        if (!fits) return 0;
    }
    // A longer run of digits is some other number.
    if (i < text.size() && IsDigit(text[i])) return 0;
    return i - at;
}

std::string ShortNumbers(const std::string& text) {
    std::string shown;
    for (std::size_t i = 0; i < text.size();) {
        const bool startsWord = i == 0 || !(IsDigit(text[i - 1]) || text[i - 1] == '.');
        const std::size_t length = startsWord ? LongNumberAt(text, i) : 0;
        if (length == 0) {
            shown += text[i++];
            continue;
        }
        char number[64];
        std::snprintf(number, sizeof number, "%.6g", std::strtod(text.substr(i, length).c_str(), nullptr));
        shown += number;
        i += length;
    }
    return shown;
}

}  // namespace

FrameFacts FactsFor(int frame, int frames, const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return {frame, frames, slash == std::string::npos ? path : path.substr(slash + 1)};
}

std::string FileNumber(const FrameFacts& facts) {
    const std::string& name = facts.file;
    std::size_t end = name.size();
    while (end > 0 && !IsDigit(name[end - 1])) --end;
    std::size_t start = end;
    while (start > 0 && IsDigit(name[start - 1])) --start;
    if (start == end) return std::to_string(facts.frame);
    // Leading zeros pad the name, not the number.
    while (start + 1 < end && name[start] == '0') ++start;
    return name.substr(start, end - start);
}

std::string CaptionFor(const std::string& caption, const FrameFacts& facts) {
    if (caption.empty()) return "";
    const std::vector<std::string> entries = {"caption", "frame=" + std::to_string(facts.frame),
                                              "frames=" + std::to_string(facts.frames), "file=" + facts.file,
                                              "number=" + FileNumber(facts), "caption=" + caption};
    std::vector<const char*> argv;
    for (const std::string& entry : entries) argv.push_back(entry.c_str());
    // The division's trace lines are the language's own; a caption keeps quiet.
    CollectedDiagnostics quiet;
    const ConfigStore store(static_cast<int>(argv.size()), argv.data(), nullptr, quiet);
    return ShortNumbers(store.lookup("caption", ""));
}

std::string WrittenCaption(const ConfigStore& store, const std::string& worked) {
    if (store.arguments.empty()) return worked;
    std::vector<std::string> sections;
    std::string section, written = worked;
    for (const std::string& token : read_config_file_tokens(store, store.arguments[0].c_str())) {
        if (token.size() >= 2 && token.front() == '[' && token.back() == ']') {
            section = ConfigStore::process_section_label(token.substr(1, token.size() - 2), sections);
            continue;
        }
        const std::size_t equals = token.find('=');
        if (equals != std::string::npos && section + token.substr(0, equals) == "display/caption") {
            written = token.substr(equals + 1);
        }
    }
    return written;
}
