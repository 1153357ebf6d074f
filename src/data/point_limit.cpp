#include "point_limit.h"

#include <unistd.h>

namespace {

std::uint64_t PhysicalMemory() {
    long pages = sysconf(_SC_PHYS_PAGES);
    long pageSize = sysconf(_SC_PAGESIZE);
    // Unknown memory size: assume a modest 4 GiB machine.
    return (pages > 0 && pageSize > 0) ? static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize)
                                       : std::uint64_t{4} << 30;
}

}  // namespace

std::uint64_t MaxLoadablePoints() { return PhysicalMemory() / 4 / (3 * sizeof(double)); }

std::uint64_t MaxLoadableCells() { return PhysicalMemory() / 4 / 32; }
