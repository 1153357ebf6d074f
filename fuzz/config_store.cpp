// A configuration store built from a file holding the input bytes, through
// the real file constructor, then asked for every variable it defined.
#include <cstdint>

#include "config_fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    silence_library_diagnostics();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = write_input_file(data, size);
    const ConfigStore store(path.c_str());
    if (store.arguments.empty() || store.arguments[0] != path) finding("file name not stored first");
    check_store(store);
    check_all_lookups(store);
    return 0;
}
