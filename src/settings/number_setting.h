// Settings that take numbers, such as "data/frames-per-second". They are
// read strictly: a value the programs cannot use is said out loud, in one
// "warning:" line naming the key, the value and what is used instead, rather
// than quietly replaced. pelorin-check gathers these same lines, so the
// programs and the checker never judge a value differently.
#pragma once

#include <optional>
#include <string>
#include <vector>

class ConfigStore;

// Exactly `count` numbers, in any form "%lf" reads (12, -0.5, 1e3, inf), with
// white space between and around them and nothing else; nothing otherwise.
std::optional<std::vector<double>> NumbersIn(const char* text, int count);

// What a number key accepts: `accepts` decides, `wanted` says it in the
// warning ("a number above 0").
struct NumberRule {
    bool (*accepts)(double value);
    const char* wanted;
};

// The key's value when it is one number the rule accepts; nothing when the
// key is unset. Any other value gives one warning that names `instead` (the
// default as the user would write it, or null: the key is left unset), and
// nothing.
std::optional<double> NumberSetting(const ConfigStore& store, const char* key, const NumberRule& rule,
                                    const char* instead);

// A switch: 1 turns it on, 0 off; unset, `byDefault`. Any other value warns
// and gives `byDefault`.
bool SwitchSetting(const ConfigStore& store, const char* key, bool byDefault);

// How a warning names a refused value: `key: "value"`, the value printable.
std::string RefusedValue(const char* key, const char* value);
