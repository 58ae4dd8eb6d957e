// The whole conversion of one ILDA file against the least it can cost, measured in one run.
//
// The input: the benchmarks' 2,000 format-0 frames of 2,000 points each (bench/bigildafile.h,
// 32,064,032 bytes), generated once as /tmp/trellion-convertfloorbench-2000x2000.ild; its scene
// file is 84,122,642 bytes. Each round measures, one after the other so that the machine's load
// falls on all alike (the figures are medians over the rounds, each in wall-clock time and in
// CPU time of the whole process, every thread's user and system time, which a machine shared
// with other work disturbs less):
//   io_floor     reading the input with one read call into freshly allocated memory, and
//                writing the scene file's size in 1 MiB blocks to a temporary file that is
//                then closed and renamed to the target, which does not exist (what the atomic
//                output file does for a new file, with nothing to format);
//   touch        mapping the model's memory for the file (sizeof(CVector) bytes a point,
//                advised for huge pages as the vertex pool's blocks are), writing one byte
//                in every 4 KiB and unmapping it again;
//   model_floor  io_floor + touch: reading and writing the bytes plus obtaining the memory
//                that one CVector a point needs;
//   build        the model's own memory work, which the touch leaves out: one CVector a point
//                constructed into a free-vertex list in freshly mapped memory (advised as above),
//                the list then walked once reading each record's fields as the scene writer
//                does, the memory unmapped (reported, not part of the floors);
//   convert      what `trellion-cli convert` and the batch do per file: a fresh scene and
//                channel, CIlda::Load (the file's bytes then let go), channel type 1,
//                SaveSceneFile, then the reader and the scene destroyed, into a target that
//                does not exist (as the floor's); also split into its load, save and release;
//   replace      the conversion again over the scene file it wrote: the output file then
//                forces the new bytes to disk before they replace the old ones; against
//   replace_floor  the I/O floor written the same durable way (synced before the rename over
//                the floor's own earlier file, the directory synced after), plus the touch.
// Ratios: convert_over_model = convert / model_floor, convert_over_io = convert / io_floor,
// replace_over_floor = replace / replace_floor, each round's own
// figures divided, then the median; *_cpu the same in CPU time.
//
// Memory: `trellion-cli convert` of the same file as a child process, before the rounds, its
// peak resident size as the kernel reports it (ru_maxrss); peak_bytes_per_point is that peak less
// the input's size, divided by the points.
#include <benchmark/benchmark.h>

#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/benchclock.h"
#include "bench/bigildafile.h"
#include "bench/childprocess.h"
#include "bench/iofloor.h"
#include "bench/median.h"
#include "ilda/cilda.h"
#include "model/cchannel.h"
#include "model/cscene.h"
#include "model/cthing.h"
#include "model/cvector.h"
#include "model/geometry.h"
#include "scene/scenefile.h"
#include "settings/settings.h"

namespace {

constexpr int kRounds = 9;
constexpr size_t kPoints = size_t(kBigIldaFrames) * kBigIldaPoints;
constexpr size_t kSceneSize =
    269 + 373 + size_t(kBigIldaFrames) * (61 + 21 * size_t(kBigIldaPoints));
const char* const kInput = "/tmp/trellion-convertfloorbench-2000x2000.ild";
const char* const kOutputDir = "/tmp/trellion-convertfloorbench-out";
const std::string kOutput = std::string(kOutputDir) + "/trellion-convertfloorbench-2000x2000.scn";
const std::string kFloorOutput = std::string(kOutputDir) + "/floor.bin";
constexpr size_t kModelBytes = kPoints * sizeof(CVector);

// The medians of one figure over the rounds, wall clock and CPU time.
struct Figure {
    std::vector<double> wall;
    std::vector<double> cpu;
    void Add(double wallValue, double cpuValue) {
        wall.push_back(wallValue);
        cpu.push_back(cpuValue);
    }
};

off_t SizeOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_size : -1;
}

bool ReadInput() {
    return ReadFileFloor(kInput, size_t(kBigIldaFileSize));
}

// The model's memory for the file, mapped and advised for huge pages as the vertex pool's
// blocks are; null when it cannot be mapped.
void* MapModelMemory() {
    void* memory =
        ::mmap(nullptr, kModelBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        return nullptr;
    ::madvise(memory, kModelBytes, MADV_HUGEPAGE);
    return memory;
}

bool TouchModelMemory() {
    void* memory = MapModelMemory();
    if (memory == nullptr)
        return false;
    auto* bytesAt = static_cast<volatile uint8_t*>(memory);
    for (size_t at = 0; at < kModelBytes; at += 4096)
        bytesAt[at] = 1;
    return ::munmap(memory, kModelBytes) == 0;
}

bool BuildModelMemory() {
    void* memory = MapModelMemory();
    if (memory == nullptr)
        return false;
    auto* records = static_cast<CVector*>(memory);
    CThing thing(nullptr, nullptr);
    for (size_t i = 0; i < kPoints; ++i)
        ::new (records + i) CVector(&thing, &thing.first_vertex, &thing.last_vertex,
                                    float(i & 2047), 1.0f, 2.0f, uint32_t(i), uint8_t(i & 1));
    uint32_t sum = 0;
    for (const CVector* v = thing.first_vertex; v != nullptr; v = v->next)
        sum +=
            uint32_t(v->x) + uint32_t(v->y) + uint32_t(v->z) + v->reserved + v->colour + v->blank;
    benchmark::DoNotOptimize(sum);
    thing.first_vertex = thing.last_vertex = nullptr;
    return ::munmap(memory, kModelBytes) == 0;
}

constexpr clockid_t kCpu = CLOCK_PROCESS_CPUTIME_ID;

// The conversion's three steps.
struct Phases {
    Clock load;
    Clock save;
    Clock release;
};

bool Convert(Phases* phases = nullptr) {
    Phases spent;
    Clock start = Now(kCpu);
    auto scene = std::make_unique<CScene>(DefaultSettings());
    CChannel* channel = scene->AddChannel();
    auto reader = std::make_unique<CIlda>();
    bool ok = reader->Load(kInput, channel, 1);
    reader->ReleaseInput();
    channel->type = 1;
    spent.load = Since(start, kCpu);
    start = Now(kCpu);
    ok = SaveSceneFile(scene.get(), kOutput) && ok;
    spent.save = Since(start, kCpu);
    start = Now(kCpu);
    reader.reset();
    scene.reset();
    spent.release = Since(start, kCpu);
    if (phases != nullptr)
        *phases = spent;
    return ok;
}

// Peak resident bytes of `trellion-cli convert` of the input, or -1. The kernel's figure for a
// child includes the peak of the process it was started from (the spawn shares that process's
// memory until the program is loaded), so this runs before the benchmark itself grows.
double ToolPeakBytes() {
    struct rusage usage {};
    if (RunQuietly({TRELLION_CLI, "convert", kInput, "-o", kOutputDir}, &usage) != 0)
        return -1;
    return double(usage.ru_maxrss) * 1024;
}

// Median of one of two figures divided, round by round.
struct Ratio {
    Figure figure;
    void Add(const Clock& over, const Clock& under) {
        figure.Add(over.wall / under.wall, over.cpu / under.cpu);
    }
};

Clock Plus(const Clock& a, const Clock& b) {
    return {a.wall + b.wall, a.cpu + b.cpu};
}

void BM_ConvertAgainstFloors(benchmark::State& state) {
    ::mkdir(kOutputDir, 0755);
    if (!MakeBigIldaFile(kInput)) {
        state.SkipWithError("cannot write the input file in /tmp");
        return;
    }
    const double peak = ToolPeakBytes();
    FillAngleTables();
    const std::vector<uint8_t> block(1 << 20, 0x5A);
    bool ok = ReadInput() && Convert(); // the input into the page cache, the code paths warm
    Figure io, touch, build, model, convert, load, save, release, replace, replaceFloor;
    Ratio overModel, overIo, replaceOverFloor;
    const auto add = [](Figure& figure, const Clock& clock) { figure.Add(clock.wall, clock.cpu); };
    for (auto _ : state) {
        for (int round = 0; round < kRounds && ok; ++round) {
            ::unlink(kFloorOutput.c_str());
            Clock start = Now(kCpu);
            ok = ReadInput() && WriteFileFloor(kFloorOutput, kSceneSize, block) && ok;
            const Clock ioTime = Since(start, kCpu);

            start = Now(kCpu);
            ok = TouchModelMemory() && ok;
            const Clock touchTime = Since(start, kCpu);

            start = Now(kCpu);
            ok = BuildModelMemory() && ok;
            const Clock buildTime = Since(start, kCpu);

            ::unlink(kOutput.c_str());
            Phases phases;
            start = Now(kCpu);
            ok = Convert(&phases) && ok;
            const Clock convertTime = Since(start, kCpu);
            ok = SizeOf(kOutput) == off_t(kSceneSize) && ok;

            start = Now(kCpu);
            ok = ReadInput() && WriteFileFloor(kFloorOutput, kSceneSize, block, true) && ok;
            const Clock replaceFloorTime = Plus(Since(start, kCpu), touchTime);

            start = Now(kCpu);
            ok = Convert() && ok;
            const Clock replaceTime = Since(start, kCpu);

            add(io, ioTime);
            add(touch, touchTime);
            add(build, buildTime);
            add(model, Plus(ioTime, touchTime));
            add(convert, convertTime);
            add(load, phases.load);
            add(save, phases.save);
            add(release, phases.release);
            add(replaceFloor, replaceFloorTime);
            add(replace, replaceTime);
            overModel.Add(convertTime, Plus(ioTime, touchTime));
            overIo.Add(convertTime, ioTime);
            replaceOverFloor.Add(replaceTime, replaceFloorTime);
        }
    }
    if (!ok || peak < 0) {
        state.SkipWithError("a conversion or a floor's read or write failed");
        return;
    }
    const double perPoint = (peak - double(kBigIldaFileSize)) / double(kPoints);
    const auto ms = [](const Figure& f) { return Median(f.wall) / 1e6; };
    state.counters["io_floor_ms"] = ms(io);
    state.counters["touch_ms"] = ms(touch);
    state.counters["model_floor_ms"] = ms(model);
    state.counters["build_ms"] = ms(build);
    state.counters["convert_ms"] = ms(convert);
    state.counters["load_ms"] = ms(load);
    state.counters["save_ms"] = ms(save);
    state.counters["release_ms"] = ms(release);
    state.counters["replace_ms"] = ms(replace);
    state.counters["replace_floor_ms"] = ms(replaceFloor);
    state.counters["convert_over_model"] = Median(overModel.figure.wall);
    state.counters["convert_over_io"] = Median(overIo.figure.wall);
    state.counters["replace_over_floor"] = Median(replaceOverFloor.figure.wall);
    state.counters["convert_over_model_cpu"] = Median(overModel.figure.cpu);
    state.counters["convert_over_io_cpu"] = Median(overIo.figure.cpu);
    state.counters["peak_MB"] = peak / 1e6;
    state.counters["peak_bytes_per_point"] = perPoint;
    for (const bool cpu : {false, true}) {
        const auto pick = [cpu](const Figure& f) { return Median(cpu ? f.cpu : f.wall) / 1e6; };
        const auto ratio = [cpu](const Ratio& r) {
            return Median(cpu ? r.figure.cpu : r.figure.wall);
        };
        std::printf("%s, medians of %d rounds: I/O floor %.1f ms, model floor %.1f ms (touch "
                    "%.1f ms), conversion %.1f ms (load %.1f, save %.1f, release %.1f); "
                    "conversion / model floor %.2f, conversion / I/O floor %.2f; building and "
                    "walking the model alone %.1f ms\n",
                    cpu ? "CPU time  " : "wall clock", kRounds, pick(io), pick(model), pick(touch),
                    pick(convert), pick(load), pick(save), pick(release), ratio(overModel),
                    ratio(overIo), pick(build));
        std::printf(
            "            replacing the scene file %.1f ms against its durable floor %.1f ms "
            "(%.2f)\n",
            pick(replace), pick(replaceFloor), ratio(replaceOverFloor));
    }
    std::printf("trellion-cli convert peak resident %.1f MB, %.1f bytes a point beyond the file\n",
                peak / 1e6, perPoint);
    ::unlink(kOutput.c_str());
    ::unlink(kFloorOutput.c_str());
}

} // namespace

BENCHMARK(BM_ConvertAgainstFloors)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

BENCHMARK_MAIN();
