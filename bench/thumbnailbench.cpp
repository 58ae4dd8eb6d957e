// A file manager's thumbnail of a long ILDA file against reading the whole file, in one run.
//
// The input: the benchmarks' 2,000 format-0 frames of 2,000 points each (bench/bigildafile.h,
// 32,064,032 bytes), generated once as /tmp/trellion-thumbnailbench-2000x2000.ild. Each round
// runs, as child processes one after the other so that the machine's load falls on all alike:
//   info        `trellion-cli info --brief FILE`: the whole file loaded and summed up;
//   thumbnail   `trellion-cli thumbnail --size 256 FILE OUT.png`, as the thumbnailer runs it;
//   small       the thumbnail of a one-frame file, the cost of starting the program and
//               writing a picture, which no file can go below.
// Figures are medians over the rounds of the wall-clock time (what a file manager waits) and of
// the children's CPU time; ratios are each round's own figures divided, then the median:
// thumbnail_over_info, and small_over_thumbnail.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/benchclock.h"
#include "bench/bigildafile.h"
#include "bench/childprocess.h"
#include "bench/median.h"

namespace {

constexpr int kRounds = 9;
const char* const kInput = "/tmp/trellion-thumbnailbench-2000x2000.ild";
const char* const kSmallInput = "/tmp/trellion-thumbnailbench-small.ild";
const char* const kOutput = "/tmp/trellion-thumbnailbench.png";

struct Run {
    double wall = 0;
    double cpu = 0;
    bool ok = false;
};

double CpuNanoseconds(const rusage& usage) {
    return (double(usage.ru_utime.tv_sec) + double(usage.ru_stime.tv_sec)) * 1e9 +
           (double(usage.ru_utime.tv_usec) + double(usage.ru_stime.tv_usec)) * 1e3;
}

Run Time(const std::vector<std::string>& arguments) {
    rusage usage{};
    const Clock start = Now();
    const int status = RunQuietly(arguments, &usage);
    const Clock spent = Since(start);
    return {spent.wall, CpuNanoseconds(usage), status == 0};
}

bool MakeSmallFile() {
    IldaBuilder b;
    b.Header(0, 2, 0, 1);
    b.Point3D(-16000, 0, 0, 1);
    b.Point3D(16000, 0, 0, 0x8001);
    b.End(1);
    return bigilda::Write(kSmallInput, b);
}

void BM_ThumbnailAgainstInfo(benchmark::State& state) {
    if (!MakeBigIldaFile(kInput) || !MakeSmallFile()) {
        state.SkipWithError("cannot write the input files");
        return;
    }
    const std::string cli = TRELLION_CLI;
    std::vector<double> info, thumbnail, small, infoCpu, thumbnailCpu, smallCpu;
    std::vector<double> thumbnailOverInfo, smallOverThumbnail, thumbnailOverInfoCpu;
    bool ok = true;
    for (auto _ : state) {
        for (int round = 0; round < kRounds; ++round) {
            const Run i = Time({cli, "info", "--brief", kInput});
            ::unlink(kOutput);
            const Run t = Time({cli, "thumbnail", "--size", "256", kInput, kOutput});
            ok = ok && i.ok && t.ok && ::access(kOutput, F_OK) == 0;
            const Run s = Time({cli, "thumbnail", "--size", "256", kSmallInput, kOutput});
            ok = ok && s.ok;
            info.push_back(i.wall);
            thumbnail.push_back(t.wall);
            small.push_back(s.wall);
            infoCpu.push_back(i.cpu);
            thumbnailCpu.push_back(t.cpu);
            smallCpu.push_back(s.cpu);
            thumbnailOverInfo.push_back(t.wall / i.wall);
            thumbnailOverInfoCpu.push_back(t.cpu / i.cpu);
            smallOverThumbnail.push_back(s.wall / t.wall);
        }
    }
    ::unlink(kOutput);
    if (!ok) {
        state.SkipWithError("a run of trellion-cli failed");
        return;
    }
    state.counters["info_ms"] = Median(info) / 1e6;
    state.counters["thumbnail_ms"] = Median(thumbnail) / 1e6;
    state.counters["small_ms"] = Median(small) / 1e6;
    state.counters["thumbnail_over_info"] = Median(thumbnailOverInfo);
    state.counters["thumbnail_over_info_cpu"] = Median(thumbnailOverInfoCpu);
    state.counters["small_over_thumbnail"] = Median(smallOverThumbnail);
    std::printf("medians of %d rounds, wall clock (CPU time): info %.1f ms (%.1f), thumbnail "
                "%.1f ms (%.1f), one-frame thumbnail %.1f ms (%.1f); thumbnail / info %.3f "
                "(CPU %.3f), one-frame thumbnail / thumbnail %.2f\n",
                kRounds, Median(info) / 1e6, Median(infoCpu) / 1e6, Median(thumbnail) / 1e6,
                Median(thumbnailCpu) / 1e6, Median(small) / 1e6, Median(smallCpu) / 1e6,
                Median(thumbnailOverInfo), Median(thumbnailOverInfoCpu),
                Median(smallOverThumbnail));
}

} // namespace

BENCHMARK(BM_ThumbnailAgainstInfo)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK_MAIN();
