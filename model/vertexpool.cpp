#include "model/vertexpool.h"

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <new>

#include "model/cvector.h"

#if defined(__SANITIZE_ADDRESS__)
#define TRELLION_VERTEX_POOL 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TRELLION_VERTEX_POOL 0
#endif
#endif
#ifndef TRELLION_VERTEX_POOL
#define TRELLION_VERTEX_POOL 1
#endif

namespace {
constexpr std::size_t kSlotSize = sizeof(CVector);
static_assert(kSlotSize % alignof(CVector) == 0);
static_assert(kSlotSize >= sizeof(void*));
} // namespace

#if TRELLION_VERTEX_POOL

namespace {

// Blocks start at 64 slots so that a small scene costs little, and double up to a block just
// under 1 MiB including the allocator's own chunk header, so that a large block is one whole
// mapping with next to nothing wasted at its end.
constexpr std::size_t kFirstBlockSlots = 64;
constexpr std::size_t kBlockHeaderSize = 16;
constexpr std::size_t kMaxBlockSlots = ((std::size_t(1) << 20) - 64) / kSlotSize;

struct BlockHeader {
    BlockHeader* next;
    std::size_t bytes;
};
static_assert(sizeof(BlockHeader) <= kBlockHeaderSize);
static_assert(kBlockHeaderSize % alignof(CVector) == 0);

class Pool {
public:
    void* Allocate() {
        std::lock_guard lock(mutex_);
        void* slot;
        if (freeList_) {
            slot = freeList_;
            freeList_ = *static_cast<void**>(freeList_);
        } else {
            if (bump_ == bumpEnd_) {
                AddBlock();
            }
            slot = bump_;
            bump_ += kSlotSize;
        }
        ++live_;
        return slot;
    }

    void Free(void* slot) noexcept {
        std::lock_guard lock(mutex_);
        *static_cast<void**>(slot) = freeList_;
        freeList_ = slot;
        if (--live_ == 0) {
            ReleaseBlocks();
        }
    }

    std::size_t Live() noexcept {
        std::lock_guard lock(mutex_);
        return live_;
    }

    std::size_t HeldBytes() noexcept {
        std::lock_guard lock(mutex_);
        return heldBytes_;
    }

private:
    void AddBlock() {
        const std::size_t slots = std::min(kMaxBlockSlots, nextBlockSlots_);
        const std::size_t bytes = kBlockHeaderSize + slots * kSlotSize;
        auto* memory = static_cast<unsigned char*>(::operator new(bytes));
        auto* header = reinterpret_cast<BlockHeader*>(memory);
        header->next = blocks_;
        header->bytes = bytes;
        blocks_ = header;
        heldBytes_ += bytes;
        bump_ = memory + kBlockHeaderSize;
        bumpEnd_ = bump_ + slots * kSlotSize;
        nextBlockSlots_ = std::min(kMaxBlockSlots, slots * 2);
    }

    // With no vertex alive every slot is free, so the blocks can go back as a whole; this is
    // what happens each time a workflow deletes the scene of the file it has finished.
    void ReleaseBlocks() noexcept {
        while (blocks_) {
            BlockHeader* next = blocks_->next;
            ::operator delete(blocks_);
            blocks_ = next;
        }
        freeList_ = nullptr;
        bump_ = nullptr;
        bumpEnd_ = nullptr;
        heldBytes_ = 0;
        nextBlockSlots_ = kFirstBlockSlots;
    }

    std::mutex mutex_;
    BlockHeader* blocks_ = nullptr;
    void* freeList_ = nullptr;
    unsigned char* bump_ = nullptr;
    unsigned char* bumpEnd_ = nullptr;
    std::size_t live_ = 0;
    std::size_t heldBytes_ = 0;
    std::size_t nextBlockSlots_ = kFirstBlockSlots;
};

// Never destroyed, so that vertices freed by other static destructors at exit still find it.
Pool& ThePool() {
    static Pool* const pool = new Pool;
    return *pool;
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

std::size_t VertexPoolLiveCount() noexcept {
    return ThePool().Live();
}

std::size_t VertexPoolHeldBytes() noexcept {
    return ThePool().HeldBytes();
}

#else

namespace {
std::size_t sanitizedLive = 0;
std::mutex sanitizedMutex;
} // namespace

void* VertexPoolAllocate() {
    void* slot = ::operator new(kSlotSize);
    std::lock_guard lock(sanitizedMutex);
    ++sanitizedLive;
    return slot;
}

void VertexPoolFree(void* slot) noexcept {
    if (slot) {
        ::operator delete(slot);
        std::lock_guard lock(sanitizedMutex);
        --sanitizedLive;
    }
}

std::size_t VertexPoolLiveCount() noexcept {
    std::lock_guard lock(sanitizedMutex);
    return sanitizedLive;
}

std::size_t VertexPoolHeldBytes() noexcept {
    std::lock_guard lock(sanitizedMutex);
    return sanitizedLive * kSlotSize;
}

#endif
