// Helpers shared by the configuration fuzz targets.
#pragma once

#include <climits>
#include <cmath>
#include <cstdint>
#include <iostream>
#include <set>
#include <string>

#include "config_store.h"
#include "fuzz_support.h"

// The library writes "## original = " lines and division traces to std::cerr.
// Formatting them for every input would slow the fuzzer, so std::cerr gets no
// buffer (its writes then fail at once, before any formatting). File
// descriptor 2 stays open: libFuzzer and the sanitizers report through it.
inline void silence_library_diagnostics() { std::cerr.rdbuf(nullptr); }

// What every complete store promises, whatever it was built from.
inline void check_store(const ConfigStore& store) {
    if (!store.lookup_prefix.empty()) finding("lookup_prefix not empty after construction");
    if (!store.current_section.empty() && store.current_section.back() != '/') {
        finding("current section does not end in /");
    }
    std::set<std::string> sections;
    for (const std::string& section : store.sections) {
        if (section.empty()) finding("an empty section is listed");
        if (!sections.insert(section).second) finding("a section is listed twice");
    }
    std::set<std::string> names;
    for (const ConfigStore::variable& v : store.variable_list) {
        if (!names.insert(v.name).second) finding("two variables with one name");
        if (v.name.find('\0') != std::string::npos) finding("a NUL byte inside a name");
        if (v.original.find('\0') != std::string::npos) finding("a NUL byte inside a value");
    }
}

// Asks for `name` in all three ways and checks the answers against the
// variable's text; `expected` is the variable or null when none is defined.
inline void check_lookups(const ConfigStore& store, const char* name,
                          const ConfigStore::variable* expected) {
    static const char textDefault[] = "default";
    constexpr int intDefault = 12345;
    const double double_default = -0.25;

    const char* text = store.lookup(name, textDefault);
    const int as_int = store.lookup(name, intDefault);
    const double as_double = store.lookup(name, double_default);
    if (expected == nullptr) {
        if (text != textDefault || as_int != intDefault || as_double != double_default) {
            finding("an undefined name gave something other than the default");
        }
        return;
    }
    if (text != expected->original.c_str()) finding("text look-up is not the variable's original");
    // The integer look-up is the floating-point one truncated and clamped.
    double converted = 0.0;
    const bool converts = std::sscanf(text, "%lf", &converted) == 1;
    if (!converts) {
        if (as_int != intDefault || as_double != double_default) {
            finding("an unconvertible value did not give the defaults");
        }
        return;
    }
    if (std::isnan(converted)) {
        if (!std::isnan(as_double) || as_int != intDefault) finding("NaN look-ups wrong");
        return;
    }
    if (as_double != converted) finding("floating-point look-up differs from %lf");
    const int want = converted >= static_cast<double>(INT_MAX)   ? INT_MAX
                     : converted <= static_cast<double>(INT_MIN) ? INT_MIN
                                                                 : static_cast<int>(converted);
    if (as_int != want) finding("integer look-up is not the truncated, clamped value");
}

// Every defined name, the keys the program itself reads, and a few names that
// are often absent.
inline void check_all_lookups(const ConfigStore& store) {
    for (const ConfigStore::variable& v : store.variable_list) {
        check_lookups(store, v.name.c_str(), &v);
    }
    for (const char* key : {"data/file", "display/sphere-r", "display/sphere-tesel", "", "a", "x/"}) {
        check_lookups(store, key, store.find_variable(key));
    }
}
