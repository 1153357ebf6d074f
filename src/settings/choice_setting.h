// A setting that names one of a few choices, such as "display/colour".
#pragma once

#include <initializer_list>

class ConfigStore;

// The index of the value of `key` among `choices`; 0, the first choice, when
// the key is not set. Any other value also gives 0, after one warning line on
// standard error that names the key, the value and the choices.
int ChoiceSetting(const ConfigStore& store, const char* key, std::initializer_list<const char*> choices);
