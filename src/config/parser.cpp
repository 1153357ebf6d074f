// Turns an argument list into stored arguments, sections and variables.
#include <string>
#include <vector>

#include "config_store.h"
#include "expression_messages.h"

namespace {

bool is_section_label(const std::string& entry) {
    return entry.size() >= 2 && entry.front() == '[' && entry.back() == ']';
}

// Names and values end at a NUL byte, as they would in a C string.
std::string text_before_nul(const std::string& text) {
    return text.substr(0, text.find('\0'));
}

bool starts_with_at(const std::string& text, std::size_t position, const char* prefix) {
    return text.compare(position, std::char_traits<char>::length(prefix), prefix) == 0;
}

// Pushes the pieces of `path` between "/" characters, empty ones included.
// A path that ends in "/" pushes no empty last piece, so [a/] means [a].
void push_path_pieces(const std::string& path, std::size_t start,
                      std::vector<std::string>& section_stack) {
    if (start >= path.size()) return;
    std::size_t end = path.size();
    if (path.back() == '/') --end;
    for (;;) {
        const std::size_t slash = path.find('/', start);
        if (slash == std::string::npos || slash >= end) {
            section_stack.push_back(path.substr(start, end - start));
            return;
        }
        section_stack.push_back(path.substr(start, slash - start));
        start = slash + 1;
    }
}

}  // namespace

void ConfigStore::parse_arguments(const std::vector<std::string>& list) {
    if (list.empty()) return;
    current_section.clear();
    std::vector<std::string> section_stack;
    arguments.push_back(list.front());
    for (std::size_t i = 1; i < list.size(); ++i) {
        const std::string& entry = list[i];
        if (entry.empty()) continue;
        std::string stored = is_section_label(entry)
                                 ? open_section(entry, section_stack)
                                 : current_section + expand_dollar_brackets(entry);
        arguments.push_back(stored);
        store_definition(stored);
    }
}

// Makes the label's section current and gives the label as it is stored:
// brackets included and unexpanded.
std::string ConfigStore::open_section(const std::string& label_entry,
                                      std::vector<std::string>& section_stack) {
    const std::string inner = label_entry.substr(1, label_entry.size() - 2);
    current_section = process_section_label(expand_dollar_brackets(inner), section_stack);
    if (current_section.size() > evaluation_limits::maxSectionPathBytes) {
        section_stack.assign(1, expression_text::tooCostly);
        current_section = section_stack.front() + "/";
    }
    if (!current_section.empty() && known_sections.insert(current_section).second) {
        sections.push_back(current_section);
    }
    return label_entry;
}

void ConfigStore::store_definition(const std::string& stored_argument) {
    const std::size_t equals = stored_argument.find('=');
    if (equals == std::string::npos) return;
    const std::string name = text_before_nul(stored_argument.substr(0, equals));
    const std::string value = text_before_nul(stored_argument.substr(equals + 1));
    const auto known = variable_positions.emplace(name, variable_list.size());
    if (!known.second) {
        variable_list[known.first->second].set_value(value, element_separators);
        return;
    }
    variable_list.emplace_back(name, value, element_separators);
}

std::string ConfigStore::process_section_label(std::string label,
                                               std::vector<std::string>& section_stack) {
    std::size_t start = 0;
    if (starts_with_at(label, 0, "./")) {
        start = 2;
    } else if (starts_with_at(label, 0, "../")) {
        for (; starts_with_at(label, start, "../"); start += 3) {
            if (!section_stack.empty()) section_stack.pop_back();
        }
    } else {
        section_stack.clear();
    }
    push_path_pieces(label, start, section_stack);
    std::string section;
    for (const std::string& piece : section_stack) section += piece + "/";
    return section;
}

std::string ConfigStore::expand_dollar_brackets(const std::string& text) {
    argument_budget = WorkBudget::for_argument();
    std::string result;
    std::size_t depth = 0;
    std::size_t body_start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i + 2 < text.size() && text[i] == '$' && text[i + 1] == '{') {
            if (depth == 0) body_start = i + 2;
            ++depth;  // the "{" that follows is then skipped as expression text
        } else if (text[i] == '}' && depth > 0) {
            if (--depth == 0) result += expand_expression(text.substr(body_start, i - body_start));
        } else if (depth == 0) {
            result += text[i];
        }
    }
    // An unmatched "${" loses the rest of the argument: nothing was copied since.
    return result;
}
