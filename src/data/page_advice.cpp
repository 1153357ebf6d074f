#include "page_advice.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

void advise_huge_pages(const void* data, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t kHugePage = kHugePageBytes;
    if (data == nullptr || bytes < kHugePage) return;
    // Only whole huge pages inside the block: the advice applies to whole
    // pages, and the memory around the block is not ours to advise.
    std::uintptr_t begin = (reinterpret_cast<std::uintptr_t>(data) + kHugePage - 1) & ~(kHugePage - 1);
    std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(kHugePage - 1);
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)data;
    (void)bytes;
#endif
}

void populate_pages(const void* data, std::size_t bytes) {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    constexpr std::uintptr_t kPage = 4096;
    if (data == nullptr) return;
    std::uintptr_t begin = (reinterpret_cast<std::uintptr_t>(data) + kPage - 1) & ~(kPage - 1);
    std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(kPage - 1);
    // Older kernels refuse the request; the pages are then taken on first write.
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);
#else
    (void)data;
    (void)bytes;
#endif
}
