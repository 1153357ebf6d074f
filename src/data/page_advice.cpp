#include "page_advice.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>

namespace {

// Gives `advice` for the whole pages of `page` bytes inside [data, data +
// bytes): advice applies to whole pages, and the memory around the block is
// not ours to advise. The advice may be refused (an older kernel); it is
// only ever a request.
[[maybe_unused]] void AdviseWholePages(const void* data, std::size_t bytes, std::uintptr_t page, int advice) {
    if (data == nullptr) return;
    const std::uintptr_t begin = (reinterpret_cast<std::uintptr_t>(data) + page - 1) & ~(page - 1);
    const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(page - 1);
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, advice);
}

}  // namespace
#endif

void AdviseHugePages(const void* data, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    AdviseWholePages(data, bytes, hugePageBytes, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}

void PopulatePages(const void* data, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    const long page = sysconf(_SC_PAGESIZE);
    if (page > 0) AdviseWholePages(data, bytes, static_cast<std::uintptr_t>(page), MADV_POPULATE_WRITE);
#else
    (void)data;
    (void)bytes;
#endif
}
