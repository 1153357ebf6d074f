// Reading a configuration file into tokens for the store.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class ConfigStore;

// No real configuration file comes near this size; reading stops here, so
// that neither a file that never ends nor a huge one can exhaust memory.
constexpr std::size_t maxConfigFileBytes = std::size_t{2} << 20;  // 2 MiB

// The file's tokens, with CR LF read as LF. A file that cannot be opened
// gives none. A name that is neither a regular file nor a device (a FIFO, a
// directory) gives none, a UTF-16 file gives none, and a file longer than
// maxConfigFileBytes the tokens of its first maxConfigFileBytes bytes, each
// with one warning to the store's diagnostics the first time they are given it.
// A device is read only as far as it gives without waiting.
std::vector<std::string> read_config_file_tokens(const ConfigStore& store, const char* file_name);
