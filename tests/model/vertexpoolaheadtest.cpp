#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "model/cthing.h"
#include "model/cvector.h"
#include "model/pagepopulator.h"
#include "model/vertexpool.h"

namespace {

constexpr size_t kBlock = size_t(2) << 20;
// Vertices that fill the pool's first heap blocks and then several of its 2 MiB blocks.
constexpr size_t kVertices = 6 * kBlock / sizeof(CVector);

// Whether this kernel populates memory on request (Linux 5.14 and later).
bool KernelPopulates() {
    void* probe = ::mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (probe == MAP_FAILED)
        return false;
    const bool works = ::madvise(probe, 4096, 23 /* MADV_POPULATE_WRITE */) == 0;
    ::munmap(probe, 4096);
    return works;
}

// Resident pages of [start, start + size), as the kernel reports them.
size_t ResidentPages(void* start, size_t size) {
    const size_t page = size_t(::sysconf(_SC_PAGESIZE));
    std::vector<unsigned char> resident((size + page - 1) / page);
    if (::mincore(start, size, resident.data()) != 0)
        return 0;
    size_t count = 0;
    for (const unsigned char r : resident)
        count += r & 1;
    return count;
}

// Waits until the helper has populated more than `before` ranges, for at most ten seconds.
bool PopulatedBeyond(size_t before) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (PagePopulator::Instance().PopulatedCount() <= before) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void* PageOf(const void* address) {
    const auto page = uintptr_t(::sysconf(_SC_PAGESIZE));
    return reinterpret_cast<void*>(reinterpret_cast<uintptr_t>(address) & ~(page - 1));
}

// Whether the page at `page` is mapped in this process at all.
bool IsMapped(void* page) {
    unsigned char resident = 0;
    return ::mincore(page, 1, &resident) == 0 || errno != ENOMEM;
}

struct Mapping {
    explicit Mapping(size_t bytes)
        : size(bytes), start(::mmap(nullptr, bytes, PROT_READ | PROT_WRITE,
                                    MAP_PRIVATE | MAP_ANONYMOUS, -1, 0)) {}
    ~Mapping() {
        if (start != MAP_FAILED)
            ::munmap(start, size);
    }
    size_t size;
    void* start;
};

TEST(PagePopulatorTest, FaultsInAQueuedRangeWithoutChangingIt) {
    if (!KernelPopulates())
        GTEST_SKIP() << "this kernel does not populate memory on request";
    PagePopulator& populator = PagePopulator::Instance();
    const Mapping written(kBlock);
    const Mapping untouched(kBlock);
    ASSERT_NE(written.start, MAP_FAILED);
    ASSERT_NE(untouched.start, MAP_FAILED);
    // A range its owner has begun writing keeps what was written.
    static_cast<uint8_t*>(written.start)[0] = 0xA5;
    for (const Mapping* m : {&written, &untouched}) {
        const size_t before = populator.PopulatedCount();
        ASSERT_TRUE(populator.Populate(m->start, m->size));
        ASSERT_TRUE(PopulatedBeyond(before));
        populator.Claim(m->start);
        EXPECT_EQ(ResidentPages(m->start, m->size), m->size / size_t(::sysconf(_SC_PAGESIZE)));
    }
    EXPECT_EQ(static_cast<uint8_t*>(written.start)[0], 0xA5);
    const auto* bytes = static_cast<const uint8_t*>(untouched.start);
    size_t nonZero = 0;
    for (size_t i = 0; i < untouched.size; ++i)
        nonZero += bytes[i] != 0;
    EXPECT_EQ(nonZero, 0u);
}

TEST(PagePopulatorTest, ClaimedCancelledAndDisabledRangesAreLeftToTheirWriter) {
    PagePopulator& populator = PagePopulator::Instance();
    std::vector<std::unique_ptr<Mapping>> ranges;
    for (int i = 0; i < 8; ++i) {
        ranges.push_back(std::make_unique<Mapping>(kBlock));
        ASSERT_NE(ranges.back()->start, MAP_FAILED);
    }
    // Whatever the helper has reached when they are claimed or cancelled, every range may be
    // written and unmapped at once afterwards.
    for (int i = 0; i < 4; ++i)
        (void)populator.Populate(ranges[i]->start, kBlock);
    for (int i = 0; i < 4; ++i) {
        populator.Claim(ranges[i]->start);
        static_cast<uint8_t*>(ranges[i]->start)[kBlock - 1] = uint8_t(i + 1);
    }
    for (int i = 4; i < 8; ++i)
        (void)populator.Populate(ranges[i]->start, kBlock);
    populator.Cancel();
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(static_cast<uint8_t*>(ranges[i]->start)[kBlock - 1], i < 4 ? i + 1 : 0) << i;
        ranges[i].reset();
    }

    populator.SetEnabled(false);
    const Mapping off(kBlock);
    EXPECT_FALSE(populator.Populate(off.start, off.size));
    populator.SetEnabled(true);
}

// The pool prepares blocks ahead only while the vertices it was told to expect need them:
// without a hint, or told exactly, a file's vertices hold the blocks they fill and no more;
// told too many, at most the blocks prepared ahead beyond them. Every byte goes back with the
// last vertex, and the vertices keep their values whichever thread faulted their pages in.
TEST(VertexPoolAheadTest, BlocksPreparedAheadStayWithinWhatWasExpected) {
    ASSERT_EQ(VertexPoolLiveCount(), 0u);
    struct Case {
        const char* name;
        bool populator;
        size_t expected;
        size_t extraBlocksAllowed;
    };
    // The first row, with nothing populated ahead, gives the blocks the vertices fill.
    const Case cases[] = {
        {"populator off", false, 0, 0},
        {"nothing expected", true, 0, 0},
        {"exactly the vertices made", true, kVertices, 0},
        {"ten times the vertices made", true, 10 * kVertices, 2},
    };
    size_t filled = 0;
    std::vector<void*> mappedPages; // pages of vertices, to be gone with the last vertex
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PagePopulator::Instance().SetEnabled(c.populator);
        {
            CThing thing(nullptr, nullptr);
            VertexPoolExpect(c.expected);
            for (size_t i = 0; i < kVertices; ++i)
                ASSERT_NE(thing.AddVertex(float(i % 4096), float(i / 4096), -1.0f,
                                          uint32_t(i * 2654435761u), uint8_t(i & 1)),
                          nullptr);
            const size_t held = VertexPoolHeldBytes();
            if (!c.populator)
                filled = held;
            EXPECT_GE(held, filled);
            EXPECT_LE(held, filled + c.extraBlocksAllowed * kBlock);
            size_t i = 0;
            size_t wrong = 0;
            for (const CVector* v = thing.first_vertex; v != nullptr; v = v->next, ++i) {
                wrong += v->x != float(i % 4096) || v->y != float(i / 4096) || v->z != -1.0f ||
                         v->colour != uint32_t(i * 2654435761u) || v->blank != (i & 1);
            }
            EXPECT_EQ(i, kVertices);
            EXPECT_EQ(wrong, 0u);
            // Past the first heap blocks every vertex lies in a mapped block.
            for (const CVector* v = thing.first_vertex; v != nullptr; v = v->next, --i) {
                if (i == kVertices / 2 || i == 1)
                    mappedPages.push_back(PageOf(v));
            }
        }
        EXPECT_EQ(VertexPoolLiveCount(), 0u);
        EXPECT_EQ(VertexPoolHeldBytes(), 0u);
        for (void* page : mappedPages)
            EXPECT_FALSE(IsMapped(page)) << page;
        mappedPages.clear();
    }
    PagePopulator::Instance().SetEnabled(true);
}

} // namespace
