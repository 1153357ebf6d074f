#include "config_file.h"

#include <fstream>
#include <istream>

#include "bounded_read.h"
#include "config_store.h"
#include "input_file.h"
#include "line_end_translation.h"

namespace {

// A UTF-16 file starts with its byte order mark, in either byte order.
bool is_utf16(const std::string& head) { return head == "\xFF\xFE" || head == "\xFE\xFF"; }

// Said once to each sink, however many of its stores read the file.
void warn_about_file(const ConfigStore& store, const char* file_name, const std::string& problem) {
    store.diagnostics().WarningOnce("configuration file '" + std::string(file_name) + "' " + problem);
}

// The bound as the warning gives it: "2 MiB (2097152 bytes)".
std::string size_bound_text() {
    return std::to_string(maxConfigFileBytes >> 20) + " MiB (" +
           std::to_string(maxConfigFileBytes) + " bytes)";
}

}  // namespace

std::vector<std::string> read_config_file_tokens(const ConfigStore& store, const char* file_name) {
    if (file_name == nullptr) return {};
    std::ifstream file;
    const InputOpening opening = OpenInput(file, file_name, InputKinds::regular_or_device);
    if (opening == InputOpening::not_regular)
        warn_about_file(store, file_name, "is not a regular file and is not read");
    if (opening != InputOpening::opened) return {};
    BoundedReadBuffer bounded(*file.rdbuf(), maxConfigFileBytes);
    LineEndTranslatingBuffer translated(bounded);
    std::istream text(&translated);
    text.peek();  // reads the first block, and with it the first bytes
    if (is_utf16(bounded.head())) {
        warn_about_file(store, file_name, "is UTF-16 text and is not read; save it as UTF-8");
        return {};
    }
    std::vector<std::string> tokens = store.tokenize_stream(text);
    if (bounded.cut_short()) {
        warn_about_file(store, file_name,
                        "is longer than " + size_bound_text() + "; the rest of it is not read");
    }
    return tokens;
}
