// Cost of the scene model for a large loaded file: a channel of 1,000 frames, each with one
// thing of 2,000 free vertices, as the ILDA reader builds it (a 100 MB ILDA file is
// 12.5 million points).
//
// Times are CPU time of the benchmark thread (page faults included, other processes on the
// shared machine not), per vertex, all measured in the same run:
//   append_ns         appending the vertices to a new channel, the vertex pool starting
//                     empty (the first file loaded);
//   append_warm_ns    the same while another vertex stays alive, so the pool reuses the
//                     slots the previous channel freed (a file loaded while a preview still
//                     holds a scene);
//   destroy_ns        destroying the channel;
//   floor_ns          constructing the same number of vertex records in place in an array
//                     that is already mapped: the cost of writing that much memory;
//   malloc_ns         allocating and then freeing the same number of vertex-sized objects
//                     one by one with the global allocator, warm (what the pool replaces);
//   append_ratio, append_warm_ratio, destroy_ratio   the times above divided by floor_ns;
//   heap_bytes        memory in use with the channel built minus before it: the C heap
//                     (mallinfo2: arena bytes in use plus mmapped blocks, frames and things
//                     included) plus the vertex pool's blocks (VertexPoolHeldBytes; its large
//                     blocks are its own mappings, which mallinfo2 cannot see). The pool's few
//                     small heap blocks are counted twice, so this is a slight upper bound;
//   malloc_heap_bytes the same for one global-allocator object of sizeof(CVector);
//   heap_left_bytes   heap still in use after the channel is destroyed.

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <time.h>

#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "model/cchannel.h"
#include "model/geometry.h"
#include "model/vertexpool.h"
#include "settings/settings.h"

namespace {

constexpr int kFrames = 1000;
constexpr int kVerticesPerFrame = 2000;
constexpr size_t kVertices = size_t(kFrames) * kVerticesPerFrame;

double Now() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e9 + double(t.tv_nsec);
}

double HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks) + double(info.hblkhd) + double(VertexPoolHeldBytes());
}

float PointX(size_t i) {
    return float(int((i * 7) % 4096) - 2048);
}

float PointY(size_t i) {
    return float(int((i * 13) % 4096) - 2048);
}

void BuildChannel(CChannel* channel) {
    size_t i = 0;
    for (int f = 0; f < kFrames; ++f) {
        CFrame* frame = channel->AddFrame();
        CThing* thing = frame->AddThing();
        for (int v = 0; v < kVerticesPerFrame; ++v, ++i) {
            CVector* vertex = thing->AddVertex(PointX(i), PointY(i), 0.0f, 0x00FF00u, i & 1);
            benchmark::DoNotOptimize(vertex);
        }
    }
}

// Constructs the records in place in `storage`, which the caller keeps mapped.
double FloorNanoseconds(std::vector<unsigned char>& storage) {
    const double start = Now();
    auto* records = reinterpret_cast<CVector*>(storage.data());
    for (size_t i = 0; i < kVertices; ++i) {
        CVector* r = ::new (records + i) CVector();
        r->x = PointX(i);
        r->y = PointY(i);
        r->colour = 0x00FF00u;
        r->blank = uint8_t(i & 1);
    }
    benchmark::DoNotOptimize(records);
    benchmark::ClobberMemory();
    const double end = Now();
    for (size_t i = 0; i < kVertices; ++i) {
        records[i].~CVector();
    }
    return end - start;
}

struct VertexSized {
    unsigned char bytes[sizeof(CVector)];
};

double MallocNanoseconds(std::vector<VertexSized*>& objects, double* heapBytes) {
    const double heapBefore = HeapInUse();
    const double start = Now();
    for (size_t i = 0; i < kVertices; ++i) {
        objects[i] = new VertexSized;
        objects[i]->bytes[0] = uint8_t(i);
    }
    const double allocated = Now();
    *heapBytes = (HeapInUse() - heapBefore) / double(kVertices);
    const double freeStart = Now();
    for (size_t i = kVertices; i-- > 0;) {
        delete objects[i];
    }
    return (allocated - start) + (Now() - freeStart);
}

void BM_ChannelOfTwoMillionVertices(benchmark::State& state) {
    FillAngleTables();
    std::vector<unsigned char> storage(kVertices * sizeof(CVector), 1);
    std::vector<VertexSized*> objects(kVertices);
    double heapIgnored = 0.0;
    MallocNanoseconds(objects, &heapIgnored); // warm the global allocator

    double appendNs = 0.0, appendWarmNs = 0.0, destroyNs = 0.0, floorNs = 0.0;
    double mallocNs = 0.0, mallocHeap = 0.0, heapBytes = 0.0, heapLeft = 0.0;
    for (auto _ : state) {
        floorNs += FloorNanoseconds(storage);
        double heapPerObject = 0.0;
        mallocNs += MallocNanoseconds(objects, &heapPerObject);
        mallocHeap += heapPerObject;

        const double heapBefore = HeapInUse();
        auto* channel = new CChannel(DefaultSettings(), nullptr, nullptr);
        const double start = Now();
        BuildChannel(channel);
        const double built = Now();
        heapBytes += HeapInUse() - heapBefore;
        delete channel;
        const double destroyed = Now();
        heapLeft += HeapInUse() - heapBefore;
        appendNs += built - start;
        destroyNs += destroyed - built;

        CThing holder(nullptr, nullptr);
        CVector* sentinel = holder.AddVertex();
        benchmark::DoNotOptimize(sentinel);
        auto* first = new CChannel(DefaultSettings(), nullptr, nullptr);
        BuildChannel(first);
        delete first;
        auto* second = new CChannel(DefaultSettings(), nullptr, nullptr);
        const double warmStart = Now();
        BuildChannel(second);
        appendWarmNs += Now() - warmStart;
        delete second;
    }
    const double runs = double(state.iterations());
    const double perVertex = runs * double(kVertices);
    state.counters["append_ns"] = appendNs / perVertex;
    state.counters["append_warm_ns"] = appendWarmNs / perVertex;
    state.counters["destroy_ns"] = destroyNs / perVertex;
    state.counters["floor_ns"] = floorNs / perVertex;
    state.counters["malloc_ns"] = mallocNs / perVertex;
    state.counters["append_ratio"] = appendNs / floorNs;
    state.counters["append_warm_ratio"] = appendWarmNs / floorNs;
    state.counters["destroy_ratio"] = destroyNs / floorNs;
    state.counters["heap_bytes"] = heapBytes / perVertex;
    state.counters["malloc_heap_bytes"] = mallocHeap / runs;
    state.counters["heap_left_bytes"] = heapLeft / runs;
}

} // namespace

BENCHMARK(BM_ChannelOfTwoMillionVertices)->Unit(benchmark::kMillisecond)->Iterations(5);

BENCHMARK_MAIN();
