#pragma once

// Replaces the global operator new and delete (plain, array and nothrow forms, all on malloc and
// free) with ones that count: the heap bytes alive, their peak, and (while watchAllocations is
// on) the largest single allocation. Include it in exactly one source file of a program.

// The replacement operator new pairs malloc with free; GCC cannot see that through the inlined
// library code and would warn at every delete.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <malloc.h>
#include <new>

namespace heapcount {
inline std::atomic<bool> watchAllocations{false};
inline std::atomic<size_t> largestAllocation{0};
inline std::atomic<long long> liveHeapBytes{0};
inline std::atomic<long long> peakHeapBytes{0};
} // namespace heapcount

void* operator new(size_t size) {
    using namespace heapcount;
    if (watchAllocations.load(std::memory_order_relaxed) &&
        size > largestAllocation.load(std::memory_order_relaxed))
        largestAllocation.store(size, std::memory_order_relaxed);
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr)
        throw std::bad_alloc();
    const auto usable = static_cast<long long>(::malloc_usable_size(p));
    const long long live = liveHeapBytes.fetch_add(usable) + usable;
    if (live > peakHeapBytes.load(std::memory_order_relaxed))
        peakHeapBytes.store(live, std::memory_order_relaxed);
    return p;
}
void operator delete(void* p) noexcept {
    if (p != nullptr)
        heapcount::liveHeapBytes.fetch_sub(static_cast<long long>(::malloc_usable_size(p)));
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    operator delete(p);
}
void* operator new[](size_t size) {
    return operator new(size);
}
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    try {
        return operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
    return operator new(size, std::nothrow);
}
void operator delete[](void* p) noexcept {
    operator delete(p);
}
void operator delete[](void* p, size_t) noexcept {
    operator delete(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    operator delete(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    operator delete(p);
}
