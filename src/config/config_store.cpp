// The store itself: variables, the two constructors, name search and the
// typed look-ups.
#include "config_store.h"

#include <climits>
#include <cmath>
#include <iterator>

#include "config_file.h"
#include "number_format.h"

ConfigStore::variable::variable(std::string variable_name, const std::string& value,
                                const std::string& separators)
    : name(std::move(variable_name)) {
    set_value(value, separators);
}

void ConfigStore::variable::set_value(const std::string& value, const std::string& separators) {
    original = value;
    elements.clear();
    std::size_t start = value.find_first_not_of(separators);
    while (start != std::string::npos) {
        const std::size_t end = value.find_first_of(separators, start);
        elements.push_back(value.substr(start, end - start));
        start = value.find_first_not_of(separators, end);
    }
}

ConfigStore::ConfigStore(const char* file_name, const char* opening_marker,
                         const char* closing_marker, const char* separators,
                         Diagnostics& diagnostics)
    : diagnostics_(&diagnostics) {
    if (opening_marker != nullptr) comment_open = opening_marker;
    if (closing_marker != nullptr) comment_close = closing_marker;
    if (separators != nullptr) element_separators = separators;
    std::vector<std::string> list{file_name != nullptr ? file_name : ""};
    {
        // Moved, and freed before parsing: a long file holds millions of tokens.
        std::vector<std::string> tokens = read_config_file_tokens(*this, file_name);
        list.reserve(1 + tokens.size());
        list.insert(list.end(), std::make_move_iterator(tokens.begin()),
                    std::make_move_iterator(tokens.end()));
    }
    parse_arguments(list);
}

ConfigStore::ConfigStore(int argc, const char* const* argv, const char* separators,
                         Diagnostics& diagnostics)
    : diagnostics_(&diagnostics) {
    if (separators != nullptr) element_separators = separators;
    std::vector<std::string> list;
    for (int i = 0; argv != nullptr && i < argc; ++i) {
        list.emplace_back(argv[i] != nullptr ? argv[i] : "");
    }
    parse_arguments(list);
}

ConfigStore::~ConfigStore() = default;

const ConfigStore::variable* ConfigStore::find_variable(const char* name) const {
    const auto position = variable_positions.find(lookup_prefix + name);
    return position != variable_positions.end() ? &variable_list[position->second] : nullptr;
}

const char* ConfigStore::lookup(const char* name, const char* default_value) const {
    const variable* found = find_variable(name);
    return found != nullptr ? found->original.c_str() : default_value;
}

int ConfigStore::lookup(const char* name, int default_value) const {
    const variable* found = find_variable(name);
    if (found == nullptr) return default_value;
    diagnostics_->Note("## original = " + found->original);
    double value = 0.0;
    if (!read_number(found->original, value) || std::isnan(value)) return default_value;
    // Out-of-range values saturate instead of overflowing the conversion.
    if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(value);
}

double ConfigStore::lookup(const char* name, double default_value) const {
    const variable* found = find_variable(name);
    double value = 0.0;
    if (found == nullptr || !read_number(found->original, value)) return default_value;
    return value;
}
