#include "warn_once.h"

#include <set>

#include "standard_error.h"

void warn_once(const std::string& line) {
    // Made on first use: stores are built during static initialisation too.
    static std::set<std::string> written;
    if (written.insert(line).second) standard_error() << line << "\n";
}
