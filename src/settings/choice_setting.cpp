#include "choice_setting.h"

#include <cstring>
#include <iostream>
#include <string>

#include "config_store.h"
#include "printable_text.h"

int ChoiceSetting(const ConfigStore& store, const char* key, std::initializer_list<const char*> choices) {
    const char* value = store.lookup(key, static_cast<const char*>(nullptr));
    if (value == nullptr) return 0;
    int index = 0;
    std::string expected;
    for (const char* choice : choices) {
        if (std::strcmp(value, choice) == 0) return index;
        expected += (index == 0 ? "" : index + 1 == static_cast<int>(choices.size()) ? " or " : ", ");
        expected += choice;
        ++index;
    }
    std::cerr << "warning: " << key << ": unknown value \"" << PrintableText(value) << "\" (expected " << expected
              << "); using " << *choices.begin() << std::endl;
    return 0;
}
