// Placeholder until the configuration library lands: an empty store.
#include "config_store.h"

ConfigStore::ConfigStore(const char*, const char*, const char*, const char*) {}
ConfigStore::ConfigStore(int, const char* const*, const char*) {}
ConfigStore::~ConfigStore() = default;
const ConfigStore::variable* ConfigStore::find_variable(const char*) const { return nullptr; }
const char* ConfigStore::lookup(const char*, const char* d) const { return d; }
int ConfigStore::lookup(const char*, int d) const { return d; }
double ConfigStore::lookup(const char*, double d) const { return d; }
