// How a key of config.txt is declared: how it is read, what it accepts, its
// default, what it means and where its value goes. The entries themselves
// are in keys.h; the programs read every key through its entry
// (key_reader.h), and pelorin-check lists and explains them from the same
// entries.
#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>
#include <string>
#include <vector>

enum class KeyKind {
    text,          // taken as written
    lookupNumber,  // the store's floating-point look-up, as the sphere's radius always was: a
                   // value that does not convert gives the default without a word
    lookupWhole,   // the store's integer look-up, the same after its "## original = " line,
                   // truncated toward zero
    number,        // one number that the key's rule accepts
    onOff,         // 1 on, 0 off
    choice,        // one of a few named values
    lowHigh,       // two numbers, the lower first ('LOW HIGH')
    point,         // three numbers ('X Y Z')
    pair,          // two numbers ('X Y')
    size,          // two numbers above 0 ('DX DY')
    angle,         // degrees, small enough to turn into radians
};

// What a number key accepts: `accepts` decides, `wanted` says it in the
// warning ("a number above 0").
struct NumberRule {
    bool (*accepts)(double value);
    const char* wanted;
};

// What a refused value leaves, when the key has no default to use instead.
constexpr const char* leftUnset = "the programs leave it unset";
constexpr const char* leftIgnored = "ignored";

constexpr std::size_t mostChoices = 4;

class KeyReader;
struct KeyEntry;
struct SceneSettings;

// Reads the key with `read` into its place in `settings`; null for the keys
// read elsewhere (data/file).
using ApplyKey = void (*)(const KeyReader& read, const KeyEntry& key, SceneSettings& settings);

struct KeyEntry {
    const char* name;          // section and name: "display/colour"
    KeyKind kind;
    const char* defaultValue;  // as the user would write it; null when unset by default
    const char* meaning;       // a few words, for one line of pelorin-check's list
    const char* ifRefused;     // leftUnset or leftIgnored; null: the default is used
    NumberRule rule;                                 // number
    std::array<const char*, mostChoices> choices;  // choice, the default first; null after the last
    ApplyKey apply;
};

// The entries, and the rules and makers that declare them.
namespace keys {
bool AboveZero(double value);
bool PlayRate(double value);
bool Finite(double value);
bool SampleCount(double value);
bool Level(double value);
constexpr NumberRule aboveZero{AboveZero, "a number above 0"};
constexpr NumberRule playRate{PlayRate, "a number above 0 and at most 1000"};
constexpr NumberRule finite{Finite, "a finite number"};
constexpr NumberRule sampleCount{SampleCount, "a whole number from 1 to 64"};
constexpr NumberRule level{Level, "a whole number from 0 to 2147483647"};
// Any finite number; a refused one, infinity included, "is not a number".
constexpr NumberRule finiteNumber{Finite, "a number"};

constexpr KeyEntry Entry(const char* name, KeyKind kind, const char* byDefault, const char* meaning, ApplyKey apply,
                         const char* ifRefused = nullptr) {
    return {name, kind, byDefault, meaning, ifRefused, {nullptr, nullptr}, {}, apply};
}
constexpr KeyEntry Number(const char* name, const char* byDefault, NumberRule rule, const char* meaning,
                          ApplyKey apply, const char* ifRefused = nullptr) {
    return {name, KeyKind::number, byDefault, meaning, ifRefused, rule, {}, apply};
}
constexpr KeyEntry Choice(const char* name, std::initializer_list<const char*> choices, const char* meaning,
                          ApplyKey apply) {
    KeyEntry entry = Entry(name, KeyKind::choice, *choices.begin(), meaning, apply);
    std::size_t at = 0;
    for (const char* choice : choices) entry.choices[at++] = choice;
    return entry;
}
}  // namespace keys
