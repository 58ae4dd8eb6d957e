// The vertices of a batch of show files, made as the ILDA reader makes them, with and without
// the vertex pool's expectation hint (VertexPoolExpect), in one run.
//
// The batch: kFiles files the size of real show files, from a few hundred points to three
// hundred thousand (frames of 400 to 1,200 points), 1,960,400 points in all. Per file a thing
// gets one vertex a point, frame after frame; with the hint, each frame first tells the pool
// how many points the rest of the file holds, as the reader does for each section; then the
// thing is destroyed, which gives the pool's blocks back. Each round makes the whole batch
// twice, once with the hint and once without, the two taking turns at going first.
//
// Counters (medians over kRounds rounds): hint_ms and no_hint_ms, the batch's wall-clock time;
// no_hint_over_hint, each round's time without divided by its time with (above 1: the hint
// helps); the same in CPU time of the thread (user and system) with _cpu; mappings_hint and
// mappings_no_hint, the pool's mappings for one batch.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench/benchclock.h"
#include "bench/median.h"
#include "bench/pairedrounds.h"
#include "model/cthing.h"
#include "model/vertexpool.h"

namespace {

constexpr int kRounds = 25;

struct ShowFile {
    int frames;
    int points; // a frame
};
// 400 points to 300,000: a single logo, short effects, songs' worth of beams.
constexpr ShowFile kFiles[] = {
    {1, 400},    {12, 500},  {40, 600},   {100, 500}, {150, 800}, {250, 600},
    {200, 1000}, {300, 700}, {250, 1200}, {400, 750}, {500, 600}, {300, 1000},
};

// False when a vertex could not be made.
bool MakeBatch(bool hint) {
    for (const ShowFile& file : kFiles) {
        CThing thing(nullptr, nullptr);
        size_t left = size_t(file.frames) * size_t(file.points);
        for (int frame = 0; frame < file.frames; ++frame) {
            if (hint)
                VertexPoolExpect(left);
            for (int p = 0; p < file.points; ++p, --left) {
                const int n = frame * 7919 + p;
                if (thing.AddVertex(float((n * 37) % 65536 - 32768),
                                    float((n * 101) % 65536 - 32768), float((n % 512) * 8),
                                    uint32_t(n % 64), uint8_t(p % 40 == 0)) == nullptr)
                    return false;
            }
        }
    }
    return true;
}

void BM_ShowBatchHint(benchmark::State& state) {
    size_t points = 0;
    for (const ShowFile& file : kFiles)
        points += size_t(file.frames) * size_t(file.points);
    size_t mappings[2] = {};
    bool ok = true;
    for (const bool hint : {true, false}) {
        const size_t before = VertexPoolMappingCount();
        ok = MakeBatch(hint) && ok;
        mappings[hint] = VertexPoolMappingCount() - before;
    }
    PairedRounds rounds;
    for (auto _ : state) {
        for (int round = 0; round < kRounds && ok; ++round) {
            Clock with, without;
            for (const bool hint : {round % 2 == 0, round % 2 != 0}) {
                const Clock start = Now();
                ok = MakeBatch(hint) && ok;
                (hint ? with : without) = Since(start);
            }
            rounds.Add(with, without);
        }
    }
    if (!ok) {
        state.SkipWithError("a vertex could not be made");
        return;
    }
    rounds.Report(state, "hint", "no_hint");
    state.counters["mappings_hint"] = double(mappings[1]);
    state.counters["mappings_no_hint"] = double(mappings[0]);
    std::printf("%zu files, %zu points, medians of %d rounds: with the hint %.1f ms, without "
                "%.1f ms, without / with %.3f (round ratios %.3f to %.3f); CPU time with %.1f "
                "ms, without %.1f ms, without / with %.3f; mappings with %zu, without %zu\n",
                std::size(kFiles), points, kRounds, Median(rounds.withWall) / 1e6,
                Median(rounds.withoutWall) / 1e6, Median(rounds.ratioWall), rounds.LowestRatio(),
                rounds.HighestRatio(), Median(rounds.withCpu) / 1e6,
                Median(rounds.withoutCpu) / 1e6, Median(rounds.ratioCpu), mappings[1], mappings[0]);
}

} // namespace

BENCHMARK(BM_ShowBatchHint)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

BENCHMARK_MAIN();
