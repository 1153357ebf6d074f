// A store built and read during static initialisation, as the viewer's is.
// This unit includes no stream header, and it is linked first, so nothing
// has made the standard streams yet when the look-up writes its line.
#include "config_store.h"

namespace {
const char* const arguments[] = {"prog", "a=${nosuch}", "b=${!gone}", "[display]",
                                  "sphere-tesel=${+ 4 3}"};
}  // namespace

ConfigStore early_store(5, arguments);
int early_tesel = early_store.lookup("display/sphere-tesel", 6);
