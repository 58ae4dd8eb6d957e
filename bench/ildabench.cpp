// Loading and saving a large ILDA file, against reading the same bytes.
//
// The file: 2,000 format-0 frames of 2,000 points each and a closing section (32,064,032
// bytes), generated once as /tmp/trellion-ildabench-2000x2000.ild. Times are CPU time of the
// benchmark thread (the kernel's copying for read and write included, other processes on the
// shared machine not), all measured in the same run:
//   read_MBps      reading the whole file with one read call from the page cache into a fresh
//                  buffer (what the reader's own read costs at the least);
//   load_Mpts      CIlda::Load into a fresh scene's channel, the read included, in millions of
//                  points a second;
//   load_ratio     the load's time over the read's;
//   save_MBps      CIlda::Save of the loaded channel to a file beside it, in MB (10^6 bytes) a
//                  second of the written file's size;
//   save_ratio     the save's time over the time to read as many bytes.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

#include "ilda/cilda.h"
#include "model/cscene.h"
#include "model/geometry.h"
#include "tests/ilda/ildabuilder.h"

namespace {

constexpr int kFrames = 2000;
constexpr int kPoints = 2000;
constexpr off_t kFileSize = off_t(kFrames) * (32 + 8 * kPoints) + 32;
const char* const kInput = "/tmp/trellion-ildabench-2000x2000.ild";
const char* const kOutput = "/tmp/trellion-ildabench-saved.ild";

double Now() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e9 + double(t.tv_nsec);
}

bool MakeInput() {
    struct stat info {};
    if (::stat(kInput, &info) == 0 && info.st_size == kFileSize)
        return true;
    IldaBuilder b;
    for (int f = 0; f < kFrames; ++f) {
        b.Header(0, kPoints, uint16_t(f), kFrames);
        for (int p = 0; p < kPoints; ++p) {
            const int i = f * kPoints + p;
            b.Point3D(int16_t((i * 7) % 65536 - 32768), int16_t((i * 13) % 65536 - 32768),
                      int16_t((i % 256) * 16), uint16_t((p % 50 == 0 ? 0x4000 : 0) | (i % 64)));
        }
    }
    b.End(kFrames);
    FILE* out = std::fopen(kInput, "wb");
    if (out == nullptr)
        return false;
    const bool written = std::fwrite(b.Data().data(), 1, b.Size(), out) == b.Size();
    return std::fclose(out) == 0 && written;
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

void BM_IldaLoadAndSave(benchmark::State& state) {
    if (!MakeInput()) {
        state.SkipWithError("cannot write the input file in /tmp");
        return;
    }
    FillAngleTables();
    size_t bytes = 0;
    ReadNanoseconds(kInput, &bytes); // into the page cache
    double readNs = 0, loadNs = 0, saveNs = 0;
    double points = 0, savedBytes = 0;
    for (auto _ : state) {
        readNs += ReadNanoseconds(kInput, &bytes);

        auto scene = std::make_unique<CScene>();
        CChannel* channel = scene->AddChannel();
        auto ilda = std::make_unique<CIlda>();
        const double loadStart = Now();
        const bool loaded = ilda->Load(kInput, channel, 1);
        loadNs += Now() - loadStart;
        const double saveStart = Now();
        const bool saved = ilda->Save(kOutput, channel, 1);
        saveNs += Now() - saveStart;
        if (!loaded || !saved) {
            state.SkipWithError("load or save failed");
            break;
        }
        for (CFrame* f = channel->FirstFrame(); f != nullptr; f = f->Next(false))
            points += f->FirstThing() ? f->FirstThing()->VertexCount() : 0;
        struct stat info {};
        ::stat(kOutput, &info);
        savedBytes += double(info.st_size);
        state.PauseTiming();
        ilda.reset();
        scene.reset();
        state.ResumeTiming();
    }
    const double n = double(state.iterations());
    state.counters["read_MBps"] = double(bytes) * n / readNs * 1e3;
    state.counters["load_Mpts"] = points / loadNs * 1e3;
    state.counters["load_ratio"] = loadNs / readNs;
    state.counters["save_MBps"] = savedBytes / saveNs * 1e3;
    state.counters["save_ratio"] = saveNs / (readNs * savedBytes / (double(bytes) * n));
    ::unlink(kOutput);
}

} // namespace

BENCHMARK(BM_IldaLoadAndSave)->Unit(benchmark::kMillisecond)->Iterations(5);

BENCHMARK_MAIN();
