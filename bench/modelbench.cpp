// Cost of the scene model for a large loaded file: a channel of 1,000 frames, each with one
// thing of 2,000 free vertices, as the ILDA reader builds it (a 100 MB ILDA file is
// 12.5 million points).
//
// Reported per vertex, measured in the same run:
//   append_ns, destroy_ns   time to append the vertices and to destroy the channel, on
//                           memory fresh from the system (the first file loaded);
//   append_warm_ns          time to append them again while another vertex stays alive, so
//                           the freed slots are reused (the next file loaded while a
//                           preview still holds a scene);
//   baseline_ns             time to write the same number of vertex records into an array
//                           allocated up front (the floor for touching that much memory);
//   append_ratio, destroy_ratio   the two times divided by the baseline;
//   heap_bytes              heap in use after building minus before (mallinfo2: arena bytes
//                           in use plus mmapped blocks), frames and things included;
//   heap_left_bytes         heap still in use after the channel is destroyed.

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <chrono>
#include <cstdint>
#include <memory>

#include "model/cchannel.h"
#include "model/geometry.h"

namespace {

constexpr int kFrames = 1000;
constexpr int kVerticesPerFrame = 2000;
constexpr double kVertices = double(kFrames) * kVerticesPerFrame;

using Clock = std::chrono::steady_clock;

double HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks) + double(info.hblkhd);
}

double Nanoseconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::nano>(to - from).count();
}

void BuildChannel(CChannel* channel) {
    for (int f = 0; f < kFrames; ++f) {
        CFrame* frame = channel->AddFrame();
        CThing* thing = frame->AddThing();
        for (int v = 0; v < kVerticesPerFrame; ++v) {
            const float x = float((v * 7) % 4096 - 2048);
            const float y = float((v * 13) % 4096 - 2048);
            CVector* vertex = thing->AddVertex(x, y, 0.0f, 0x00FF00u, uint8_t(v & 1));
            benchmark::DoNotOptimize(vertex);
        }
    }
}

double BaselineNanoseconds() {
    const auto start = Clock::now();
    std::unique_ptr<CVector[]> records(new CVector[size_t(kVertices)]);
    for (size_t i = 0; i < size_t(kVertices); ++i) {
        CVector& r = records[i];
        r.x = float((i * 7) % 4096);
        r.y = float((i * 13) % 4096);
        r.colour = 0x00FF00u;
        r.blank = uint8_t(i & 1);
    }
    benchmark::DoNotOptimize(records.get());
    benchmark::ClobberMemory();
    records.reset();
    return Nanoseconds(start, Clock::now());
}

void BM_ChannelOfTwoMillionVertices(benchmark::State& state) {
    FillAngleTables();
    double appendNs = 0.0;
    double destroyNs = 0.0;
    double appendWarmNs = 0.0;
    double baselineNs = 0.0;
    double heapBytes = 0.0;
    double heapLeft = 0.0;
    for (auto _ : state) {
        baselineNs += BaselineNanoseconds();

        const double heapBefore = HeapInUse();
        auto* channel = new CChannel(nullptr, nullptr);
        const auto start = Clock::now();
        BuildChannel(channel);
        const auto built = Clock::now();
        heapBytes += HeapInUse() - heapBefore;
        delete channel;
        const auto destroyed = Clock::now();
        heapLeft += HeapInUse() - heapBefore;

        appendNs += Nanoseconds(start, built);
        destroyNs += Nanoseconds(built, destroyed);

        CThing holder(nullptr, nullptr);
        CVector* sentinel = holder.AddVertex();
        benchmark::DoNotOptimize(sentinel);
        auto* first = new CChannel(nullptr, nullptr);
        BuildChannel(first);
        delete first;
        auto* second = new CChannel(nullptr, nullptr);
        const auto warmStart = Clock::now();
        BuildChannel(second);
        appendWarmNs += Nanoseconds(warmStart, Clock::now());
        delete second;
    }
    const double runs = double(state.iterations());
    const double perVertex = runs * kVertices;
    state.counters["append_ns"] = appendNs / perVertex;
    state.counters["append_warm_ns"] = appendWarmNs / perVertex;
    state.counters["destroy_ns"] = destroyNs / perVertex;
    state.counters["baseline_ns"] = baselineNs / perVertex;
    state.counters["append_ratio"] = appendNs / baselineNs;
    state.counters["destroy_ratio"] = destroyNs / baselineNs;
    state.counters["heap_bytes"] = heapBytes / perVertex;
    state.counters["heap_left_bytes"] = heapLeft / runs;
    state.counters["sizeof_CVector"] = double(sizeof(CVector));
}

} // namespace

BENCHMARK(BM_ChannelOfTwoMillionVertices)->Unit(benchmark::kMillisecond)->Iterations(5);

BENCHMARK_MAIN();
