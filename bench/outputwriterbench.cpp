// Saving a scene file with the output file's background writer (platform/backgroundwriter.h)
// on and off, in one run.
//
// The scene: the benchmarks' 2,000 x 2,000-point ILDA file (bench/bigildafile.h), loaded once;
// its scene file is 84,122,642 bytes, 81 buffers of the output file. Each round saves it twice
// into a target that does not exist, once with the writer and once without, the two taking
// turns at going first.
//
// Counters (medians over kRounds rounds): writer_ms and no_writer_ms, wall-clock time of the
// save; no_writer_over_writer, each round's time without divided by its time with (above 1:
// the writer helps); the same in CPU time of the whole process with _cpu.
#include <benchmark/benchmark.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/benchclock.h"
#include "bench/bigildafile.h"
#include "bench/median.h"
#include "bench/pairedrounds.h"
#include "ilda/cilda.h"
#include "model/cchannel.h"
#include "model/cscene.h"
#include "model/geometry.h"
#include "platform/outputfile.h"
#include "scene/scenefile.h"
#include "settings/settings.h"

namespace {

constexpr int kRounds = 9;
const char* const kInput = "/tmp/trellion-convertfloorbench-2000x2000.ild";
const char* const kOutputDir = "/tmp/trellion-outputwriterbench-out";
const std::string kOutput = std::string(kOutputDir) + "/scene.scn";

bool Save(CScene* scene, bool writer, Clock* spent) {
    ::unlink(kOutput.c_str());
    COutputFile::SetBackgroundWriting(writer);
    const Clock start = Now(CLOCK_PROCESS_CPUTIME_ID);
    const bool ok = SaveSceneFile(scene, kOutput);
    *spent = Since(start, CLOCK_PROCESS_CPUTIME_ID);
    COutputFile::SetBackgroundWriting(true);
    return ok;
}

void BM_SaveWithAndWithoutWriter(benchmark::State& state) {
    ::mkdir(kOutputDir, 0755);
    if (!MakeBigIldaFile(kInput)) {
        state.SkipWithError("cannot write the input file in /tmp");
        return;
    }
    FillAngleTables();
    auto scene = std::make_unique<CScene>(DefaultSettings());
    CChannel* channel = scene->AddChannel();
    bool ok = false;
    {
        CIlda reader;
        ok = reader.Load(kInput, channel, 1);
    }
    channel->type = 1;
    Clock warm;
    ok = ok && Save(scene.get(), true, &warm) && Save(scene.get(), false, &warm);
    PairedRounds rounds;
    for (auto _ : state) {
        for (int round = 0; round < kRounds && ok; ++round) {
            Clock on, off;
            for (const bool writer : {round % 2 == 0, round % 2 != 0})
                ok = Save(scene.get(), writer, writer ? &on : &off) && ok;
            rounds.Add(on, off);
        }
    }
    ::unlink(kOutput.c_str());
    if (!ok) {
        state.SkipWithError("a save failed");
        return;
    }
    rounds.Report(state, "writer", "no_writer");
    std::printf("medians of %d rounds: with the writer %.1f ms, without %.1f ms, without / with "
                "%.3f (round ratios %.3f to %.3f); CPU time with %.1f ms, without %.1f ms, "
                "without / with %.3f\n",
                kRounds, Median(rounds.withWall) / 1e6, Median(rounds.withoutWall) / 1e6,
                Median(rounds.ratioWall), rounds.LowestRatio(), rounds.HighestRatio(),
                Median(rounds.withCpu) / 1e6, Median(rounds.withoutCpu) / 1e6,
                Median(rounds.ratioCpu));
}

} // namespace

BENCHMARK(BM_SaveWithAndWithoutWriter)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

BENCHMARK_MAIN();
