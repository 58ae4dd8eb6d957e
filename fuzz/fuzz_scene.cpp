// The scene file reader over arbitrary bytes: every version its magic names, with and without a
// frame limit. A read must end with true or false, never outside the input, and never at a
// memory cost beyond a small multiple of the input's size.

// The replacement operator new below pairs malloc with free; GCC cannot see that through the
// inlined library code and would warn at every delete.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <malloc.h>
#include <new>
#include <span>
#include <string>

#include "model/cscene.h"
#include "model/geometry.h"
#include "model/vertexpool.h"
#include "scene/scenefile.h"

// Heap bytes alive and their peak, as the allocator hands them out.
namespace {
std::atomic<long long> liveHeapBytes{0};
std::atomic<long long> peakHeapBytes{0};
} // namespace

void* operator new(size_t size) {
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
        liveHeapBytes.fetch_sub(static_cast<long long>(::malloc_usable_size(p)));
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    operator delete(p);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool tablesFilled = (FillAngleTables(), true);
    (void)tablesFilled;
    const std::span<const uint8_t> bytes(data, size);
    // What a read may cost: ten model bytes per file byte, a base for the scene and its first
    // channel, and the vertex pool's first blocks (counted twice below).
    const long long bound = 12 * static_cast<long long>(size) + (4 << 20);
    for (int frameLimit : {0, 1}) {
        std::string error;
        const long long before = liveHeapBytes.load();
        peakHeapBytes = before;
        {
            CScene scene(nullptr, nullptr);
            if (!LoadSceneFile(bytes, &scene, frameLimit, &error) && error.empty())
                __builtin_trap(); // a failure always says why
            // The pool's blocks, mapped or from the heap, stay until the scene goes.
            if (peakHeapBytes.load() - before + static_cast<long long>(VertexPoolHeldBytes()) >
                bound)
                __builtin_trap();
        }
    }
    return 0;
}
