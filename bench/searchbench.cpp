// Times a search of a generated tree of about 100,000 files in 5,000 directories (1 % of them
// ILDA files, some named in capitals) by the engine, by trellion-cli find and by
// find DIR -iname '*.ild', each iteration running ours and find(1) back to back so that the
// ratio is measured under the same load.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QEventLoop>

#include <benchmark/benchmark.h>
#include <unistd.h>

#include "bench/childprocess.h"
#include "bench/searchtree.h"
#include "search/tlmdsearchfilegrep.h"

extern char** environ;

namespace {

std::string gRoot;
int gIldaFiles = 0;
SearchTree gTree;

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double TimeFind() {
    const auto start = std::chrono::steady_clock::now();
    if (RunQuietly({"find", gRoot, "-iname", "*.ild"}, nullptr) != 0)
        return -1;
    return Seconds(start);
}

// One threaded run as the window makes it: scheduled on the event loop, pending events
// processed in every directory, OnFound collecting the records.
double TimeEngine(size_t& found) {
    TLMDSearchFileGrep engine;
    std::vector<TLMDSPFileRecord> records;
    QEventLoop loop;
    engine.OnFound = [&](QObject*, const TLMDSPFileRecord& record) { records.push_back(record); };
    engine.OnEnd = [&](QObject*) { loop.quit(); };
    engine.SetDirs(QString::fromStdString(gRoot));
    engine.SetFileMasks("*.ild");
    engine.SetInternalFoundList(false);
    const auto start = std::chrono::steady_clock::now();
    engine.Execute();
    loop.exec();
    const double seconds = Seconds(start);
    found = records.size();
    return seconds;
}

void Report(benchmark::State& state, double ours, double find) {
    const double n = static_cast<double>(state.iterations());
    state.counters["ours_ms"] = ours / n * 1000.0;
    state.counters["find_ms"] = find / n * 1000.0;
    state.counters["ratio_to_find"] = ours / find;
}

void BM_EngineVsFind(benchmark::State& state) {
    double ours = 0;
    double find = 0;
    for (auto _ : state) {
        size_t found = 0;
        const double engine = TimeEngine(found);
        const double reference = TimeFind();
        if (found != static_cast<size_t>(gIldaFiles) || reference < 0) {
            state.SkipWithError("wrong count or find failed");
            return;
        }
        state.SetIterationTime(engine);
        ours += engine;
        find += reference;
    }
    Report(state, ours, find);
}
BENCHMARK(BM_EngineVsFind)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

void BM_FindCommandVsFind(benchmark::State& state) {
    double ours = 0;
    double find = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (RunQuietly({TRELLION_CLI, "find", gRoot}, nullptr) != 0) {
            state.SkipWithError("trellion-cli find failed");
            return;
        }
        const double command = Seconds(start);
        const double reference = TimeFind();
        state.SetIterationTime(command);
        ours += command;
        find += reference;
    }
    Report(state, ours, find);
}
BENCHMARK(BM_FindCommandVsFind)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

void BM_Find(benchmark::State& state) {
    for (auto _ : state)
        state.SetIterationTime(TimeFind());
}
BENCHMARK(BM_Find)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    gTree = BuildSearchTree();
    gRoot = gTree.root;
    gIldaFiles = gTree.ildaFiles;
    // One untimed pass warms the directory cache for everyone alike.
    TimeFind();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    RemoveSearchTree(gTree);
    return 0;
}
