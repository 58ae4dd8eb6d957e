// Times a search of the generated 100,000-file tree through the window against the bare engine,
// each iteration running both back to back so that the ratio is measured under the same load.
// The window run is a first start from the welcome panel's Search button until the walk ends,
// with the window shown on the offscreen platform, so that the per-directory caption and status
// texts, the immediate repaint of the status text, the paints handled once per directory and
// the sorted insertion into the found-file list are all in it. The engine run is the one the
// engine benchmark makes: a threaded run collecting the records.
//
// A second pair searches with the mask "*.*", so that every one of the 105,000 entries is
// listed; a third benchmark inserts N texts in random order into the found-file list alone and
// reports the cost per item, which stays flat when insertion is not quadratic.
//
// Two more pairs search where the cost is per directory: a generated tree of 17,211 directories
// holding few files (BuildDirectoryTree), and /usr as this machine has it.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <time.h>

#include <QApplication>
#include <QEventLoop>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include "app/tconvert.h"
#include "bench/searchtree.h"
#include "search/foundorder.h"
#include "search/tlmdsearchfilegrep.h"
#include "widgets/tdirectorylistbox.h"
#include "widgets/tfoundlist.h"
#include "widgets/tfoundlistmodel.h"
#include "widgets/tglyphbutton.h"

namespace {

SearchTree gTree;
SearchTree gDirectoryTree;
std::unique_ptr<QTemporaryDir> gBase;

// The window asks nothing during a first start; every answer is the harmless one.
class QuietDialogs : public IUserDialogs {
public:
    void Information(const QString&) override {}
    void ShowError(const QString&) override {}
    TAnswer Confirm(const QString&, TConfirmButtons, TAnswer) override { return TAnswer::No; }
    int ThemedMessage(const std::string&, int, unsigned) override { return mrOk; }
    std::optional<QString> SaveFileName(const TSaveFileRequest&) override { return std::nullopt; }
    bool OpenUrl(const QString&) override { return true; }
};

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The processor time of the whole process (the toolkit's own threads included), in seconds: on
// a machine shared with other work it is steadier than the time on the clock.
double ProcessorSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

struct WindowRun {
    double seconds = 0;
    double processorSeconds = 0;
    double inDirChange = 0; // spent in the window's directory handler
    double inFound = 0;     // spent in the window's found-file handler
    int listed = 0;
};

WindowRun TimeWindow(const QString& root, const QString& masks) {
    QuietDialogs dialogs;
    TConvert window(&dialogs, gBase->path());
    window.show();
    window.DirectoryListBox1->SetDirectory(root);
    window.lf->SetFileMasks(masks);
    QApplication::processEvents();

    WindowRun run;
    QEventLoop loop;
    TLMDSearchFileGrep& lf = *window.lf;
    // The window binds neither OnEnd nor timing; wrapping its own handlers measures their share.
    lf.OnEnd = [&](QObject*) { loop.quit(); };
    lf.OnDirChange = [&, bound = lf.OnDirChange](QObject* sender, const QString& dir) {
        const auto start = std::chrono::steady_clock::now();
        bound(sender, dir);
        run.inDirChange += Seconds(start);
    };
    lf.OnFound = [&, bound = lf.OnFound](QObject* sender, const TLMDSPFileRecord& record) {
        const auto start = std::chrono::steady_clock::now();
        bound(sender, record);
        run.inFound += Seconds(start);
    };
    const auto start = std::chrono::steady_clock::now();
    const double processorStart = ProcessorSeconds();
    window.Search->click();
    loop.exec();
    run.seconds = Seconds(start);
    run.processorSeconds = ProcessorSeconds() - processorStart;
    run.listed = window.fl->Count();
    return run;
}

double TimeEngine(const QString& root, const QString& masks, size_t& found,
                  double* processorSeconds = nullptr) {
    TLMDSearchFileGrep engine;
    std::vector<TLMDSPFileRecord> records;
    QEventLoop loop;
    engine.OnFound = [&](QObject*, const TLMDSPFileRecord& record) { records.push_back(record); };
    engine.OnEnd = [&](QObject*) { loop.quit(); };
    engine.SetDirs(root);
    engine.SetFileMasks(masks);
    engine.SetInternalFoundList(false);
    const auto start = std::chrono::steady_clock::now();
    const double processorStart = ProcessorSeconds();
    engine.Execute();
    loop.exec();
    const double seconds = Seconds(start);
    if (processorSeconds)
        *processorSeconds = ProcessorSeconds() - processorStart;
    found = records.size();
    return seconds;
}

void WindowVsEngine(benchmark::State& state, const QString& root, const QString& masks) {
    double window = 0;
    double engine = 0;
    double windowProcessor = 0;
    double engineProcessor = 0;
    double inDirChange = 0;
    double inFound = 0;
    int listed = 0;
    for (auto _ : state) {
        const WindowRun run = TimeWindow(root, masks);
        size_t found = 0;
        double bareProcessor = 0;
        const double bare = TimeEngine(root, masks, found, &bareProcessor);
        if (run.listed != static_cast<int>(found)) {
            state.SkipWithError("the window listed a different number of files");
            return;
        }
        state.SetIterationTime(run.seconds);
        window += run.seconds;
        engine += bare;
        windowProcessor += run.processorSeconds;
        engineProcessor += bareProcessor;
        inDirChange += run.inDirChange;
        inFound += run.inFound;
        listed = run.listed;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["window_ms"] = window / n * 1000.0;
    state.counters["engine_ms"] = engine / n * 1000.0;
    state.counters["ratio_to_engine"] = window / engine;
    state.counters["cpu_ratio_to_engine"] = windowProcessor / engineProcessor;
    state.counters["dirchange_ms"] = inDirChange / n * 1000.0;
    state.counters["found_ms"] = inFound / n * 1000.0;
    state.counters["listed"] = listed;
}

QString Root(const SearchTree& tree) {
    return QString::fromStdString(tree.root);
}

void BM_WindowVsEngine(benchmark::State& state) {
    WindowVsEngine(state, Root(gTree), QStringLiteral("*.ild"));
}
BENCHMARK(BM_WindowVsEngine)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

void BM_WindowVsEngineEveryEntry(benchmark::State& state) {
    WindowVsEngine(state, Root(gTree), QStringLiteral("*.*"));
}
BENCHMARK(BM_WindowVsEngineEveryEntry)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

void BM_WindowVsEngineManyDirectories(benchmark::State& state) {
    WindowVsEngine(state, Root(gDirectoryTree), QStringLiteral("*.ild"));
}
BENCHMARK(BM_WindowVsEngineManyDirectories)
    ->UseManualTime()
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);

void BM_WindowVsEngineUsr(benchmark::State& state) {
    WindowVsEngine(state, QStringLiteral("/usr"), QStringLiteral("*.ild"));
}
BENCHMARK(BM_WindowVsEngineUsr)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

// Paths like a search's, in random order: each lands anywhere in the list.
std::vector<QString> ShuffledPaths(int count) {
    std::vector<QString> paths;
    for (int i = 0; i < count; ++i)
        paths.push_back(QStringLiteral("/media/show/Top%1/middle%2/show_%3.ild")
                            .arg(i % 10)
                            .arg(i / 10 % 10)
                            .arg(i));
    std::shuffle(paths.begin(), paths.end(), std::mt19937(12345));
    return paths;
}

// The list's items alone, without a view.
void BM_FoundListModelAddRandomOrder(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::vector<QString> paths = ShuffledPaths(count);
    for (auto _ : state) {
        TFoundListModel model(&FoundOrderLess);
        for (const QString& path : paths)
            model.Add(path);
        benchmark::DoNotOptimize(model.Count());
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_FoundListModelAddRandomOrder)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

// The list as the window has it, shown.
void BM_FoundListAddRandomOrder(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::vector<QString> paths = ShuffledPaths(count);
    for (auto _ : state) {
        state.PauseTiming();
        auto list = std::make_unique<TFoundList>(&FoundOrderLess, nullptr);
        list->resize(248, 281);
        list->show();
        state.ResumeTiming();
        for (const QString& path : paths)
            list->Add(path);
        state.PauseTiming();
        list.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_FoundListAddRandomOrder)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    gBase = std::make_unique<QTemporaryDir>();
    gTree = BuildSearchTree();
    gDirectoryTree = BuildDirectoryTree();
    // One untimed pass over each tree warms the directory cache for both.
    size_t found = 0;
    for (const QString& root : {Root(gTree), Root(gDirectoryTree), QStringLiteral("/usr")})
        TimeEngine(root, QStringLiteral("*.*"), found);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    RemoveSearchTree(gTree);
    RemoveSearchTree(gDirectoryTree);
    return 0;
}
