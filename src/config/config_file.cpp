#include "config_file.h"

#include <fstream>
#include <istream>

#include "bounded_read.h"
#include "config_store.h"
#include "line_end_translation.h"
#include "warn_once.h"

namespace {

std::string file_warning(const char* file_name, const std::string& problem) {
    return "warning: configuration file '" + std::string(file_name) + "' " + problem;
}

}  // namespace

std::vector<std::string> read_config_file_tokens(const ConfigStore& store, const char* file_name) {
    std::ifstream file;
    if (file_name != nullptr) file.open(file_name, std::ios::in | std::ios::binary);
    if (!file.is_open()) return {};
    BoundedReadBuffer bounded(*file.rdbuf(), kMaxConfigFileBytes);
    LineEndTranslatingBuffer translated(bounded);
    std::istream text(&translated);
    std::vector<std::string> tokens = store.tokenize_stream(text);
    if (bounded.cut_short()) {
        warn_once(file_warning(file_name, "is longer than " + std::to_string(kMaxConfigFileBytes >> 20) +
                                              " MiB (" + std::to_string(kMaxConfigFileBytes) +
                                              " bytes); the rest of it is not read"));
    }
    return tokens;
}
