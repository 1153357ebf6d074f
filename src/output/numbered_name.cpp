#include "numbered_name.h"

#include <unistd.h>

#include <cstdio>

std::string FirstFreeName(const std::string& prefix, const std::string& extension) {
    for (int n = 1; n < 100000; ++n) {
        char number[16];
        std::snprintf(number, sizeof number, "%04d", n);
        const std::string name = prefix + "-" + number + "." + extension;
        if (access(name.c_str(), F_OK) != 0) return name;
    }
    return "";
}
