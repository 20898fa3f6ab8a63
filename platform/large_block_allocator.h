#pragma once
// An allocator for arrays of large records (a master database's designs run to tens of
// megabytes). Large blocks are mapped on 2 MiB boundaries and marked for huge pages, which
// spares the kernel one page fault per 4 KiB when the array is first filled.
#include <sys/mman.h>

#include <cstddef>
#include <cstdint>
#include <new>

namespace platform {

namespace detail {
constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kLargeBlock = std::size_t{4} << 20;

inline void* mapLargeBlock(std::size_t bytes) {
    std::size_t size = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void* raw = ::mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        throw std::bad_alloc();
    auto start = reinterpret_cast<std::uintptr_t>(raw);
    std::uintptr_t aligned = (start + kHugePage - 1) / kHugePage * kHugePage;
    if (aligned > start)
        ::munmap(raw, aligned - start);
    std::size_t tail = start + size + kHugePage - (aligned + size);
    if (tail > 0)
        ::munmap(reinterpret_cast<void*>(aligned + size), tail);
    ::madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
    return reinterpret_cast<void*>(aligned);
}

inline void unmapLargeBlock(void* p, std::size_t bytes) {
    ::munmap(p, (bytes + kHugePage - 1) / kHugePage * kHugePage);
}
}  // namespace detail

template <typename T>
struct LargeBlockAllocator {
    using value_type = T;
    LargeBlockAllocator() = default;
    template <typename U>
    LargeBlockAllocator(const LargeBlockAllocator<U>&) {}

    T* allocate(std::size_t n) {
        std::size_t bytes = n * sizeof(T);
        if (bytes < detail::kLargeBlock)
            return static_cast<T*>(::operator new(bytes));
        return static_cast<T*>(detail::mapLargeBlock(bytes));
    }
    void deallocate(T* p, std::size_t n) {
        std::size_t bytes = n * sizeof(T);
        if (bytes < detail::kLargeBlock)
            ::operator delete(p);
        else
            detail::unmapLargeBlock(p, bytes);
    }
    template <typename U>
    bool operator==(const LargeBlockAllocator<U>&) const {
        return true;
    }
};

}  // namespace platform
