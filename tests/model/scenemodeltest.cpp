#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "model/cchannel.h"
#include "model/cframe.h"
#include "model/cpoly.h"
#include "model/cscene.h"
#include "model/cthing.h"
#include "model/cvector.h"
#include "model/geometry.h"
#include "model/vertexpool.h"
#include "settings/settings.h"

// Records the order in which heap objects are freed, so that the destruction order of the
// model's lists can be seen from outside. Allocation goes through malloc so that the record
// also works under the address sanitizer.
namespace {
constexpr int kMaxFreed = 4096;
void* freedObjects[kMaxFreed];
int freedCount = 0;
bool recordFrees = false;

void Record(void* p) {
    if (recordFrees && p && freedCount < kMaxFreed) {
        freedObjects[freedCount++] = p;
    }
}

void* Allocate(std::size_t size) {
    if (void* p = std::malloc(size ? size : 1)) {
        return p;
    }
    throw std::bad_alloc();
}
} // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void operator delete(void* p) noexcept {
    Record(p);
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    Record(p);
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

class SceneModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        FillAngleTables();
        freedCount = 0;
    }
    void TearDown() override { recordFrees = false; }

    // The freed objects of `wanted`, in the order they were freed.
    template <class T> static std::vector<T*> FreedAmong(const std::vector<T*>& wanted) {
        std::vector<T*> order;
        for (int i = 0; i < freedCount; ++i) {
            for (T* w : wanted) {
                if (freedObjects[i] == w) {
                    order.push_back(w);
                }
            }
        }
        return order;
    }
};

// Walks a list from its first element and checks indices 1..n, the back links, the owner's
// ends and that the count is the last index.
template <class T> void ExpectChain(T* first, T* last, int count, const std::vector<T*>& expected) {
    ASSERT_EQ(count, static_cast<int>(expected.size()));
    if (expected.empty()) {
        EXPECT_EQ(first, nullptr);
        EXPECT_EQ(last, nullptr);
        return;
    }
    EXPECT_EQ(first, expected.front());
    EXPECT_EQ(last, expected.back());
    T* element = first;
    T* previous = nullptr;
    for (size_t i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(element, expected[i]) << "position " << i;
        EXPECT_EQ(element->index, static_cast<int32_t>(i + 1));
        EXPECT_EQ(element->prev, previous);
        previous = element;
        element = element->next;
    }
    EXPECT_EQ(element, nullptr);
}

TEST_F(SceneModelTest, FramesAppendWithIndicesFromOne) {
    CChannel channel(DefaultSettings(), nullptr, nullptr);
    EXPECT_EQ(channel.FrameCount(), 0);
    EXPECT_EQ(channel.FirstFrame(), nullptr);
    EXPECT_EQ(channel.LastFrame(), nullptr);
    std::vector<CFrame*> frames;
    for (int i = 0; i < 3; ++i) {
        frames.push_back(channel.AddFrame());
        ASSERT_NE(frames.back(), nullptr);
        EXPECT_EQ(frames.back()->first_slot, &channel.first_frame);
        EXPECT_EQ(frames.back()->last_slot, &channel.last_frame);
    }
    ExpectChain(channel.FirstFrame(), channel.LastFrame(), channel.FrameCount(), frames);
    EXPECT_EQ(frames[2]->Index(), 3);
}

TEST_F(SceneModelTest, RemovingAFrameRenumbersTheRest) {
    struct Case {
        std::string name;
        int removed;
    };
    const std::vector<Case> cases = {{"first", 0}, {"middle", 1}, {"last", 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CChannel channel(DefaultSettings(), nullptr, nullptr);
        std::vector<CFrame*> frames = {channel.AddFrame(), channel.AddFrame(), channel.AddFrame()};
        delete frames[c.removed];
        frames.erase(frames.begin() + c.removed);
        ExpectChain(channel.FirstFrame(), channel.LastFrame(), channel.FrameCount(), frames);
        // The list still grows from its new end.
        frames.push_back(channel.AddFrame());
        ExpectChain(channel.FirstFrame(), channel.LastFrame(), channel.FrameCount(), frames);
    }
}

TEST_F(SceneModelTest, RemovingTheOnlyFrameEmptiesTheList) {
    CChannel channel(DefaultSettings(), nullptr, nullptr);
    delete channel.AddFrame();
    EXPECT_EQ(channel.FirstFrame(), nullptr);
    EXPECT_EQ(channel.LastFrame(), nullptr);
    EXPECT_EQ(channel.FrameCount(), 0);
    CFrame* again = channel.AddFrame();
    EXPECT_EQ(again->Index(), 1);
    EXPECT_EQ(channel.FirstFrame(), again);
}

TEST_F(SceneModelTest, EveryListKeepsTheChain) {
    CScene scene(DefaultSettings());
    std::vector<CChannel*> channels = {scene.AddChannel(), scene.AddChannel(), scene.AddChannel()};
    CFrame* frame = channels[0]->AddFrame();
    std::vector<CThing*> things = {frame->AddThing(), frame->AddThing(), frame->AddThing()};
    CThing* thing = things[0];
    std::vector<CPoly*> polys = {thing->AddPoly(), thing->AddPoly(), thing->AddPoly()};
    std::vector<CVector*> free = {thing->AddVertex(), thing->AddVertex(1, 2, 3, 0xFF, 1),
                                  thing->AddVertex()};
    CPoly* poly = polys[1];
    std::vector<CVector*> outline = {poly->AddVertex(0, 0, 0, 0, 0), poly->AddVertex(1, 0, 0, 0, 0),
                                     poly->AddVertex(0, 1, 0, 0, 0)};

    delete channels[1];
    channels.erase(channels.begin() + 1);
    delete things[1];
    things.erase(things.begin() + 1);
    delete polys[0];
    polys.erase(polys.begin());
    delete free[1];
    free.erase(free.begin() + 1);
    delete outline[2];
    outline.erase(outline.begin() + 2);

    ExpectChain(scene.first_channel, scene.last_channel, scene.ChannelCount(), channels);
    EXPECT_EQ(scene.FirstChannel(), channels[0]);
    ExpectChain(frame->first_thing, frame->last_thing, frame->ThingCount(), things);
    EXPECT_EQ(frame->FirstThing(), things[0]);
    ExpectChain(thing->first_poly, thing->last_poly, thing->PolyCount(), polys);
    EXPECT_EQ(thing->FirstPoly(), polys[0]);
    ExpectChain(thing->first_vertex, thing->last_vertex, thing->VertexCount(), free);
    EXPECT_EQ(thing->FirstVertex(), free[0]);
    ExpectChain(poly->first_vertex, poly->last_vertex, poly->VertexCount(), outline);
    EXPECT_EQ(poly->FirstVertex(), outline[0]);
    EXPECT_EQ(polys[0]->Index(), 1);
    EXPECT_EQ(free[1]->Index(), 2);
    EXPECT_EQ(channels[1]->Index(), 2);
}

TEST_F(SceneModelTest, VerticesKnowTheirListAndValues) {
    CThing thing(nullptr, nullptr);
    CVector* v = thing.AddVertex(1.5f, -2.0f, 3.0f, 0x00112233, 1);
    EXPECT_EQ(v->x, 1.5f);
    EXPECT_EQ(v->y, -2.0f);
    EXPECT_EQ(v->z, 3.0f);
    EXPECT_EQ(v->colour, 0x00112233u);
    EXPECT_EQ(v->blank, 1);
    EXPECT_EQ(v->reserved, 0u);
    EXPECT_EQ(v->marked, 0);
    EXPECT_EQ(v->clip_flags, 0u);
    EXPECT_EQ(v->thing, &thing);
    EXPECT_EQ(v->poly, nullptr);
    CVector* zero = thing.AddVertex();
    EXPECT_EQ(zero->x, 0.0f);
    EXPECT_EQ(zero->colour, 0u);
    EXPECT_EQ(zero->blank, 0);
    EXPECT_EQ(zero->thing, &thing);

    CPoly* poly = thing.AddPoly();
    EXPECT_EQ(poly->thing, &thing);
    CVector* corner = poly->AddVertex(4, 5, 6, 7, 0);
    EXPECT_EQ(corner->poly, poly);
    EXPECT_EQ(corner->thing, nullptr);
    EXPECT_EQ(corner->colour, 7u);
    EXPECT_EQ(thing.VertexCount(), 2);
    EXPECT_EQ(poly->VertexCount(), 1);
}

TEST_F(SceneModelTest, FrameStepsWrapAroundTheList) {
    CChannel channel(DefaultSettings(), nullptr, nullptr);
    CFrame* a = channel.AddFrame();
    CFrame* b = channel.AddFrame();
    CFrame* c = channel.AddFrame();
    CFrame alone(nullptr, nullptr);
    CChannel single(DefaultSettings(), nullptr, nullptr);
    CFrame* only = single.AddFrame();

    struct Case {
        std::string name;
        CFrame* got;
        CFrame* expected;
    };
    const std::vector<Case> cases = {
        {"next of first", a->Next(false), b},
        {"next of last without wrap", c->Next(false), nullptr},
        {"next of last with wrap", c->Next(true), a},
        {"next of middle with wrap", b->Next(true), c},
        {"prev of first without wrap", a->Prev(false), nullptr},
        {"prev of first with wrap", a->Prev(true), c},
        {"prev of last", c->Prev(true), b},
        {"only frame next", only->Next(true), only},
        {"only frame prev", only->Prev(true), only},
        {"only frame next without wrap", only->Next(false), nullptr},
        {"outside any list next", alone.Next(true), &alone},
        {"outside any list prev", alone.Prev(true), &alone},
        {"outside any list without wrap", alone.Next(false), nullptr},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(k.got, k.expected) << k.name;
    }
    EXPECT_EQ(alone.Index(), 1);
}

TEST_F(SceneModelTest, OtherListsWrapToTheirFirstElement) {
    CScene scene(DefaultSettings());
    CChannel* first = scene.AddChannel();
    CChannel* second = scene.AddChannel();
    EXPECT_EQ(second->Next(true), first);
    EXPECT_EQ(second->Next(false), nullptr);
    EXPECT_EQ(scene.Next(true), &scene);

    CThing thing(nullptr, nullptr);
    EXPECT_EQ(thing.Next(true), &thing);
    CPoly* poly = thing.AddPoly();
    EXPECT_EQ(poly->Next(true), poly);
    CVector* v1 = thing.AddVertex();
    CVector* v2 = thing.AddVertex();
    EXPECT_EQ(v2->Next(true), v1);
    EXPECT_EQ(v1->Next(true), v2);
}

TEST_F(SceneModelTest, DestructionGoesFromLastToFirst) {
    auto* channel = new CChannel(DefaultSettings(), nullptr, nullptr);
    std::vector<CFrame*> frames;
    std::vector<CThing*> things;
    for (int f = 0; f < 3; ++f) {
        frames.push_back(channel->AddFrame());
        for (int t = 0; t < 2; ++t) {
            things.push_back(frames.back()->AddThing());
        }
    }
    std::vector<CPoly*> polys = {things[0]->AddPoly(), things[0]->AddPoly(), things[0]->AddPoly()};
    CBeam* beams[] = {channel->AddBeam(), channel->AddBeam()};
    CFrame* spare = new CFrame(&channel->first_spare_frame, &channel->last_spare_frame);

    recordFrees = true;
    delete channel;
    recordFrees = false;

    EXPECT_EQ(FreedAmong(frames), (std::vector<CFrame*>{frames[2], frames[1], frames[0]}));
    EXPECT_EQ(FreedAmong(things), (std::vector<CThing*>{things[5], things[4], things[3], things[2],
                                                        things[1], things[0]}));
    EXPECT_EQ(FreedAmong(polys), (std::vector<CPoly*>{polys[2], polys[1], polys[0]}));
    EXPECT_EQ(FreedAmong(std::vector<CBeam*>{beams[0], beams[1]}),
              (std::vector<CBeam*>{beams[1], beams[0]}));
    // Frames, then beams, then spare frames.
    std::vector<void*> groups = {frames[0], beams[1], spare};
    EXPECT_EQ(FreedAmong(groups), groups);
}

TEST_F(SceneModelTest, FreeVerticesAreDestroyedFromTheLast) {
    CThing keeper(nullptr, nullptr);
    CVector* sentinel = keeper.AddVertex();
    auto* thing = new CThing(nullptr, nullptr);
    std::vector<CVector*> old = {thing->AddVertex(), thing->AddVertex(), thing->AddVertex()};
    recordFrees = true;
    delete thing;
    recordFrees = false;
    // The pool reuses freed slots last-freed first: a thing destroyed from its last vertex to
    // its first leaves the first vertex's slot on top, so new vertices come back in the old
    // order.
    CThing next(nullptr, nullptr);
    std::vector<CVector*> reused = {next.AddVertex(), next.AddVertex(), next.AddVertex()};
    EXPECT_EQ(reused, old);
    EXPECT_NE(sentinel, nullptr);
}

TEST_F(SceneModelTest, DestroyingASceneFreesEverythingBelowIt) {
    const size_t liveBefore = VertexPoolLiveCount();
    auto* scene = new CScene(DefaultSettings());
    CChannel* channel = scene->AddChannel();
    std::vector<void*> owned = {channel};
    for (int f = 0; f < 2; ++f) {
        CFrame* frame = channel->AddFrame();
        CThing* thing = frame->AddThing();
        owned.push_back(frame);
        owned.push_back(thing);
        for (int v = 0; v < 5; ++v) {
            ASSERT_NE(thing->AddVertex(float(v), 0, 0, 0, 0), nullptr);
        }
    }
    EXPECT_EQ(VertexPoolLiveCount(), liveBefore + 10);
    recordFrees = true;
    delete scene;
    recordFrees = false;
    EXPECT_EQ(VertexPoolLiveCount(), liveBefore);
    EXPECT_EQ(FreedAmong(owned).size(), owned.size());
}

// A scene whose vertices are all the pool holds lets them go with the pool's blocks; with any
// other vertex alive each goes on its own. Either way the vertices in free paths, polys, spare
// frames and the work frame are gone, an outside vertex keeps its values, and the frames,
// things and polys are destroyed in the same order.
TEST_F(SceneModelTest, ASceneGoingWholeTakesEveryVertexBelowItWithIt) {
    std::vector<std::vector<size_t>> orders;
    for (const bool outsider : {true, false}) {
        SCOPED_TRACE(outsider ? "another vertex alive" : "the scene's vertices only");
        const size_t liveBefore = VertexPoolLiveCount();
        std::unique_ptr<CThing> keeper;
        CVector* kept = nullptr;
        if (outsider) {
            keeper = std::make_unique<CThing>(nullptr, nullptr);
            kept = keeper->AddVertex(7, 8, 9, 10, 1);
        }
        auto* scene = new CScene(DefaultSettings());
        std::vector<void*> owned;
        size_t vertices = 0;
        for (int c = 0; c < 2; ++c) {
            CChannel* channel = scene->AddChannel();
            owned.push_back(channel);
            for (int f = 0; f < 3; ++f) {
                CFrame* frame = channel->AddFrame();
                CThing* thing = frame->AddThing();
                CPoly* poly = thing->AddPoly();
                owned.insert(owned.end(), {frame, thing, poly});
                for (int v = 0; v < 4 + f; ++v, vertices += 2) {
                    (void)thing->AddVertex(float(v), 0, 0, 0, 0);
                    (void)poly->AddVertex(0, float(v), 0, 0, 0);
                }
            }
            auto* spare = new CFrame(&channel->first_spare_frame, &channel->last_spare_frame);
            CThing* spareThing = spare->AddThing();
            CThing* workThing = channel->work_frame.AddThing();
            owned.insert(owned.end(), {spare, spareThing, workThing});
            (void)spareThing->AddVertex(1, 1, 1, 1, 0);
            (void)workThing->AddVertex(2, 2, 2, 2, 0);
            vertices += 2;
        }
        ASSERT_EQ(VertexPoolLiveCount(), liveBefore + vertices + (outsider ? 1 : 0));
        freedCount = 0;
        recordFrees = true;
        delete scene;
        recordFrees = false;
        EXPECT_EQ(VertexPoolLiveCount(), liveBefore + (outsider ? 1 : 0));
        std::vector<size_t> order;
        for (void* freed : FreedAmong(owned))
            order.push_back(size_t(std::find(owned.begin(), owned.end(), freed) - owned.begin()));
        EXPECT_EQ(order.size(), owned.size());
        orders.push_back(order);
        if (outsider) {
            EXPECT_EQ(keeper->VertexCount(), 1);
            EXPECT_EQ(kept->x, 7.0f);
            EXPECT_EQ(kept->colour, 10u);
        } else if (liveBefore == 0) {
            EXPECT_EQ(VertexPoolHeldBytes(), 0u);
        }
    }
    EXPECT_EQ(orders[0], orders[1]);
}

TEST_F(SceneModelTest, PoolReleasesAllAtOnceOnlyForTheExactLiveCount) {
    ASSERT_EQ(VertexPoolLiveCount(), 0u);
    EXPECT_FALSE(VertexPoolReleaseAll(0));
    CThing thing(nullptr, nullptr);
    for (int i = 0; i < 3; ++i)
        ASSERT_NE(thing.AddVertex(), nullptr);
    for (const size_t wrong : {size_t(0), size_t(2), size_t(4)})
        EXPECT_FALSE(VertexPoolReleaseAll(wrong)) << wrong;
    EXPECT_EQ(VertexPoolLiveCount(), 3u);
    EXPECT_TRUE(VertexPoolReleaseAll(3));
    EXPECT_EQ(VertexPoolLiveCount(), 0u);
    EXPECT_EQ(VertexPoolHeldBytes(), 0u);
    thing.first_vertex = thing.last_vertex = nullptr; // their memory is gone with the blocks
}

TEST_F(SceneModelTest, PoolGivesBlocksBackAndReusesSlots) {
    ASSERT_EQ(VertexPoolLiveCount(), 0u);
    EXPECT_EQ(VertexPoolHeldBytes(), 0u);
    {
        CThing thing(nullptr, nullptr);
        for (int i = 0; i < 50000; ++i) {
            ASSERT_NE(thing.AddVertex(), nullptr);
        }
        EXPECT_EQ(VertexPoolLiveCount(), 50000u);
        EXPECT_GE(VertexPoolHeldBytes(), 50000u * sizeof(CVector));
        EXPECT_LT(VertexPoolHeldBytes(), 50000u * sizeof(CVector) * 11 / 10 + (1u << 20));
    }
    EXPECT_EQ(VertexPoolHeldBytes(), 0u);

    CThing keeper(nullptr, nullptr);
    CVector* sentinel = keeper.AddVertex();
    size_t held = 0;
    for (int round = 0; round < 3; ++round) {
        CThing thing(nullptr, nullptr);
        for (int i = 0; i < 20000; ++i) {
            ASSERT_NE(thing.AddVertex(), nullptr);
        }
        if (round == 0) {
            held = VertexPoolHeldBytes();
        }
        EXPECT_EQ(VertexPoolHeldBytes(), held) << "round " << round;
    }
    EXPECT_NE(sentinel, nullptr);
}

TEST_F(SceneModelTest, CopyingAVertexNeverCopiesItsListMembership) {
    CThing thing(nullptr, nullptr);
    CVector* a = thing.AddVertex(1, 1, 1, 1, 0);
    CVector* b = thing.AddVertex(2, 2, 2, 2, 1);
    CVector* c = thing.AddVertex(3, 3, 3, 3, 0);
    {
        CVector copy = *b;
        EXPECT_EQ(copy.x, 2.0f);
        EXPECT_EQ(copy.colour, 2u);
        EXPECT_EQ(copy.blank, 1);
        EXPECT_EQ(copy.thing, nullptr);
        EXPECT_EQ(copy.next, nullptr);
        EXPECT_EQ(copy.first_slot, nullptr);
    } // destroying the copy must leave the list alone
    *a = *c;
    EXPECT_EQ(a->x, 3.0f);
    EXPECT_EQ(a->thing, &thing);
    ExpectChain(thing.first_vertex, thing.last_vertex, thing.VertexCount(),
                std::vector<CVector*>{a, b, c});
}

TEST_F(SceneModelTest, UpdatePlaneFromTheFirstThreeVertices) {
    struct P3 {
        float x, y, z;
    };
    struct Case {
        std::string name;
        std::vector<P3> vertices;
        P3 normal;
        float distance;
    };
    const std::vector<Case> cases = {
        {"plane z = 5", {{0, 0, 5}, {1, 0, 5}, {0, 1, 5}}, {0, 0, 1}, 5.0f},
        {"opposite winding", {{0, 0, 5}, {0, 1, 5}, {1, 0, 5}}, {0, 0, -1}, -5.0f},
        {"plane x = 2", {{2, 0, 0}, {2, 1, 0}, {2, 0, 1}}, {1, 0, 0}, 2.0f},
        {"large triangle", {{0, 0, -3}, {100, 0, -3}, {0, 40, -3}}, {0, 0, 1}, -3.0f},
        {"fourth vertex ignored", {{0, 0, 5}, {1, 0, 5}, {0, 1, 5}, {9, 9, 9}}, {0, 0, 1}, 5.0f},
        {"collinear", {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}}, {0, 0, 0}, 0.0f},
        {"two vertices", {{0, 0, 5}, {1, 0, 5}}, {0, 0, 0}, 0.0f},
        {"no vertices", {}, {0, 0, 0}, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CThing thing(nullptr, nullptr);
        CPoly* poly = thing.AddPoly();
        // A stale plane must be replaced, also by the zero plane.
        poly->normal.x = 7;
        poly->distance = 7;
        for (const P3& v : c.vertices) {
            ASSERT_NE(poly->AddVertex(v.x, v.y, v.z, 0, 0), nullptr);
        }
        poly->UpdatePlane();
        EXPECT_FLOAT_EQ(poly->normal.x, c.normal.x);
        EXPECT_FLOAT_EQ(poly->normal.y, c.normal.y);
        EXPECT_FLOAT_EQ(poly->normal.z, c.normal.z);
        EXPECT_FLOAT_EQ(poly->distance, c.distance);
    }
}

} // namespace
