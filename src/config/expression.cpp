// Evaluation of dollar-bracket expressions: a small prefix-operator language
// in which every value is text.
#include <algorithm>
#include <string>
#include <vector>

#include "byte_class.h"
#include "config_store.h"
#include "expression_operators.h"
#include "number_format.h"
#include "text_replacement.h"

namespace {

// The record that every failed variable look-up returns. Made on first use,
// so it works while other translation units are still being initialised.
ConfigStore::variable& undefined_variable() {
    static ConfigStore::variable record("", "", "");
    return record;
}

bool is_undefined(const ConfigStore::variable& record) {
    return &record == &undefined_variable();
}

bool starts_with(const std::string& text, const char* prefix) {
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

std::size_t skip_white_space(const std::string& text, std::size_t position) {
    while (position < text.size() && is_white_space(text[position])) ++position;
    return position;
}

}  // namespace

std::string ConfigStore::expand_expression(std::string text) {
    if (const char* refusal = refused_expansion()) return refusal;
    if (!spend_work(1, text.size())) return expression_text::tooCostly;
    ++active_expansions;
    std::string result = evaluate_operator(text);
    --active_expansions;
    // Once the budget is used up, the enclosing expressions give up too.
    if (!spend_work(0, result.size())) return expression_text::tooCostly;
    return result;
}

const char* ConfigStore::refused_expansion() const {
    if (active_expansions >= evaluation_limits::maxActiveExpansions) {
        return expression_text::nestedTooDeeply;
    }
    if (argument_budget.exhausted() || store_budget.exhausted()) return expression_text::tooCostly;
    return nullptr;
}

bool ConfigStore::spend_work(std::size_t evaluations, std::size_t bytes) {
    if (argument_budget.exhausted() || store_budget.exhausted()) return false;
    return argument_budget.spend(evaluations, bytes) && store_budget.spend(evaluations, bytes);
}

// The operator is chosen by the first characters, tested in this order.
std::string ConfigStore::evaluate_operator(const std::string& text) {
    const char first = text.empty() ? '\0' : text[0];
    const std::size_t length = text.size();
    if (first == ':') return text.substr(1);
    if (first == '&') return join_arguments(split_expression_arguments(text.substr(1), 1));
    if (length > 2 && starts_with(text, "<->")) {
        return expand_replacement(split_expression_arguments(text.substr(3), 3));
    }
    if (first == '/') return divide(split_expression_arguments(text.substr(1), 2), diagnostics());
    if (first == '+' || first == '-' || first == '*' || first == '^') {
        return fold_arithmetic(first, split_expression_arguments(text.substr(1), 2));
    }
    if (length > 1 && (starts_with(text, "==") || starts_with(text, ">=") || starts_with(text, "<="))) {
        return compare(text.substr(0, 2), split_expression_arguments(text.substr(2), 2));
    }
    if (length > 1 && (first == '>' || first == '<')) {
        return compare(text.substr(0, 1), split_expression_arguments(text.substr(1), 2));
    }
    if (length > 1 && starts_with(text, "??")) {
        return select_argument(split_expression_arguments(text.substr(2), 2));
    }
    if (first == '?') return expand_condition(text);
    if (first == '!') return expand_indirect_value(text.substr(1));
    if (length > 1 && starts_with(text, "@:")) {
        return text_piece(split_expression_arguments(text.substr(2), 2));
    }
    if (first == '@') return expand_element_access(split_expression_arguments(text.substr(1), 2));
    return expand_variable_reference(text);
}

std::vector<std::string> ConfigStore::split_expression_arguments(std::string text,
                                                                 unsigned minimum) {
    spend_work(0, text.size());
    std::vector<std::string> list;
    list.reserve(std::max(minimum, 4u));  // most lists are short: one allocation
    std::string current;
    std::vector<std::size_t> open_bodies;  // where each open expression's text starts in `current`
    std::size_t i = skip_white_space(text, 0);
    bool ended_in_white_space = false;
    while (i < text.size()) {
        const char c = text[i];
        if (open_bodies.empty() && is_white_space(c)) {
            list.push_back(std::move(current));
            current.clear();
            i = skip_white_space(text, i);
            ended_in_white_space = i == text.size();
        } else if (c == '$' && i + 1 < text.size() && text[i + 1] == '{') {
            current += "${";
            open_bodies.push_back(current.size());
            i += 2;
        } else if (c == '}' && !open_bodies.empty()) {
            // The result replaces the whole "${...}" and is not scanned again.
            // An expression that is refused without running (budget used up,
            // nesting too deep) is not copied first: a costly text holds
            // thousands of them.
            const std::size_t body = open_bodies.back();
            open_bodies.pop_back();
            if (const char* refusal = refused_expansion()) {
                current.resize(body - 2);
                current += refusal;
            } else {
                std::string result = expand_expression(current.substr(body));
                current.resize(body - 2);
                current += result;
            }
            ++i;
        } else {
            current += c;
            ++i;
        }
    }
    if (!ended_in_white_space) list.push_back(std::move(current));
    while (list.size() < minimum) list.emplace_back(expression_text::missingArgument);
    return list;
}

const ConfigStore::variable& ConfigStore::resolve_variable(std::string name) {
    variable& undefined = undefined_variable();
    const std::string saved_prefix = lookup_prefix;
    lookup_prefix = current_section;
    const variable* found = find_variable(name.c_str());
    if (found == nullptr) {
        lookup_prefix.clear();
        found = find_variable(name.c_str());
    }
    lookup_prefix = saved_prefix;
    if (found != nullptr) return *found;
    undefined.name.clear();
    undefined.original = "<<${ } variable '" + name + "' undefined>>";
    return undefined;
}

std::string ConfigStore::expand_variable_reference(const std::string& text) {
    return resolve_variable(split_expression_arguments(text, 1)[0]).original;
}

// Without a third argument a false condition makes the whole text a variable
// reference, so its first word ("?") names the variable.
std::string ConfigStore::expand_condition(const std::string& text) {
    const std::vector<std::string> list = split_expression_arguments(text.substr(1), 2);
    double condition = 0.0;
    if (!read_number(list[0], condition)) condition = 0.0;
    if (condition == 1.0) return list[1];
    if (list.size() >= 3) return list[2];
    return expand_variable_reference(text);
}

std::string ConfigStore::expand_indirect_value(const std::string& name) {
    const variable& record = resolve_variable(name);
    if (is_undefined(record)) return record.original;
    return split_expression_arguments(record.original, 2)[0];
}

std::string ConfigStore::expand_element_access(const std::vector<std::string>& list) {
    const variable& record = resolve_variable(list[0]);
    if (is_undefined(record)) return record.original;
    return element_range(record.elements, list);
}

std::string ConfigStore::expand_replacement(const std::vector<std::string>& list) {
    const std::size_t work_limit =
        std::min(argument_budget.bytes_left(), store_budget.bytes_left());
    ReplacementResult replaced = replace_occurrences(list[0], list[1], list[2], work_limit);
    // A replacement that stops as too costly has moved more than work_limit
    // bytes, more than one of the budgets holds, so charging it fails here.
    if (!spend_work(0, replaced.work)) return expression_text::tooCostly;
    if (replaced.outcome == ReplacementOutcome::does_not_end) {
        return expression_text::replacementDoesNotEnd;
    }
    return replaced.text;
}
