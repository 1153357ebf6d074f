// The configuration tokenizer on raw file bytes, read through the same
// line-end translation as the store's file constructor uses.
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "config_fuzz_support.h"
#include "line_end_translation.h"

namespace {

// Comment markers to try besides the defaults, chosen by the first byte:
// markers of several bytes, markers that overlap themselves and empty ones.
const char* const commentMarkers[][2] = {
    {"/*", "*/"}, {"//", "\n"}, {"", ""}, {"#", ""}, {"aa", "aab"}, {"--", "-"}, {"<!--", "-->"},
};

std::vector<std::string> tokenize(const ConfigStore& store, const std::string& bytes, bool translate) {
    std::istringstream raw(bytes);
    if (!translate) return store.tokenize_stream(raw);
    LineEndTranslatingBuffer translated(*raw.rdbuf());
    std::istream text(&translated);
    return store.tokenize_stream(text);
}

std::string without_crlf(const std::string& bytes) {
    std::string result;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        result += bytes[i];
    }
    return result;
}

// Tokens hold only bytes of the input (escapes and quotes drop some, joining
// adds none), and a token starting with 0xFF ends the reading instead.
void check_tokens(const std::vector<std::string>& tokens, std::size_t input_size) {
    std::size_t total = 0;
    for (const std::string& token : tokens) {
        total += token.size();
        if (!token.empty() && static_cast<unsigned char>(token[0]) == 0xFF) {
            finding("a token starting with 0xFF was kept");
        }
    }
    if (total > input_size) finding("tokens hold more bytes than the input");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    silence_library_diagnostics();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const ConfigStore defaults("/nonexistent/pelorin-fuzz/config.txt");
    const std::vector<std::string> tokens = tokenize(defaults, bytes, true);
    check_tokens(tokens, size);
    // The translation must mean exactly what removing every CR before LF means.
    if (tokens != tokenize(defaults, without_crlf(bytes), false)) {
        finding("CRLF translation differs from LF text");
    }

    if (size == 0) return 0;
    const auto& markers = commentMarkers[data[0] % (sizeof commentMarkers / sizeof commentMarkers[0])];
    const ConfigStore other("/nonexistent/pelorin-fuzz/config.txt", markers[0], markers[1]);
    check_tokens(tokenize(other, bytes.substr(1), true), size);
    return 0;
}
