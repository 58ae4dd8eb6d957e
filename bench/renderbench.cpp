// Cost of one preview draw with a full segment buffer, next to the cost of a plain memset of the
// same picture in the same run (the floor of any draw: Clear alone is one memset).
//
// Two frames of 4090 segments each: a star of chords across a circle filling most of the view,
// so every segment is long (the expensive case for the rasteriser), and the outline of the same
// circle, whose segments are a few pixels long like those of typical ILDA artwork.
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
#include "settings/settings.h"

namespace {

struct Fixture {
    std::unique_ptr<CScene> scene;
    CChannel* channel = nullptr;
    CFrame* frames[2] = {};

    Fixture() {
        FillAngleTables();
        scene = std::make_unique<CScene>(DefaultSettings());
        channel = scene->AddChannel();
        channel->colour_cycle_flag = false;
        // kMaxSegments + 1 points make exactly kMaxSegments segments; a step of 1367 of 4091
        // around the circle joins nearly opposite points.
        const int points = kMaxSegments + 1;
        const int steps[2] = {1367, 1};
        for (int pattern = 0; pattern < 2; ++pattern) {
            frames[pattern] = channel->AddFrame();
            CThing* thing = frames[pattern]->AddThing();
            for (int i = 0; i < points; ++i) {
                const double a = 2.0 * M_PI * ((i * steps[pattern]) % points) / points;
                const uint32_t colour = 0x0000FFu << ((i % 3) * 8);
                (void)thing->AddVertex(static_cast<float>(2000.0 * std::cos(a)),
                                       static_cast<float>(2000.0 * std::sin(a)), 0.0f, colour,
                                       i % 17 == 0 ? 1 : 0);
            }
        }
    }
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

// Arguments: width, height, pattern (0 long chords, 1 short outline segments).
void DrawArgs(benchmark::internal::Benchmark* b) {
    b->ArgNames({"w", "h", "short"});
    for (int pattern : {0, 1})
        b->Args({260, 280, pattern})->Args({1024, 1024, pattern});
}

void SizeArgs(benchmark::internal::Benchmark* b) {
    b->ArgNames({"w", "h"})->Args({260, 280})->Args({1024, 1024});
}

// fps: draws per second of CPU time; per_segment: CPU time per stored segment (shown with its
// unit, e.g. "150ns").
void SetCounters(benchmark::State& state, int32_t segments) {
    state.counters["fps"] = benchmark::Counter(1, benchmark::Counter::kIsIterationInvariantRate);
    if (segments > 0)
        state.counters["per_segment"] = benchmark::Counter(
            segments, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The preview's sequence: BeginDraw, Clear(0), RenderFrame, EndDraw(false).
void BM_Draw(benchmark::State& state) {
    Fixture& f = Shared();
    CFrame* frame = f.frames[state.range(2)];
    CScreen screen;
    screen.SetSize(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)));
    int32_t segments = 0;
    for (auto _ : state) {
        screen.BeginDraw();
        screen.Clear(0);
        screen.RenderFrame(nullptr, nullptr, nullptr, f.channel, frame, 0);
        segments = screen.segmentCount;
        screen.EndDraw(false);
        benchmark::DoNotOptimize(screen.bits);
        benchmark::ClobberMemory();
    }
    if (segments != kMaxSegments)
        state.SkipWithError("the frame did not fill the segment buffer");
    SetCounters(state, segments);
}
BENCHMARK(BM_Draw)->Apply(DrawArgs)->Unit(benchmark::kMicrosecond);

// Transform, clip and project only: the segment list is built but never rasterised.
void BM_RenderFrameOnly(benchmark::State& state) {
    Fixture& f = Shared();
    CScreen screen;
    screen.SetSize(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)));
    for (auto _ : state) {
        screen.BeginDraw();
        screen.RenderFrame(nullptr, nullptr, nullptr, f.channel, f.frames[0], 0);
        benchmark::DoNotOptimize(screen.segmentCount);
        benchmark::ClobberMemory();
    }
    SetCounters(state, kMaxSegments);
}
BENCHMARK(BM_RenderFrameOnly)->Apply(SizeArgs)->Unit(benchmark::kMicrosecond);

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
    SetCounters(state, 0);
}
BENCHMARK(BM_MemsetImage)->Apply(SizeArgs)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
