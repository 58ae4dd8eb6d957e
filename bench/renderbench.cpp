// Cost of one preview draw with a full segment buffer, next to the cost of a plain memset of the
// same picture in the same run (the floor of any draw: Clear alone is one memset).
//
// The frame is a star of 4090 chords across a circle filling most of the view, so every segment
// is long (the expensive case for the rasteriser); ILDA frames have far shorter segments.
#include <cmath>
#include <cstring>
#include <memory>

#include <benchmark/benchmark.h>
#include <QImage>

#include "model/cchannel.h"
#include "model/cframe.h"
#include "model/cscene.h"
#include "model/geometry.h"
#include "render/cscreen.h"
#include "render/drawbuffers.h"

namespace {

struct Fixture {
    std::unique_ptr<CScene> scene;
    CChannel* channel = nullptr;
    CFrame* frame = nullptr;

    Fixture() {
        FillAngleTables();
        scene = std::make_unique<CScene>(nullptr, nullptr);
        channel = scene->AddChannel();
        channel->colour_cycle_flag = false;
        frame = channel->AddFrame();
        CThing* thing = frame->AddThing();
        // kMaxSegments + 1 points make exactly kMaxSegments segments; a step of 1367 of 4091
        // around the circle joins nearly opposite points.
        const int points = kMaxSegments + 1;
        for (int i = 0; i < points; ++i) {
            const double a = 2.0 * M_PI * ((i * 1367) % points) / points;
            const uint32_t colour = 0x0000FF << ((i % 3) * 8);
            (void)thing->AddVertex(static_cast<float>(2000.0 * std::cos(a)),
                                   static_cast<float>(2000.0 * std::sin(a)), 0.0f, colour,
                                   i % 17 == 0 ? 1 : 0);
        }
    }
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

void SetSizeArgs(benchmark::internal::Benchmark* b) {
    b->Args({260, 280})->Args({1024, 1024});
}

// The preview's sequence: BeginDraw, Clear(0), RenderFrame, EndDraw(false).
void BM_Draw(benchmark::State& state) {
    Fixture& f = Shared();
    CScreen screen;
    screen.SetSize(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)));
    int32_t segments = 0;
    for (auto _ : state) {
        screen.BeginDraw();
        screen.Clear(0);
        screen.RenderFrame(nullptr, nullptr, nullptr, f.channel, f.frame, 0);
        segments = screen.segmentCount;
        screen.EndDraw(false);
        benchmark::DoNotOptimize(screen.bits);
        benchmark::ClobberMemory();
    }
    if (segments != kMaxSegments)
        state.SkipWithError("the frame did not fill the segment buffer");
    state.counters["fps"] = benchmark::Counter(1, benchmark::Counter::kIsRate);
    state.counters["ns_per_segment"] =
        benchmark::Counter(1e9 * segments, benchmark::Counter::kIsIterationInvariantRate |
                                               benchmark::Counter::kInvert);
}
BENCHMARK(BM_Draw)->Apply(SetSizeArgs)->Unit(benchmark::kMicrosecond);

// Transform, clip and project only: the segment list is built but never rasterised.
void BM_RenderFrameOnly(benchmark::State& state) {
    Fixture& f = Shared();
    CScreen screen;
    screen.SetSize(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)));
    for (auto _ : state) {
        screen.BeginDraw();
        screen.RenderFrame(nullptr, nullptr, nullptr, f.channel, f.frame, 0);
        benchmark::DoNotOptimize(screen.segmentCount);
        benchmark::ClobberMemory();
    }
    state.counters["ns_per_segment"] =
        benchmark::Counter(1e9 * kMaxSegments, benchmark::Counter::kIsIterationInvariantRate |
                                                   benchmark::Counter::kInvert);
}
BENCHMARK(BM_RenderFrameOnly)->Apply(SetSizeArgs)->Unit(benchmark::kMicrosecond);

// The floor: one memset over the whole picture.
void BM_MemsetImage(benchmark::State& state) {
    QImage image(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                 QImage::Format_RGB32);
    uchar* bytes = image.bits();
    const size_t size = static_cast<size_t>(image.sizeInBytes());
    for (auto _ : state) {
        std::memset(bytes, 0, size);
        benchmark::DoNotOptimize(bytes);
        benchmark::ClobberMemory();
    }
    state.counters["fps"] = benchmark::Counter(1, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MemsetImage)->Apply(SetSizeArgs)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
