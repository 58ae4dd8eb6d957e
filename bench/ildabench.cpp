// Loading and saving a large ILDA file, against reading the same bytes.
//
// The file: 2,000 format-0 frames of 2,000 points each and a closing section (32,064,032
// bytes, bench/bigildafile.h), generated once as /tmp/trellion-ildabench-2000x2000.ild. Times
// are CPU time of the benchmark thread (the kernel's copying and page faults included, other
// processes on the shared machine not), all measured in the same run:
//   read_MBps        reading the whole file with one read call from the page cache into a
//                    buffer of memory the process already has mapped (the least the reader's
//                    own read can cost);
//   load_Mpts        CIlda::Load into a fresh scene's channel, the read included, in millions
//                    of points a second, while the memory of a scene just deleted is still
//                    mapped (every file of a batch after the first);
//   load_ratio       that load's time over the read's;
//   load_cold_Mpts,  the same for a load into memory the process must first obtain from the
//   load_cold_ratio  system (freed memory handed back with malloc_trim first: the first file
//                    of a session). The 4 million vertices (about 416 MB) then cost a page
//                    fault per 4 KiB, which on a virtual machine can outweigh everything else;
//   model_ratio      the warm load's time over the read's plus the time to append the same
//                    vertices, also into warm memory, straight through CThing::AddVertex: how
//                    much the parsing adds to what reading the file and growing the model
//                    cost anyway;
//   save_MBps        CIlda::Save of the loaded channel to a file beside it, in MB (10^6
//                    bytes) a second of the written file's size;
//   save_ratio       the save's time over the time to read as many bytes.
//
// And the commands of trellion-cli on the same file, each a child process run one after the
// other in every round (CPU time is the child's user and system time, wall the time to its exit;
// medians over the rounds of each round's own ratio):
//   check_over_info       `trellion-cli check FILE` over `trellion-cli info FILE` in CPU time,
//   check_over_info_wall  the same in wall-clock time; check_ms and info_ms their medians.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/bigildafile.h"
#include "bench/childprocess.h"
#include "bench/median.h"
#include "ilda/cilda.h"
#include "model/cscene.h"
#include "model/geometry.h"
#include "settings/settings.h"

namespace {

const char* const kInput = "/tmp/trellion-ildabench-2000x2000.ild";
const char* const kOutput = "/tmp/trellion-ildabench-saved.ild";

double Now() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e9 + double(t.tv_nsec);
}

bool MakeInput() {
    return MakeBigIldaFile(kInput);
}

double ReadNanoseconds(const char* path, size_t* bytes) {
    const double start = Now();
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    struct stat info {};
    ::fstat(fd, &info);
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[size_t(info.st_size)]);
    const ssize_t got = ::read(fd, buffer.get(), size_t(info.st_size));
    ::close(fd);
    benchmark::DoNotOptimize(buffer.get());
    benchmark::ClobberMemory();
    const double end = Now();
    *bytes = got > 0 ? size_t(got) : 0;
    return end - start;
}

// Appends the points of the input straight to a fresh channel, as many frames and vertices as
// the reader makes, without parsing.
double AppendNanoseconds() {
    auto scene = std::make_unique<CScene>(DefaultSettings());
    CChannel* channel = scene->AddChannel();
    const double start = Now();
    for (int f = 0; f < kBigIldaFrames; ++f) {
        CThing* thing = channel->AddFrame()->AddThing();
        for (int p = 0; p < kBigIldaPoints; ++p) {
            CVector* v = thing->AddVertex(float(p), float(f), 0.0f, 0x00FF00u, uint8_t(p & 1));
            benchmark::DoNotOptimize(v);
        }
    }
    const double end = Now();
    return end - start;
}

struct Loaded {
    std::unique_ptr<CScene> scene = std::make_unique<CScene>(DefaultSettings());
    CChannel* channel = scene->AddChannel();
    CIlda ilda;
};

// Loads the input into a fresh scene; false when the load failed.
bool TimedLoad(Loaded& loaded, double* ns) {
    const double start = Now();
    const bool ok = loaded.ilda.Load(kInput, loaded.channel, 1);
    *ns += Now() - start;
    return ok;
}

void BM_IldaLoadAndSave(benchmark::State& state) {
    if (!MakeInput()) {
        state.SkipWithError("cannot write the input file in /tmp");
        return;
    }
    FillAngleTables();
    // Freed memory stays mapped until malloc_trim hands it back, so "warm" and "cold" below are
    // what they say and not whatever the allocator's adaptive thresholds make of them.
    mallopt(M_MMAP_THRESHOLD, 256 << 20);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    size_t bytes = 0;
    ReadNanoseconds(kInput, &bytes); // into the page cache
    double readNs = 0, appendNs = 0, coldNs = 0, loadNs = 0, saveNs = 0;
    double points = 0, savedBytes = 0;
    for (auto _ : state) {
        readNs += ReadNanoseconds(kInput, &bytes);

        malloc_trim(0);
        auto cold = std::make_unique<Loaded>();
        const bool coldOk = TimedLoad(*cold, &coldNs);
        cold.reset();
        appendNs += AppendNanoseconds();

        auto warm = std::make_unique<Loaded>();
        const bool loaded = TimedLoad(*warm, &loadNs);
        const double saveStart = Now();
        const bool saved = warm->ilda.Save(kOutput, warm->channel, 1);
        saveNs += Now() - saveStart;
        if (!coldOk || !loaded || !saved) {
            state.SkipWithError("load or save failed");
            break;
        }
        for (CFrame* f = warm->channel->FirstFrame(); f != nullptr; f = f->Next(false))
            points += f->FirstThing() ? f->FirstThing()->VertexCount() : 0;
        struct stat info {};
        ::stat(kOutput, &info);
        savedBytes += double(info.st_size);
        warm.reset();
    }
    const double n = double(state.iterations());
    state.counters["read_MBps"] = double(bytes) * n / readNs * 1e3;
    state.counters["load_Mpts"] = points / loadNs * 1e3;
    state.counters["load_ratio"] = loadNs / readNs;
    state.counters["load_cold_Mpts"] = points / coldNs * 1e3;
    state.counters["load_cold_ratio"] = coldNs / readNs;
    state.counters["model_ratio"] = loadNs / (readNs + appendNs);
    state.counters["save_MBps"] = savedBytes / saveNs * 1e3;
    state.counters["save_ratio"] = saveNs / (readNs * savedBytes / (double(bytes) * n));
    ::unlink(kOutput);
}

struct CommandTime {
    double cpuMs = 0;
    double wallMs = 0;
    bool ok = false;
};

CommandTime TimeCommand(const char* command) {
    struct rusage usage {};
    const auto start = std::chrono::steady_clock::now();
    const int status = RunQuietly({TRELLION_CLI, command, kInput}, &usage);
    const auto wall = std::chrono::steady_clock::now() - start;
    CommandTime t;
    t.ok = status == 0;
    t.cpuMs = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
              double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    t.wallMs = std::chrono::duration<double, std::milli>(wall).count();
    return t;
}

void BM_CheckAgainstInfo(benchmark::State& state) {
    if (!MakeInput()) {
        state.SkipWithError("cannot write the input file in /tmp");
        return;
    }
    size_t bytes = 0;
    ReadNanoseconds(kInput, &bytes); // into the page cache
    std::vector<double> cpuRatios, wallRatios, checkMs, infoMs;
    for (auto _ : state) {
        const CommandTime check = TimeCommand("check");
        const CommandTime info = TimeCommand("info");
        if (!check.ok || !info.ok) {
            state.SkipWithError("trellion-cli check or info failed on the input");
            return;
        }
        cpuRatios.push_back(check.cpuMs / info.cpuMs);
        wallRatios.push_back(check.wallMs / info.wallMs);
        checkMs.push_back(check.wallMs);
        infoMs.push_back(info.wallMs);
    }
    state.counters["check_over_info"] = Median(cpuRatios);
    state.counters["check_over_info_wall"] = Median(wallRatios);
    state.counters["check_ms"] = Median(checkMs);
    state.counters["info_ms"] = Median(infoMs);
}

} // namespace

BENCHMARK(BM_IldaLoadAndSave)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_CheckAgainstInfo)->Unit(benchmark::kMillisecond)->Iterations(7);

BENCHMARK_MAIN();
