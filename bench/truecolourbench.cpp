// Loading a true-colour ILDA file against loading the same points in format 0.
//
// The files: the benchmarks' 2,000 x 2,000-point format-0 file and its format-5 twin with a
// random colour per point (bench/bigildafile.h), generated once in /tmp. Each iteration loads
// both into fresh scenes with CIlda::Load, in turn, so both meet the same state of memory and
// page cache. Times are CPU time of the benchmark thread, all measured in the same run. On a
// shared machine single loads vary widely (other processes take the caches), so the figures
// are medians over the iterations, and the ratio is also given for the fastest load of each:
//   format0_ms         one load of the format-0 file;
//   format5_ms         one load of the format-5 file, each lit point's colour matched to the
//                      nearest palette entry;
//   format5_ratio      the format-5 load's time over the format-0 load's;
//   fastest_ratio      the fastest format-5 load's time over the fastest format-0 load's;
//   distinct_colours   the number of different colours among the format-5 file's points.
// Palette 0 ("Pangolin", the palette with the most distinct entries) is used for both.
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <time.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "bench/bigildafile.h"
#include "ilda/cilda.h"
#include "model/cscene.h"
#include "model/geometry.h"
#include "settings/settings.h"

namespace {

const char* const kFormat0 = "/tmp/trellion-ildabench-2000x2000.ild";
const char* const kFormat5 = "/tmp/trellion-ildabench-2000x2000-format5.ild";
constexpr int kPalette = 0;

double Now() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e9 + double(t.tv_nsec);
}

// Loads the file into a fresh scene; the number of points loaded, or -1 when the load failed.
long TimedLoad(const char* path, double* ns) {
    auto scene = std::make_unique<CScene>(DefaultSettings());
    CChannel* channel = scene->AddChannel();
    CIlda ilda;
    const double start = Now();
    const bool ok = ilda.Load(path, channel, kPalette);
    *ns += Now() - start;
    if (!ok)
        return -1;
    long points = 0;
    for (CFrame* f = channel->FirstFrame(); f != nullptr; f = f->next)
        points += f->FirstThing() ? f->FirstThing()->VertexCount() : 0;
    return points;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The different colours of the records of a format-5 file.
double DistinctColours(const char* path) {
    CIlda ilda;
    if (!ilda.ReadWholeFile(path))
        return 0;
    std::vector<bool> seen(size_t{1} << 24);
    double distinct = 0;
    const uint8_t* const end = ilda.Input().data() + ilda.Input().size();
    for (const uint8_t* section = ilda.Input().data(); end - section >= 32;) {
        const int count = section[24] << 8 | section[25];
        const uint8_t* record = section + 32;
        for (int i = 0; i < count && end - record >= 8; ++i, record += 8) {
            const size_t colour = size_t{record[5]} << 16 | size_t{record[6]} << 8 | record[7];
            distinct += seen[colour] ? 0 : 1;
            seen[colour] = true;
        }
        section = record;
    }
    return distinct;
}

void BM_TrueColourLoad(benchmark::State& state) {
    if (!MakeBigIldaFile(kFormat0) || !MakeBigTrueColourIldaFile(kFormat5)) {
        state.SkipWithError("cannot write the input files in /tmp");
        return;
    }
    FillAngleTables();
    // Freed memory stays mapped, so every load after the first builds its model in memory the
    // process already has, whichever file it reads.
    mallopt(M_MMAP_THRESHOLD, 256 << 20);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    double warmUp = 0;
    if (TimedLoad(kFormat0, &warmUp) < 0 || TimedLoad(kFormat5, &warmUp) < 0) {
        state.SkipWithError("load failed");
        return;
    }
    std::vector<double> format0Ns;
    std::vector<double> format5Ns;
    for (auto _ : state) {
        double ns0 = 0;
        double ns5 = 0;
        const long points0 = TimedLoad(kFormat0, &ns0);
        const long points5 = TimedLoad(kFormat5, &ns5);
        if (points0 != long{kBigIldaFrames} * kBigIldaPoints || points5 != points0) {
            state.SkipWithError("a load did not give every point");
            return;
        }
        format0Ns.push_back(ns0);
        format5Ns.push_back(ns5);
    }
    const double median0 = Median(format0Ns);
    const double median5 = Median(format5Ns);
    state.counters["format0_ms"] = median0 / 1e6;
    state.counters["format5_ms"] = median5 / 1e6;
    state.counters["format5_ratio"] = median5 / median0;
    state.counters["fastest_ratio"] = *std::min_element(format5Ns.begin(), format5Ns.end()) /
                                      *std::min_element(format0Ns.begin(), format0Ns.end());
    state.counters["distinct_colours"] = DistinctColours(kFormat5);
}

} // namespace

BENCHMARK(BM_TrueColourLoad)->Unit(benchmark::kMillisecond)->Iterations(15);

BENCHMARK_MAIN();
