// ConfigStore: the configuration store built from a configuration file or
// from an argument vector, with typed look-ups that fall back to defaults.
//
// Callers outside the configuration library use only the constructors, the
// three lookup overloads and the destructor. Everything else is public so the
// parsing steps can be exercised on their own, but is an internal step of
// construction.
#pragma once

#include <istream>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "diagnostics.h"
#include "evaluation_limits.h"

class ConfigStore {
public:
    // One named variable. `name` includes the section path ("display/sphere-r"),
    // `elements` is the value split at the separator characters, and
    // `original` is the value text exactly as written after the first "=".
    struct variable {
        std::string name;
        std::vector<std::string> elements;
        std::string original;

        variable(std::string variable_name, const std::string& value, const std::string& separators);
        // Stores `value` in `original` and splits it again into `elements`.
        void set_value(const std::string& value, const std::string& separators);
    };

    // Reads the named file, no further than its first maxConfigFileBytes
    // (config_file.h); a file that cannot be opened gives an empty store.
    // Null markers or separators keep the defaults "#", "\n" and " \t\n".
    // What the store writes (the file's warnings, the integer look-up's line,
    // the division trace) goes to `diagnostics`, which must outlive it.
    explicit ConfigStore(const char* file_name, const char* opening_marker = nullptr,
                         const char* closing_marker = nullptr, const char* separators = nullptr,
                         Diagnostics& diagnostics = ProgramDiagnostics());
    // Parses an argument vector; `argc` must be at least 1.
    ConfigStore(int argc, const char* const* argv, const char* separators = nullptr,
                Diagnostics& diagnostics = ProgramDiagnostics());
    ~ConfigStore();

    ConfigStore(const ConfigStore&) = delete;
    ConfigStore& operator=(const ConfigStore&) = delete;

    // The variable whose full name is lookup_prefix + name, or null.
    const variable* find_variable(const char* name) const;

    // The variable's value text as written, or `default_value` itself.
    const char* lookup(const char* name, const char* default_value) const;
    // Writes "## original = <value>" to the store's diagnostics (standard
    // error unless the constructor was given another) when the variable exists,
    // then converts the value as a floating-point number truncated toward zero.
    int lookup(const char* name, int default_value) const;
    double lookup(const char* name, double default_value) const;

    // ---- Internal steps of construction ----
    // Where the store's own lines go.
    Diagnostics& diagnostics() const { return *diagnostics_; }
    std::vector<std::string> tokenize_stream(std::istream& in) const;
    void parse_arguments(const std::vector<std::string>& list);
    static std::string process_section_label(std::string label,
                                             std::vector<std::string>& section_stack);
    // Replaces every outermost "${...}" of one stored argument by its value.
    std::string expand_dollar_brackets(const std::string& text);
    std::string expand_expression(std::string text);
    std::vector<std::string> split_expression_arguments(std::string text, unsigned minimum);
    const variable& resolve_variable(std::string name);

    // ---- State, in declaration order ----
    std::string lookup_prefix;
    std::string current_section;
    std::vector<std::string> sections;
    std::vector<std::string> arguments;
    std::vector<variable> variable_list;
    std::string comment_open = "#";
    std::string comment_close = "\n";
    std::string element_separators = " \t\n";

private:
    Diagnostics* diagnostics_;

    void store_definition(const std::string& stored_argument);
    std::string open_section(const std::string& label_entry,
                             std::vector<std::string>& section_stack);

    std::string evaluate_operator(const std::string& text);
    std::string expand_variable_reference(const std::string& text);
    std::string expand_condition(const std::string& text);
    std::string expand_indirect_value(const std::string& name);
    std::string expand_element_access(const std::vector<std::string>& arguments);
    std::string expand_replacement(const std::vector<std::string>& arguments);
    // The text an evaluation gives without running (nesting too deep, or a
    // budget used up), or null when it may run.
    const char* refused_expansion() const;
    // Charges work to both budgets; false once either is used up.
    bool spend_work(std::size_t evaluations, std::size_t bytes);

    // Where each variable stands in variable_list, by full name: a file of
    // many thousand definitions, each looked up while it is stored and by
    // every expression naming it, would otherwise take quadratic time.
    std::unordered_map<std::string, std::size_t> variable_positions;
    // The members of `sections`, so that a label tells in constant time
    // whether its section is new: comparing it with every section before
    // made many distinct labels take quadratic time.
    std::unordered_set<std::string> known_sections;
    unsigned active_expansions = 0;
    WorkBudget argument_budget = WorkBudget::for_argument();
    WorkBudget store_budget = WorkBudget::for_store();
};
