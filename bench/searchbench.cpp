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
#include <fcntl.h>
#include <ftw.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/search/tlmdsearchfilegrep.h"

extern char** environ;

namespace {

constexpr int kTop = 10;
constexpr int kMiddle = 10;
constexpr int kLeaves = 49;
constexpr int kFilesPerDirectory = 20;

std::string gRoot;
int gIldaFiles = 0;

void MakeDirectory(const std::string& path) {
    if (::mkdir(path.c_str(), 0755) != 0) {
        std::perror(path.c_str());
        std::exit(1);
    }
}

void FillDirectory(const std::string& path, int& serial) {
    for (int i = 0; i < kFilesPerDirectory; ++i, ++serial) {
        std::string name;
        if (serial % 100 == 0) {
            name = (serial % 300 == 0) ? "SHOW_" + std::to_string(serial) + ".ILD"
                                       : "show_" + std::to_string(serial) + ".ild";
            ++gIldaFiles;
        } else if (serial % 7 == 0) {
            name = "FRAME_" + std::to_string(serial) + ".DAT";
        } else {
            name = "frame_" + std::to_string(serial) + (serial % 3 ? ".dat" : ".ild.bak");
        }
        const int fd =
            ::open((path + "/" + name).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC | O_EXCL, 0644);
        if (fd < 0) {
            std::perror(name.c_str());
            std::exit(1);
        }
        ::close(fd);
    }
}

void BuildTree() {
    char pattern[] = "/tmp/trellion-searchbench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    gRoot = pattern;
    int serial = 0;
    int directories = 1;
    FillDirectory(gRoot, serial);
    for (int t = 0; t < kTop; ++t) {
        const std::string top = gRoot + "/Top" + std::to_string(t);
        MakeDirectory(top);
        FillDirectory(top, serial);
        ++directories;
        for (int m = 0; m < kMiddle; ++m) {
            const std::string middle = top + "/middle" + std::to_string(m);
            MakeDirectory(middle);
            FillDirectory(middle, serial);
            ++directories;
            for (int l = 0; l < kLeaves; ++l) {
                const std::string leaf = middle + "/leaf" + std::to_string(l);
                MakeDirectory(leaf);
                FillDirectory(leaf, serial);
                ++directories;
            }
        }
    }
    std::fprintf(stderr, "tree %s: %d directories, %d files, %d ILDA files\n", gRoot.c_str(),
                 directories, serial, gIldaFiles);
}

void RemoveTree() {
    ::nftw(
        gRoot.c_str(),
        [](const char* path, const struct stat*, int, struct FTW*) { return ::remove(path); }, 64,
        FTW_DEPTH | FTW_PHYS);
}

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Runs a program with its output sent to /dev/null; returns its exit status.
int Spawn(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int error = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        return -1;
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

double TimeFind() {
    const auto start = std::chrono::steady_clock::now();
    if (Spawn({"find", gRoot, "-iname", "*.ild"}) != 0)
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
        if (Spawn({TRELLION_CLI, "find", gRoot}) != 0) {
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
    BuildTree();
    // One untimed pass warms the directory cache for everyone alike.
    TimeFind();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    RemoveTree();
    return 0;
}
