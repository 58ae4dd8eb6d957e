#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <thread>
#include <vector>

#include "model/cthing.h"
#include "model/cvector.h"
#include "model/vertexpool.h"

#if defined(__SANITIZE_ADDRESS__)
#define VERTEX_POOL_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VERTEX_POOL_TEST_ASAN 1
#endif
#endif

namespace {

constexpr size_t kBlock = size_t(2) << 20;

// Makes `count` vertices in `thing` after telling the pool to expect `hint` of them; the
// mappings the pool made for them.
size_t MappingsFor(CThing& thing, size_t count, size_t hint) {
    const size_t before = VertexPoolMappingCount();
    VertexPoolExpect(hint);
    for (size_t i = 0; i < count; ++i) {
        if (thing.AddVertex(float(i), 0, 0, 0, 0) == nullptr)
            return 0;
    }
    return VertexPoolMappingCount() - before;
}

// A hint of the vertices to come has the pool reserve their blocks in one mapping, where
// vertices made without one map a block at a time; a hint too large still reserves once.
TEST(VertexPoolTest, TheExpectedVerticesGetTheirBlocksInOneMapping) {
#if !defined(__linux__)
    GTEST_SKIP() << "the pool maps no blocks of its own on this system";
#endif
    ASSERT_EQ(VertexPoolLiveCount(), 0u);
    // Past the first heap blocks, several 2 MiB blocks' worth.
    constexpr size_t kVertices = 6 * kBlock / sizeof(CVector);
    struct Row {
        const char* name;
        size_t hint;
        bool oneMapping;
    };
    const Row rows[] = {
        {"no hint", 0, false},
        {"the vertices made", kVertices, true},
        {"ten times the vertices made", 10 * kVertices, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CThing thing(nullptr, nullptr);
        const size_t mappings = MappingsFor(thing, kVertices, row.hint);
        if (row.oneMapping)
            EXPECT_EQ(mappings, 1u);
        else
            EXPECT_GE(mappings, 4u);
    }
    EXPECT_EQ(VertexPoolHeldBytes(), 0u);
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

// Whatever the hint, the vertices hold the blocks they fill and no more (a reservation's
// untouched blocks are not held), keep their values, and every block and the rest of the
// reservation go back with the last vertex.
TEST(VertexPoolTest, TheVerticesHoldTheBlocksTheyFillWhateverWasExpected) {
    ASSERT_EQ(VertexPoolLiveCount(), 0u);
    constexpr size_t kVertices = 6 * kBlock / sizeof(CVector);
    struct Row {
        const char* name;
        size_t expected;
    };
    const Row rows[] = {
        {"nothing expected", 0},
        {"exactly the vertices made", kVertices},
        {"ten times the vertices made", 10 * kVertices},
    };
    size_t filled = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<void*> pages; // of vertices, and of the reservation beyond the last
        {
            CThing thing(nullptr, nullptr);
            VertexPoolExpect(row.expected);
            for (size_t i = 0; i < kVertices; ++i)
                ASSERT_NE(thing.AddVertex(float(i % 4096), float(i / 4096), -1.0f,
                                          uint32_t(i * 2654435761u), uint8_t(i & 1)),
                          nullptr);
            if (filled == 0)
                filled = VertexPoolHeldBytes();
            EXPECT_EQ(VertexPoolHeldBytes(), filled);
            size_t i = 0;
            size_t wrong = 0;
            for (const CVector* v = thing.first_vertex; v != nullptr; v = v->next, ++i) {
                wrong += v->x != float(i % 4096) || v->y != float(i / 4096) || v->z != -1.0f ||
                         v->colour != uint32_t(i * 2654435761u) || v->blank != (i & 1);
                if (i == kVertices / 2 || i == kVertices - 1)
                    pages.push_back(PageOf(v));
            }
            EXPECT_EQ(i, kVertices);
            EXPECT_EQ(wrong, 0u);
#if defined(__linux__)
            if (row.expected > kVertices) {
                // Mapped blocks are 2 MiB-aligned; the one after the last vertex's is reserved
                // and never used.
                pages.push_back(reinterpret_cast<void*>(
                    (reinterpret_cast<uintptr_t>(thing.last_vertex) | (kBlock - 1)) + 1));
            }
#endif
        }
        EXPECT_EQ(VertexPoolLiveCount(), 0u);
        EXPECT_EQ(VertexPoolHeldBytes(), 0u);
        for (void* page : pages)
            EXPECT_FALSE(IsMapped(page)) << page;
    }
}

// The thread that made the vertices alive owns the pool: another thread making or freeing one
// meanwhile ends the process with a message, in the builds that check.
TEST(VertexPoolDeathTest, ASecondThreadUsingThePoolIsCaught) {
    if (!VertexPoolChecksThreads())
        GTEST_SKIP() << "release builds do not check the pool's thread";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            CThing keeper(nullptr, nullptr);
            (void)keeper.AddVertex();
            std::thread([] {
                CThing other(nullptr, nullptr);
                (void)other.AddVertex();
            }).join();
        },
        "vertex pool was used on a second thread");
    EXPECT_DEATH(
        {
            CThing keeper(nullptr, nullptr);
            (void)keeper.AddVertex();
            CVector* moved = keeper.AddVertex();
            std::thread([moved] { delete moved; }).join();
        },
        "vertex pool was used on a second thread");
}

// Once the last vertex is gone the pool may pass to another thread, and back.
TEST(VertexPoolTest, AnotherThreadMayTakeThePoolOnceItIsEmpty) {
    ASSERT_EQ(VertexPoolLiveCount(), 0u);
    std::thread([] {
        CThing thing(nullptr, nullptr);
        for (int i = 0; i < 100; ++i)
            ASSERT_NE(thing.AddVertex(), nullptr);
    }).join();
    EXPECT_EQ(VertexPoolLiveCount(), 0u);
    CThing thing(nullptr, nullptr);
    EXPECT_NE(thing.AddVertex(), nullptr);
}

#if VERTEX_POOL_TEST_ASAN
// With a vertex alive the pool keeps its block, so what follows touches the pool's own memory:
// a freed slot, and one not yet handed out.
TEST(VertexPoolDeathTest, AVertexUsedAfterItsDeleteIsReported) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            CThing keeper(nullptr, nullptr);
            (void)keeper.AddVertex();
            CVector* freed = keeper.AddVertex(1, 2, 3, 4, 0);
            delete freed;
            volatile float x = freed->x;
            (void)x;
        },
        "use-after-poison");
    EXPECT_DEATH(
        {
            CThing keeper(nullptr, nullptr);
            CVector* last = keeper.AddVertex(1, 2, 3, 4, 0);
            volatile uint32_t colour = (last + 1)->colour;
            (void)colour;
        },
        "use-after-poison");
}
#endif

} // namespace
