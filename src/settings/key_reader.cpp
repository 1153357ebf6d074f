#include "key_reader.h"

#include "caption_text.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "printable_text.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Exactly `count` numbers, in any form "%lf" reads (12, -0.5, 1e3, inf), with
// white space between and around them and nothing else; nothing otherwise.
std::optional<std::vector<double>> NumbersIn(const char* text, std::size_t count) {
    std::vector<double> numbers;
    const char* p = text;
    for (std::size_t i = 0; i < count; ++i) {
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

// The one number of the value, NaN excluded: it would compare as no value.
std::optional<double> OneNumber(const char* text) {
    const std::optional<std::vector<double>> numbers = NumbersIn(text, 1);
    if (!numbers || std::isnan(numbers->front())) return std::nullopt;
    return numbers->front();
}

double DefaultNumber(const KeyEntry& key) {
    return key.defaultValue != nullptr ? std::strtod(key.defaultValue, nullptr) : 0;
}

// What a refused value leaves.
std::string Instead(const KeyEntry& key) {
    if (key.ifRefused != nullptr) return key.ifRefused;
    return key.defaultValue != nullptr ? std::string("the programs use ") + key.defaultValue : leftUnset;
}

// How a value of `key` is written, for a warning about one that is not:
// "(write center = 'X Y Z')".
std::string WrittenAs(const KeyEntry& key) {
    const char* name = std::strrchr(key.name, '/') + 1;
    const char* form = key.kind == KeyKind::lowHigh ? "LOW HIGH"
                       : key.kind == KeyKind::pair  ? "X Y"
                       : key.kind == KeyKind::size  ? "DX DY"
                                                    : "X Y Z";
    return std::string("(write ") + name + " = '" + form + "')";
}

// What a key of several numbers wants, for a warning about a value that is
// not that.
const char* NumbersWanted(KeyKind kind) {
    switch (kind) {
        case KeyKind::lowHigh: return "two numbers, the lower first";
        case KeyKind::pair: return "two numbers";
        case KeyKind::size: return "two numbers above 0";
        default: return "three numbers";
    }
}

}  // namespace

std::string KeyReader::Text(const KeyEntry& key) const {
    return store_.lookup(key.name, key.defaultValue != nullptr ? key.defaultValue : "");
}

double KeyReader::LookupNumber(const KeyEntry& key) const {
    const double value = store_.lookup(key.name, DefaultNumber(key));
    SayIfNotConverted(key);
    return value;
}

int KeyReader::LookupWhole(const KeyEntry& key) const {
    const int value = store_.lookup(key.name, static_cast<int>(DefaultNumber(key)));
    SayIfNotConverted(key);
    return value;
}

std::optional<double> KeyReader::Number(const KeyEntry& key) const {
    const char* text = Written(key);
    if (text != nullptr) {
        const std::optional<double> number = OneNumber(text);
        if (number && key.rule.accepts(*number)) return number;
        Refuse(key, text, std::string("is not ") + (number ? key.rule.wanted : "a number") + "; " + Instead(key));
    }
    if (key.defaultValue == nullptr) return std::nullopt;
    return DefaultNumber(key);
}

bool KeyReader::OnOff(const KeyEntry& key) const {
    const bool byDefault = DefaultNumber(key) == 1;
    const char* text = Written(key);
    if (text == nullptr) return byDefault;
    const std::optional<double> number = OneNumber(text);
    if (number && (*number == 0 || *number == 1)) return *number == 1;
    Refuse(key, text, number ? std::string("is neither 0 nor 1; the programs take it as ") + key.defaultValue
                             : "is not a number; " + Instead(key));
    return byDefault;
}

int KeyReader::Choice(const KeyEntry& key) const {
    const char* text = Written(key);
    if (text == nullptr) return 0;
    std::string expected;
    int index = 0;
    for (const char* choice : key.choices) {
        if (choice == nullptr) break;
        if (std::strcmp(text, choice) == 0) return index;
        const bool last = index + 1 == static_cast<int>(key.choices.size()) || key.choices[index + 1] == nullptr;
        expected += index == 0 ? "" : last ? " or " : ", ";
        expected += choice;
        ++index;
    }
    diagnostics_.Warning(std::string(key.name) + ": unknown value \"" + PrintableText(text) + "\" (expected " +
                         expected + "); using " + key.defaultValue);
    return 0;
}

std::optional<std::vector<double>> KeyReader::Numbers(const KeyEntry& key) const {
    const char* text = Written(key);
    if (text == nullptr) return std::nullopt;
    const bool lowHigh = key.kind == KeyKind::lowHigh;
    const std::optional<std::vector<double>> numbers = NumbersIn(text, key.kind == KeyKind::point ? 3 : 2);
    bool usable = numbers.has_value();
    for (std::size_t i = 0; usable && i < numbers->size(); ++i) {
        usable = std::isfinite((*numbers)[i]) && (key.kind != KeyKind::size || (*numbers)[i] > 0);
    }
    if (usable && lowHigh) usable = (*numbers)[0] < (*numbers)[1];
    if (usable) return numbers;
    Refuse(key, text, std::string("is not ") + NumbersWanted(key.kind) + " " + WrittenAs(key) + "; " + Instead(key));
    return std::nullopt;
}

// Past about 5e307 degrees the radians overflow, and the sine and cosine of
// the eye's position would be NaN: a blank picture with no word of why.
std::optional<double> KeyReader::Angle(const KeyEntry& key) const {
    const char* text = Written(key);
    if (text == nullptr) return std::nullopt;
    const std::optional<double> degrees = OneNumber(text);
    if (!degrees || !std::isfinite(*degrees)) {
        Refuse(key, text, "is not a number; " + Instead(key));
    } else if (!std::isfinite(*degrees * M_PI / 180)) {
        Refuse(key, text, "is too large an angle; " + Instead(key));
    } else {
        return degrees;
    }
    return std::nullopt;
}

std::string KeyReader::Caption(const KeyEntry& key) const {
    const std::string worked = Text(key);
    return worked.empty() ? worked : WrittenCaption(store_, worked);
}

const char* KeyReader::Written(const KeyEntry& key) const {
    return store_.lookup(key.name, static_cast<const char*>(nullptr));
}

void KeyReader::Refuse(const KeyEntry& key, const std::string& value, const std::string& problem,
                       Severity severity) const {
    diagnostics_.Report(severity, std::string(key.name) + ": \"" + PrintableText(value) + "\" " + problem);
}

// The look-ups give back whichever default they are given when the value
// does not convert (or converts to NaN), and say nothing of it.
void KeyReader::SayIfNotConverted(const KeyEntry& key) const {
    const ConfigStore::variable* found = store_.find_variable(key.name);
    if (found == nullptr || store_.lookup(key.name, 1.0) == store_.lookup(key.name, 2.0)) return;
    Refuse(key, found->original, "is not a number; " + Instead(key), Severity::silent);
}
