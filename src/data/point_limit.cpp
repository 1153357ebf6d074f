#include "point_limit.h"

#include <unistd.h>

std::uint64_t MaxLoadablePoints() {
    long pages = sysconf(_SC_PHYS_PAGES);
    long pageSize = sysconf(_SC_PAGESIZE);
    // Unknown memory size: assume a modest 4 GiB machine.
    std::uint64_t memory = (pages > 0 && pageSize > 0)
                               ? static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize)
                               : std::uint64_t{4} << 30;
    return memory / 4 / (3 * sizeof(double));
}
