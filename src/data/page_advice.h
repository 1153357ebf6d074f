#pragma once

#include <cstddef>
#include <new>

// Writing fresh memory first takes a page fault per page; with 2 MiB pages
// instead of 4 KiB ones a large array takes 512 times fewer, and on some
// machines (virtual ones above all) those faults are most of the cost of
// loading a grid. These helpers ask the kernel for such huge pages. Only
// advice: where the system has none, nothing changes.

constexpr std::size_t hugePageBytes = std::size_t{2} << 20;

// Advises the whole huge pages inside [data, data + bytes); the memory around
// the block is not ours to advise.
void AdviseHugePages(const void* data, std::size_t bytes);

// Takes the pages inside [data, data + bytes) now, without changing their
// contents, so that first writes to them later cost no page faults: lets
// another thread bear the kernel's cost of handing out fresh memory.
void PopulatePages(const void* data, std::size_t bytes);

// Uninitialised storage for `count` objects of a trivial type T. A block of a
// huge page or more is aligned to huge pages and advised to use them.
template <class T>
class PageBlock {
public:
    explicit PageBlock(std::size_t count)
        : aligned_(count * sizeof(T) >= hugePageBytes),
          data_(static_cast<T*>(aligned_ ? ::operator new(count * sizeof(T), std::align_val_t{hugePageBytes})
                                         : ::operator new(count * sizeof(T)))) {
        if (aligned_) AdviseHugePages(data_, count * sizeof(T));
    }
    ~PageBlock() {
        if (aligned_)
            ::operator delete(data_, std::align_val_t{hugePageBytes});
        else
            ::operator delete(data_);
    }
    PageBlock(const PageBlock&) = delete;
    PageBlock& operator=(const PageBlock&) = delete;

    T* data() const { return data_; }

private:
    bool aligned_;
    T* data_;
};
