// What forcing replaced files to disk costs the batch conversion: `trellion-cli convert` of a
// batch of ILDA files into an empty directory (every scene file new: nothing is synced) against
// the same batch into the directory that already holds its scene files (every scene file
// replaced: each is synced before its rename, and the directory after), measured in one run.
//
// Each iteration, one after the other so that the machine's load falls on both alike:
//   new       the batch into a directory emptied before the run;
//   replace   the same batch again into the directory the first run filled.
// Counters, milliseconds a batch (wall clock): new_ms, replace_ms; replace_over_new, their
// ratio. Two batches: 200 files of 10 frames x 500 points (scene files of 105 KB) and one file
// of 2,000 x 2,000 points (bench/bigildafile.h, a scene file of 84 MB).
//
// TRELLION_BENCH_BASELINE_CLI, when set, names another trellion-cli (an earlier build) that runs
// the same batches in the same iterations, interleaved: counters baseline_new_ms,
// baseline_replace_ms, and new_over_baseline, replace_over_baseline (this build's time over the
// baseline's).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/bigildafile.h"
#include "bench/childprocess.h"
#include "tests/ilda/ildabuilder.h"

namespace fs = std::filesystem;

namespace {

double Milliseconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// The batch into an emptied directory, then again over the scene files it wrote; adds the
// times to fresh and replaced. False when a conversion failed.
bool RunBatch(const std::string& cli, const std::vector<std::string>& inputs, const fs::path& out,
              double& fresh, double& replaced) {
    std::vector<std::string> command = {cli, "convert"};
    command.insert(command.end(), inputs.begin(), inputs.end());
    command.insert(command.end(), {"-o", out.string()});
    fs::remove_all(out);
    fs::create_directories(out);
    auto start = std::chrono::steady_clock::now();
    bool ok = RunQuietly(command, nullptr) == 0;
    fresh += Milliseconds(start);
    start = std::chrono::steady_clock::now();
    ok = RunQuietly(command, nullptr) == 0 && ok;
    replaced += Milliseconds(start);
    return ok;
}

void MeasureBatch(benchmark::State& state, const std::vector<std::string>& inputs,
                  const fs::path& work) {
    const char* baselineCli = std::getenv("TRELLION_BENCH_BASELINE_CLI");
    const bool baseline = baselineCli != nullptr && *baselineCli != '\0';
    double fresh = 0, replaced = 0, baselineFresh = 0, baselineReplaced = 0;
    for (auto _ : state) {
        bool ok = RunBatch(TRELLION_CLI, inputs, work / "scenes", fresh, replaced);
        if (baseline)
            ok =
                RunBatch(baselineCli, inputs, work / "baseline", baselineFresh, baselineReplaced) &&
                ok;
        if (!ok) {
            state.SkipWithError("a conversion failed");
            break;
        }
    }
    const double n = double(state.iterations());
    state.counters["new_ms"] = fresh / n;
    state.counters["replace_ms"] = replaced / n;
    state.counters["replace_over_new"] = replaced / fresh;
    if (baseline) {
        state.counters["baseline_new_ms"] = baselineFresh / n;
        state.counters["baseline_replace_ms"] = baselineReplaced / n;
        state.counters["new_over_baseline"] = fresh / baselineFresh;
        state.counters["replace_over_baseline"] = replaced / baselineReplaced;
    }
}

fs::path WorkDirectory(const char* name) {
    const fs::path work = fs::temp_directory_path() / name;
    fs::create_directories(work);
    return work;
}

void BM_ConvertBatch_NewAgainstReplaced_200SmallFiles(benchmark::State& state) {
    const fs::path work = WorkDirectory("trellion-convertreplacebench-small");
    IldaBuilder b;
    for (uint16_t f = 0; f < 10; ++f)
        b.Frame3D(500, f, 10);
    b.End(10);
    std::vector<std::string> inputs;
    for (int i = 0; i < 200; ++i) {
        const fs::path input = work / ("show" + std::to_string(i) + ".ild");
        std::ofstream(input, std::ios::binary)
            .write(reinterpret_cast<const char*>(b.Data().data()),
                   static_cast<std::streamsize>(b.Size()));
        inputs.push_back(input.string());
    }
    MeasureBatch(state, inputs, work);
    fs::remove_all(work);
}

void BM_ConvertBatch_NewAgainstReplaced_OneBigFile(benchmark::State& state) {
    const char* input = "/tmp/trellion-convertflowbench-2000x2000.ild";
    if (!MakeBigIldaFile(input)) {
        state.SkipWithError("cannot write the input file in /tmp");
        return;
    }
    const fs::path work = WorkDirectory("trellion-convertreplacebench-big");
    MeasureBatch(state, {input}, work);
    fs::remove_all(work);
}

} // namespace

BENCHMARK(BM_ConvertBatch_NewAgainstReplaced_200SmallFiles)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK(BM_ConvertBatch_NewAgainstReplaced_OneBigFile)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

BENCHMARK_MAIN();
