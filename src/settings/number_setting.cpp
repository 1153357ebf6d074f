#include "number_setting.h"

#include <cmath>
#include <cstdlib>
#include <iostream>

#include "config_store.h"
#include "printable_text.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

std::string Instead(const char* instead) {
    return instead != nullptr ? std::string("the programs use ") + instead : "the programs leave it unset";
}

// The one number of the value, NaN excluded: it would compare as no value.
std::optional<double> OneNumber(const char* text) {
    const std::optional<std::vector<double>> numbers = NumbersIn(text, 1);
    if (!numbers || std::isnan(numbers->front())) return std::nullopt;
    return numbers->front();
}

}  // namespace

std::optional<std::vector<double>> NumbersIn(const char* text, int count) {
    std::vector<double> numbers;
    const char* p = text;
    for (int i = 0; i < count; ++i) {
        char* end = nullptr;
        const double value = std::strtod(p, &end);
        // "1-2" is not two numbers: each one ends at white space.
        if (end == p || (*end != '\0' && !IsBlank(*end))) return std::nullopt;
        numbers.push_back(value);
        p = end;
    }
    while (IsBlank(*p)) ++p;
    if (*p != '\0') return std::nullopt;
    return numbers;
}

std::optional<double> NumberSetting(const ConfigStore& store, const char* key, const NumberRule& rule,
                                    const char* instead) {
    const char* text = store.lookup(key, static_cast<const char*>(nullptr));
    if (text == nullptr) return std::nullopt;
    const std::optional<double> number = OneNumber(text);
    if (number && rule.accepts(*number)) return number;
    std::cerr << "warning: " << RefusedValue(key, text) << " is not " << (number ? rule.wanted : "a number") << "; "
              << Instead(instead) << std::endl;
    return std::nullopt;
}

bool SwitchSetting(const ConfigStore& store, const char* key, bool byDefault) {
    const char* text = store.lookup(key, static_cast<const char*>(nullptr));
    if (text == nullptr) return byDefault;
    const std::optional<double> number = OneNumber(text);
    if (number && (*number == 0 || *number == 1)) return *number == 1;
    const char* taken = byDefault ? "1" : "0";
    std::cerr << "warning: " << RefusedValue(key, text)
              << (number ? " is neither 0 nor 1; the programs take it as " : " is not a number; the programs use ")
              << taken << std::endl;
    return byDefault;
}

std::string RefusedValue(const char* key, const char* value) {
    return std::string(key) + ": \"" + PrintableText(value) + "\"";
}
