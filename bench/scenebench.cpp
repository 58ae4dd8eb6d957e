// Writing scene files, and the whole conversion of one ILDA file, against the bare I/O of the
// same bytes.
//
// The input: 2,000 format-0 frames of 2,000 points each and a closing section (32,064,032
// bytes), generated once as /tmp/trellion-scenebench-2000x2000.ild. Its scene file is
// 269 + 373 + 2,000 x (61 + 21 x 2,000) = 84,122,642 bytes. Each iteration measures, one after
// the other so that the machine's load falls on all alike:
//   write floor   creating a temporary file, writing the scene file's size in 1 MiB blocks,
//                 closing it and renaming it over the target (what COutputFile does, without
//                 anything to format);
//   save          SaveSceneFile of the loaded scene;
//   read floor    reading the input with one read call from the page cache;
//   convert       what the batch does per file: a fresh scene and channel, CIlda::Load,
//                 channel type 1, SaveSceneFile (the scene's destruction is timed apart).
// Counters (wall-clock time; *_cpu the same on the thread's CPU time):
//   save_MBps        output MB (10^6 bytes) a second of the save;
//   floor_MBps       the same for the write floor;
//   save_ratio       save time / write floor time;
//   convert_ratio    convert time / (read floor + write floor) time;
//   load_ms          the CIlda::Load part of convert;
//   destroy_ms       destroying the converted scene.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/benchclock.h"
#include "bench/bigildafile.h"
#include "bench/iofloor.h"
#include "ilda/cilda.h"
#include "model/cchannel.h"
#include "model/cscene.h"
#include "model/geometry.h"
#include "scene/scenefile.h"
#include "settings/settings.h"

namespace {

constexpr off_t kInputSize = kBigIldaFileSize;
constexpr size_t kSceneSize =
    269 + 373 + size_t(kBigIldaFrames) * (61 + 21 * size_t(kBigIldaPoints));
const char* const kInput = "/tmp/trellion-scenebench-2000x2000.ild";
const char* const kOutput = "/tmp/trellion-scenebench-out.scn";
const char* const kFloorOutput = "/tmp/trellion-scenebench-floor.bin";

bool MakeInput() {
    return MakeBigIldaFile(kInput);
}

bool WriteFloor(size_t size, const std::vector<uint8_t>& block) {
    return WriteFileFloor(kFloorOutput, size, block);
}

bool ReadFloor() {
    return ReadFileFloor(kInput, size_t(kInputSize));
}

off_t SizeOf(const char* path) {
    struct stat info {};
    return ::stat(path, &info) == 0 ? info.st_size : -1;
}

void BM_SceneSaveAndConvert(benchmark::State& state) {
    if (!MakeInput()) {
        state.SkipWithError("cannot write the input file in /tmp");
        return;
    }
    FillAngleTables();
    auto loaded = std::make_unique<CScene>(DefaultSettings());
    CChannel* channel = loaded->AddChannel();
    {
        CIlda reader;
        if (!reader.Load(kInput, channel, 1)) {
            state.SkipWithError("cannot load the input");
            return;
        }
    }
    channel->type = 1;
    const std::vector<uint8_t> block(1 << 20, 0x5A);

    Clock writeFloor, save, readFloor, convert, load, destroy;
    bool ok = ReadFloor(); // into the page cache
    for (auto _ : state) {
        Clock start = Now();
        ok = WriteFloor(kSceneSize, block) && ok;
        Add(writeFloor, start);

        start = Now();
        ok = SaveSceneFile(loaded.get(), kOutput) && ok;
        Add(save, start);
        ok = SizeOf(kOutput) == off_t(kSceneSize) && ok;

        start = Now();
        ok = ReadFloor() && ok;
        Add(readFloor, start);

        start = Now();
        auto scene = std::make_unique<CScene>(DefaultSettings());
        CChannel* c = scene->AddChannel();
        auto reader = std::make_unique<CIlda>();
        const Clock loadStart = Now();
        ok = reader->Load(kInput, c, 1) && ok;
        Add(load, loadStart);
        c->type = 1;
        ok = SaveSceneFile(scene.get(), kOutput) && ok;
        Add(convert, start);

        start = Now();
        reader.reset();
        scene.reset();
        Add(destroy, start);
        if (!ok) {
            state.SkipWithError("a read or write failed");
            break;
        }
    }
    const double n = double(state.iterations());
    const double mb = double(kSceneSize) * n / 1e6;
    state.counters["output_MB"] = double(kSceneSize) / 1e6;
    state.counters["save_MBps"] = mb / (save.wall / 1e9);
    state.counters["floor_MBps"] = mb / (writeFloor.wall / 1e9);
    state.counters["save_ratio"] = save.wall / writeFloor.wall;
    state.counters["save_ratio_cpu"] = save.cpu / writeFloor.cpu;
    state.counters["save_ms"] = save.wall / n / 1e6;
    state.counters["floor_ms"] = writeFloor.wall / n / 1e6;
    state.counters["read_ms"] = readFloor.wall / n / 1e6;
    state.counters["convert_ms"] = convert.wall / n / 1e6;
    state.counters["convert_ratio"] = convert.wall / (readFloor.wall + writeFloor.wall);
    state.counters["convert_ratio_cpu"] = convert.cpu / (readFloor.cpu + writeFloor.cpu);
    state.counters["load_ms"] = load.wall / n / 1e6;
    state.counters["destroy_ms"] = destroy.wall / n / 1e6;
    ::unlink(kOutput);
    ::unlink(kFloorOutput);
}

} // namespace

BENCHMARK(BM_SceneSaveAndConvert)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

BENCHMARK_MAIN();
