// Converting a batch of show files, as the window's batch and `trellion-cli convert` do, with
// the vertex pool's page-populating thread (model/pagepopulator.h) on and off, in one run.
//
// The batch: kFiles format-0 files the size of real show files, from a few hundred points to
// three hundred thousand (frames of 400 to 1,200 points), 1,960,400 points in all, written
// once under /tmp/trellion-showbatchbench/. Each round converts the whole batch twice, once
// with the helper thread on and once off, the two taking turns at going first: per file a
// fresh scene and channel, CIlda::Load (the file's bytes then let go), channel type 1,
// SaveSceneFile into a target that does not exist, the reader and the scene destroyed.
//
// Counters (medians over kRounds rounds): on_ms and off_ms, the batch's wall-clock time;
// off_over_on, each round's off time divided by its on time (above 1: the thread helps);
// the same in CPU time of the whole process (every thread's user and system time) with _cpu.
#include <benchmark/benchmark.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/benchclock.h"
#include "bench/median.h"
#include "ilda/cilda.h"
#include "model/cchannel.h"
#include "model/cscene.h"
#include "model/geometry.h"
#include "model/pagepopulator.h"
#include "scene/scenefile.h"
#include "tests/ilda/ildabuilder.h"

namespace {

constexpr int kRounds = 25;
const std::string kDir = "/tmp/trellion-showbatchbench";
const std::string kOutputDir = kDir + "/out";

struct ShowFile {
    int frames;
    int points; // a frame
};
// 400 points to 300,000: a single logo, short effects, songs' worth of beams.
constexpr ShowFile kFiles[] = {
    {1, 400},    {12, 500},  {40, 600},   {100, 500}, {150, 800}, {250, 600},
    {200, 1000}, {300, 700}, {250, 1200}, {400, 750}, {500, 600}, {300, 1000},
};
constexpr int kFileCount = int(sizeof kFiles / sizeof kFiles[0]);

std::string InputPath(int i) {
    const ShowFile& f = kFiles[i];
    return kDir + "/show" + std::to_string(i) + "-" + std::to_string(f.frames) + "x" +
           std::to_string(f.points) + ".ild";
}

std::string OutputPath(int i) {
    return kOutputDir + "/show" + std::to_string(i) + ".scn";
}

// Writes file i unless it is there; the points trace figures across the whole range, every
// 40th blanked, the colours running through the palette.
bool MakeShowFile(int i) {
    const std::string path = InputPath(i);
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0)
        return true;
    const ShowFile& f = kFiles[i];
    IldaBuilder b;
    for (int frame = 0; frame < f.frames; ++frame) {
        b.Header(0, uint16_t(f.points), uint16_t(frame), uint16_t(f.frames));
        for (int p = 0; p < f.points; ++p) {
            const int n = frame * 7919 + p;
            b.Point3D(int16_t((n * 37) % 65536 - 32768), int16_t((n * 101) % 65536 - 32768),
                      int16_t((n % 512) * 8), uint16_t((p % 40 == 0 ? 0x4000 : 0) | (n % 64)));
        }
    }
    b.End(uint16_t(f.frames));
    const std::string partial = path + ".partial";
    FILE* out = std::fopen(partial.c_str(), "wb");
    if (out == nullptr)
        return false;
    const bool written = std::fwrite(b.Data().data(), 1, b.Size(), out) == b.Size();
    return std::fclose(out) == 0 && written && std::rename(partial.c_str(), path.c_str()) == 0;
}

bool ConvertOne(int i) {
    ::unlink(OutputPath(i).c_str());
    auto scene = std::make_unique<CScene>();
    CChannel* channel = scene->AddChannel();
    auto reader = std::make_unique<CIlda>();
    bool ok = reader->Load(InputPath(i), channel, 1);
    reader->ReleaseInput();
    channel->type = 1;
    ok = SaveSceneFile(scene.get(), OutputPath(i)) && ok;
    reader.reset();
    scene.reset();
    return ok;
}

bool ConvertBatch(bool populator, Clock* spent) {
    PagePopulator::Instance().SetEnabled(populator);
    bool ok = true;
    const Clock start = Now(CLOCK_PROCESS_CPUTIME_ID);
    for (int i = 0; i < kFileCount; ++i)
        ok = ConvertOne(i) && ok;
    *spent = Since(start, CLOCK_PROCESS_CPUTIME_ID);
    PagePopulator::Instance().SetEnabled(true);
    return ok;
}

void BM_ShowBatchPopulator(benchmark::State& state) {
    ::mkdir(kDir.c_str(), 0755);
    ::mkdir(kOutputDir.c_str(), 0755);
    bool ok = true;
    long long points = 0;
    for (int i = 0; i < kFileCount; ++i) {
        ok = MakeShowFile(i) && ok;
        points += (long long)kFiles[i].frames * kFiles[i].points;
    }
    if (!ok) {
        state.SkipWithError("cannot write the show files in /tmp");
        return;
    }
    FillAngleTables();
    Clock warm;
    ok = ConvertBatch(true, &warm) && ConvertBatch(false, &warm);
    std::vector<double> onWall, offWall, onCpu, offCpu, ratioWall, ratioCpu;
    for (auto _ : state) {
        for (int round = 0; round < kRounds && ok; ++round) {
            Clock on, off;
            if (round % 2 == 0)
                ok = ConvertBatch(true, &on) && ConvertBatch(false, &off);
            else
                ok = ConvertBatch(false, &off) && ConvertBatch(true, &on);
            onWall.push_back(on.wall);
            offWall.push_back(off.wall);
            onCpu.push_back(on.cpu);
            offCpu.push_back(off.cpu);
            ratioWall.push_back(off.wall / on.wall);
            ratioCpu.push_back(off.cpu / on.cpu);
        }
    }
    if (!ok) {
        state.SkipWithError("a conversion failed");
        return;
    }
    state.counters["on_ms"] = Median(onWall) / 1e6;
    state.counters["off_ms"] = Median(offWall) / 1e6;
    state.counters["off_over_on"] = Median(ratioWall);
    state.counters["on_cpu_ms"] = Median(onCpu) / 1e6;
    state.counters["off_cpu_ms"] = Median(offCpu) / 1e6;
    state.counters["off_over_on_cpu"] = Median(ratioCpu);
    std::printf("%d files, %lld points, medians of %d rounds: helper thread on %.1f ms, off %.1f "
                "ms, off / on %.3f (round ratios %.3f to %.3f); CPU time on %.1f ms, off %.1f ms, "
                "off / on %.3f\n",
                kFileCount, points, kRounds, Median(onWall) / 1e6, Median(offWall) / 1e6,
                Median(ratioWall), *std::min_element(ratioWall.begin(), ratioWall.end()),
                *std::max_element(ratioWall.begin(), ratioWall.end()), Median(onCpu) / 1e6,
                Median(offCpu) / 1e6, Median(ratioCpu));
    for (int i = 0; i < kFileCount; ++i)
        ::unlink(OutputPath(i).c_str());
}

} // namespace

BENCHMARK(BM_ShowBatchPopulator)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

BENCHMARK_MAIN();
