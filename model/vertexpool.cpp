#include "model/vertexpool.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "model/cvector.h"

#if defined(__SANITIZE_ADDRESS__)
#define TRELLION_VERTEX_POOL_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TRELLION_VERTEX_POOL_ASAN 1
#endif
#endif
#ifndef TRELLION_VERTEX_POOL_ASAN
#define TRELLION_VERTEX_POOL_ASAN 0
#endif

#if defined(__SANITIZE_THREAD__)
#define TRELLION_VERTEX_POOL_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define TRELLION_VERTEX_POOL_TSAN 1
#endif
#endif
#ifndef TRELLION_VERTEX_POOL_TSAN
#define TRELLION_VERTEX_POOL_TSAN 0
#endif

#if !defined(NDEBUG) || TRELLION_VERTEX_POOL_ASAN || TRELLION_VERTEX_POOL_TSAN
#define TRELLION_VERTEX_POOL_CHECK_THREAD 1
#else
#define TRELLION_VERTEX_POOL_CHECK_THREAD 0
#endif

#if TRELLION_VERTEX_POOL_ASAN
#include <sanitizer/asan_interface.h>
#endif

#if defined(__linux__)
#include <sys/mman.h>
#define TRELLION_VERTEX_POOL_MMAP 1
#else
#define TRELLION_VERTEX_POOL_MMAP 0
#endif

namespace {

// In AddressSanitizer builds the pool poisons every slot that holds no vertex (freed, or not yet
// handed out), so that a vertex used after its delete, or memory past the last vertex, is
// reported as a use of poisoned memory, as the global allocator's would be.
#if TRELLION_VERTEX_POOL_ASAN
void Poison(const void* start, std::size_t size) noexcept {
    ASAN_POISON_MEMORY_REGION(start, size);
}
void Unpoison(const void* start, std::size_t size) noexcept {
    ASAN_UNPOISON_MEMORY_REGION(start, size);
}
#else
void Poison(const void*, std::size_t) noexcept {}
void Unpoison(const void*, std::size_t) noexcept {}
#endif

#if TRELLION_VERTEX_POOL_CHECK_THREAD
// Its address tells the threads apart: it is distinct for every thread alive.
thread_local char threadMark;

[[noreturn]] void UsedOnASecondThread() noexcept {
    std::fputs("trellion: the vertex pool was used on a second thread while vertices of another "
               "thread were alive; the model belongs to one thread at a time\n",
               stderr);
    std::abort();
}
#endif

constexpr std::size_t kSlotSize = sizeof(CVector);
static_assert(kSlotSize % alignof(CVector) == 0);
static_assert(kSlotSize >= sizeof(void*));
} // namespace

namespace {

// Blocks start at 64 slots so that a small scene costs little, and double up to a block just
// under 1 MiB including the allocator's own chunk header, so that such a block is one whole
// mapping with next to nothing wasted at its end.
constexpr std::size_t kFirstBlockSlots = 64;
constexpr std::size_t kBlockHeaderSize = 16;
constexpr std::size_t kMaxHeapBlockSlots = ((std::size_t(1) << 20) - 64) / kSlotSize;

// Past that the blocks are 2 MiB mappings of their own, aligned to 2 MiB and marked for
// transparent huge pages. A large file is millions of vertices, hundreds of megabytes touched
// for the first time; faulted in 4 KiB at a time that costs more than the whole load on a
// virtual machine, while one huge page is a single fault. A block is exactly one huge page:
// larger blocks would save only a system call per 2 MiB, and would hold up to a block's
// worth of address space beyond what the vertices need.
constexpr std::size_t kMappedBlockBytes = std::size_t(2) << 20;
constexpr std::size_t kMappedBlockSlots = (kMappedBlockBytes - kBlockHeaderSize) / kSlotSize;

// The most address space reserved at once for the blocks expected vertices will fill.
constexpr std::size_t kMaxReservedBlocks = 512;

struct BlockHeader {
    BlockHeader* next;
    // The block's whole size, header included; kMappedBlockBytes for a block from MapBlocks(),
    // which no block from operator new reaches.
    std::size_t bytes;
};
static_assert(sizeof(BlockHeader) <= kBlockHeaderSize);
static_assert(kBlockHeaderSize + kMaxHeapBlockSlots * kSlotSize < kMappedBlockBytes);
static_assert(kBlockHeaderSize % alignof(CVector) == 0);

#if TRELLION_VERTEX_POOL_MMAP
// A fresh 2 MiB-aligned anonymous mapping of `count` blocks, or null. The kernel usually places
// a mapping of a whole number of huge pages on a huge-page boundary already; when it does not,
// a mapping one block larger is trimmed to the aligned part.
void* MapBlocks(std::size_t count) noexcept {
    constexpr int kProtection = PROT_READ | PROT_WRITE;
    constexpr int kFlags = MAP_PRIVATE | MAP_ANONYMOUS;
    constexpr std::uintptr_t kAlignMask = kMappedBlockBytes - 1;
    const std::size_t bytes = count * kMappedBlockBytes;
    void* memory = ::mmap(nullptr, bytes, kProtection, kFlags, -1, 0);
    if (memory == MAP_FAILED)
        return nullptr;
    if ((reinterpret_cast<std::uintptr_t>(memory) & kAlignMask) != 0) {
        ::munmap(memory, bytes);
        const std::size_t wide = bytes + kMappedBlockBytes;
        memory = ::mmap(nullptr, wide, kProtection, kFlags, -1, 0);
        if (memory == MAP_FAILED)
            return nullptr;
        auto* const start = static_cast<unsigned char*>(memory);
        const std::uintptr_t address = reinterpret_cast<std::uintptr_t>(start);
        auto* const aligned = start + ((kMappedBlockBytes - (address & kAlignMask)) & kAlignMask);
        if (aligned > start)
            ::munmap(start, std::size_t(aligned - start));
        auto* const end = aligned + bytes;
        if (end < start + wide)
            ::munmap(end, std::size_t(start + wide - end));
        memory = aligned;
    }
    // Without huge pages (not configured, or the advice refused) the blocks are still good
    // memory, only slower to fault in.
    ::madvise(memory, bytes, MADV_HUGEPAGE);
    return memory;
}

void UnmapBlocks(void* start, std::size_t count) noexcept {
    ::munmap(start, count * kMappedBlockBytes);
}

#else
void* MapBlocks(std::size_t) noexcept {
    return nullptr;
}

void UnmapBlocks(void*, std::size_t) noexcept {}
#endif

class Pool {
public:
    void* Allocate() {
        ClaimForThisThread();
        void* slot;
        if (freeList_) {
            slot = freeList_;
            Unpoison(slot, kSlotSize);
            freeList_ = *static_cast<void**>(freeList_);
        } else {
            if (bump_ == bumpEnd_) {
                AddBlock();
            }
            slot = bump_;
            bump_ += kSlotSize;
            Unpoison(slot, kSlotSize);
        }
        ++live_;
        expected_ -= expected_ != 0;
        return slot;
    }

    void Expect(std::size_t vertices) noexcept { expected_ = vertices; }

    void Free(void* slot) noexcept {
        CheckOwner();
        *static_cast<void**>(slot) = freeList_;
        freeList_ = slot;
        Poison(slot, kSlotSize);
        if (--live_ == 0) {
            ReleaseBlocks();
        }
    }

    bool ReleaseAll(std::size_t count) noexcept {
        if (count == 0 || count != live_)
            return false;
        CheckOwner();
        live_ = 0;
        ReleaseBlocks();
        return true;
    }

    std::size_t Mappings() const noexcept { return mappings_; }

    std::size_t Live() const noexcept { return live_; }

    std::size_t HeldBytes() const noexcept { return heldBytes_; }

private:
    // In checking builds: the thread that makes a vertex while none is alive owns the pool until
    // the last vertex is gone; any other thread making or freeing a vertex meanwhile ends the
    // process with a message, since the pool takes no lock and would be corrupted silently.
#if TRELLION_VERTEX_POOL_CHECK_THREAD
    void ClaimForThisThread() noexcept {
        const void* owner = owner_.load(std::memory_order_relaxed);
        if (owner == &threadMark)
            return;
        if (owner != nullptr || live_ != 0 ||
            !owner_.compare_exchange_strong(owner, &threadMark, std::memory_order_relaxed))
            UsedOnASecondThread();
    }

    void CheckOwner() const noexcept {
        if (owner_.load(std::memory_order_relaxed) != &threadMark)
            UsedOnASecondThread();
    }

    void ReleaseOwner() noexcept {
        owner_.store(nullptr, std::memory_order_relaxed);
    }
#else
    void ClaimForThisThread() noexcept {}
    void CheckOwner() const noexcept {}
    void ReleaseOwner() noexcept {}
#endif

    // A fresh mapping of `count` blocks, counted.
    void* Map(std::size_t count) noexcept {
        void* memory = MapBlocks(count);
        mappings_ += memory != nullptr;
        return memory;
    }

    void AddBlock() {
        unsigned char* memory = nullptr;
        std::size_t slots = 0;
        bool mapped = false;
        if (nextBlockSlots_ > kMaxHeapBlockSlots) {
            memory = static_cast<unsigned char*>(NextMapping());
            if (memory) {
                slots = kMappedBlockSlots;
                mapped = true;
            }
        }
        if (!memory) {
            slots = std::min(kMaxHeapBlockSlots, nextBlockSlots_);
            memory =
                static_cast<unsigned char*>(::operator new(kBlockHeaderSize + slots * kSlotSize));
        }
        const std::size_t bytes = mapped ? kMappedBlockBytes : kBlockHeaderSize + slots * kSlotSize;
        auto* header = ::new (memory) BlockHeader{blocks_, bytes};
        blocks_ = header;
        heldBytes_ += bytes;
        bump_ = memory + kBlockHeaderSize;
        bumpEnd_ = bump_ + slots * kSlotSize;
        Poison(bump_, std::size_t(bumpEnd_ - bump_));
        nextBlockSlots_ = slots * 2;
    }

    // A fresh block: the next one of the address space reserved for the expected vertices, or a
    // mapping of its own. One reservation up front costs no memory until its blocks are used,
    // and keeps a file's blocks next to each other, so that they go back in one call.
    void* NextMapping() noexcept {
        if (reserved_ == reservedEnd_) {
            reserved_ = reservedEnd_ = nullptr;
            const std::size_t wanted = std::min(
                kMaxReservedBlocks, (expected_ + kMappedBlockSlots - 1) / kMappedBlockSlots);
            if (wanted <= 1)
                return Map(1);
            reserved_ = static_cast<unsigned char*>(Map(wanted));
            if (reserved_ == nullptr)
                return Map(1);
            reservedEnd_ = reserved_ + wanted * kMappedBlockBytes;
        }
        void* block = reserved_;
        reserved_ += kMappedBlockBytes;
        return block;
    }

    // With no vertex alive every slot is free, so the blocks can go back as a whole; this is
    // what happens each time a workflow deletes the scene of the file it has finished.
    void ReleaseBlocks() noexcept {
        if (reserved_ != reservedEnd_)
            UnmapBlocks(reserved_, std::size_t(reservedEnd_ - reserved_) / kMappedBlockBytes);
        reserved_ = reservedEnd_ = nullptr;
        expected_ = 0;
        // Blocks taken one after another from a reservation lie next to each other, the newest
        // (first in the list) highest: each such run goes back in one call, which costs a
        // fraction of a call per block.
        unsigned char* run = nullptr;
        std::size_t runBlocks = 0;
        while (blocks_) {
            BlockHeader* next = blocks_->next;
            Unpoison(blocks_, blocks_->bytes);
            if (blocks_->bytes == kMappedBlockBytes) {
                auto* block = reinterpret_cast<unsigned char*>(blocks_);
                if (run != nullptr && block + kMappedBlockBytes != run) {
                    UnmapBlocks(run, runBlocks);
                    runBlocks = 0;
                }
                run = block;
                ++runBlocks;
            } else {
                ::operator delete(blocks_);
            }
            blocks_ = next;
        }
        if (run != nullptr)
            UnmapBlocks(run, runBlocks);
        freeList_ = nullptr;
        bump_ = nullptr;
        bumpEnd_ = nullptr;
        heldBytes_ = 0;
        nextBlockSlots_ = kFirstBlockSlots;
        ReleaseOwner();
    }

    BlockHeader* blocks_ = nullptr;
    unsigned char* reserved_ = nullptr;    // reserved blocks not yet handed out, up to
    unsigned char* reservedEnd_ = nullptr; // reservedEnd_

    std::size_t expected_ = 0; // vertices still expected (VertexPoolExpect)
    void* freeList_ = nullptr;
    unsigned char* bump_ = nullptr;
    unsigned char* bumpEnd_ = nullptr;
    std::size_t live_ = 0;
    std::size_t heldBytes_ = 0;
    std::size_t nextBlockSlots_ = kFirstBlockSlots;
    std::size_t mappings_ = 0;
#if TRELLION_VERTEX_POOL_CHECK_THREAD
    std::atomic<const void*> owner_{nullptr}; // the owning thread's threadMark
#endif
};

// Constant-initialised and trivially destroyed, so that it exists before any static constructor
// makes a vertex and still exists when static destructors at exit free theirs.
constinit Pool thePool;

Pool& ThePool() {
    return thePool;
}

} // namespace

void* VertexPoolAllocate() {
    return ThePool().Allocate();
}

void VertexPoolFree(void* slot) noexcept {
    if (slot) {
        ThePool().Free(slot);
    }
}

bool VertexPoolReleaseAll(std::size_t count) noexcept {
    return ThePool().ReleaseAll(count);
}

void VertexPoolExpect(std::size_t vertices) noexcept {
    ThePool().Expect(vertices);
}

std::size_t VertexPoolLiveCount() noexcept {
    return ThePool().Live();
}

std::size_t VertexPoolHeldBytes() noexcept {
    return ThePool().HeldBytes();
}

std::size_t VertexPoolMappingCount() noexcept {
    return ThePool().Mappings();
}

bool VertexPoolChecksThreads() noexcept {
    return TRELLION_VERTEX_POOL_CHECK_THREAD != 0;
}
