// A configuration store built from an argument vector made of the input: the
// bytes split at NUL bytes into entries. Entry 0, the program name, is never
// interpreted by the store, so it doubles as the element separators (the
// defaults when it is empty).
#include <cstdint>
#include <string>
#include <vector>

#include "config_fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    silence_library_diagnostics();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> entries(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            entries.emplace_back();
        } else {
            entries.back() += static_cast<char>(data[i]);
        }
    }
    std::vector<const char*> argv;
    for (const std::string& entry : entries) argv.push_back(entry.c_str());
    const char* separators = entries[0].empty() ? nullptr : entries[0].c_str();

    const ConfigStore store(static_cast<int>(argv.size()), argv.data(), separators);
    if (store.arguments.empty() || store.arguments[0] != entries[0]) finding("entry 0 not stored first");
    std::size_t stored = 1;
    for (std::size_t i = 1; i < entries.size(); ++i) stored += entries[i].empty() ? 0 : 1;
    if (store.arguments.size() != stored) finding("not one stored argument per non-empty entry");
    check_store(store);
    check_all_lookups(store);
    return 0;
}
