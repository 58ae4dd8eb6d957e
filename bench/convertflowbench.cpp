// The batch conversion of the benchmarks' 2,000 x 2,000-point ILDA file (bench/bigildafile.h,
// 32,064,032 bytes; its scene file is 84,122,642 bytes) through the window against the same
// conversion by the command-line tool, measured in the same run.
//
// Each iteration, one after the other so that the machine's load falls on all alike:
//   cli      `trellion-cli convert FILE -o DIR` as a process, from its start to its exit
//            (start-up, settings, the conversion, the tool's teardown);
//   window   a mouse click on the conversion row's Start of one window built before the run, in
//            convert mode on the offscreen platform, whose left list holds the file alone: the
//            whole BitBtn1Click with its status texts, repaints, dispatch step and list
//            re-reads;
//   bare     the conversion's own work in this process: a fresh scene and channel, CIlda::Load,
//            channel type 1, SaveSceneFile, the scene's destruction.
// A second benchmark runs a batch of many small files (kBatchFiles files of kBatchFrames frames
// of kBatchPoints points) the same two ways: `trellion-cli convert` of all of them in one
// process, and one click on Start with all of them in the window's list. Counters, milliseconds
// a file: batch_cli_ms_per_file, batch_window_ms_per_file, and their ratio batch_window_over_cli
// (the same in CPU time with _cpu); batch_bare_ms_per_file is the bare conversion of the same
// files in this process. These are medians over the rounds; the ratio is the median of each
// round's own ratio. Each of the three writes into a fresh scene directory, the one before
// moved aside, so that every scene file is new, and the three take turns at running first.
//
// Counters of the first, milliseconds a conversion: cli_ms, window_ms, bare_ms (wall clock);
// window_minus_cli_ms (the window's cost over the tool's, negative when it is cheaper, since
// the tool also pays its start-up and teardown); window_over_bare_ms (what the window adds to
// the work). The *_cpu_ms counters are the same in CPU time (user and system: the tool's
// process as its parent sees it; for the window and the bare work this process's, every
// thread's, since the conversion hands work to helper threads), which a loaded machine
// disturbs less than the wall clock.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/tconvert.h"
#include "app/userdialogs.h"
#include "bench/bigildafile.h"
#include "bench/childprocess.h"
#include "bench/median.h"
#include "ilda/cilda.h"
#include "model/cchannel.h"
#include "model/cscene.h"
#include "platform/allocatortuning.h"
#include "scene/scenefile.h"
#include "search/tlmdsearchfilegrep.h"
#include "settings/settings.h"
#include "tests/ilda/ildabuilder.h"
#include "widgets/tfilelistbox.h"
#include "widgets/tglyphbutton.h"

namespace {

const char* const kInput = "/tmp/trellion-convertflowbench-2000x2000.ild";
constexpr off_t kSceneSize = 269 + 373 + off_t(kBigIldaFrames) * (61 + 21 * kBigIldaPoints);

// No question may come up during the run; any that does is counted and answered at once, so a
// failure shows as a skipped benchmark instead of a modal box waiting on the offscreen screen.
class TSilentDialogs : public IUserDialogs {
public:
    void Information(const QString&) override { ++asked; }
    void ShowError(const QString&) override { ++asked; }
    TAnswer Confirm(const QString&, TConfirmButtons, TAnswer) override {
        ++asked;
        return TAnswer::Cancel;
    }
    int ThemedMessage(const std::string&, int, unsigned) override {
        ++asked;
        return 1;
    }
    std::optional<QString> SaveFileName(const TSaveFileRequest&) override {
        ++asked;
        return std::nullopt;
    }
    bool OpenUrl(const QString&) override {
        ++asked;
        return true;
    }

    int asked = 0;
};

double Milliseconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

double ProcessCpuMilliseconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Runs a program with its output sent to /dev/null; returns its exit status and adds the CPU
// time it used to cpuMs.
int Spawn(const std::vector<std::string>& arguments, double& cpuMs) {
    struct rusage usage {};
    const int status = RunQuietly(arguments, &usage);
    cpuMs += double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
             double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
    return status;
}

// Presses Start as a user does, with the mouse: the button then has the keyboard focus, as it
// has in use (a programmatic click would leave the focus on the edit box the mode starts with,
// whose focus frame makes each of its repaints cost more).
void ClickStart(TConvert& window) {
    QTest::mouseClick(window.BitBtn1, Qt::LeftButton);
}

// Shows the window in convert mode, its directory lists read.
void ShowConvertMode(TConvert& window) {
    window.show();
    window.Convert->click();
    while (window.lf->IsSearching())
        QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

off_t SizeOf(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_size : -1;
}

void BM_ConvertBigFile_WindowAgainstCli(benchmark::State& state) {
    if (!MakeBigIldaFile(kInput)) {
        state.SkipWithError("cannot write the input file in /tmp");
        return;
    }
    QTemporaryDir dir;
    TSilentDialogs dialogs;
    TConvert window(&dialogs, dir.path());
    ShowConvertMode(window);
    const QString listed = window.IldaDirectory() + QStringLiteral("/big.ild");
    // A second name for the same bytes: the window reads the very file the tool reads.
    if (::link(kInput, QFile::encodeName(listed).constData()) != 0 &&
        !QFile::copy(QString::fromLocal8Bit(kInput), listed)) {
        state.SkipWithError("cannot place the input in the window's ILDA directory");
        return;
    }
    window.FileListBox1->Update();
    const QString windowScene = window.SceneDirectory() + QStringLiteral("/big.scn");
    const QString cliDir = dir.path() + QStringLiteral("/cli");
    QDir().mkpath(cliDir);
    const QString cliScene = cliDir + QStringLiteral("/trellion-convertflowbench-2000x2000.scn");
    const std::string bareScene = (dir.path() + QStringLiteral("/bare.scn")).toStdString();

    double cli = 0, inWindow = 0, bare = 0;
    double cliCpu = 0, windowCpu = 0, bareCpu = 0;
    bool ok = window.FileListBox1->Count() == 1;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        ok =
            Spawn({TRELLION_CLI, "convert", kInput, "-o", cliDir.toStdString()}, cliCpu) == 0 && ok;
        cli += Milliseconds(start);
        ok = SizeOf(cliScene) == kSceneSize && ok;

        start = std::chrono::steady_clock::now();
        double cpu = ProcessCpuMilliseconds();
        ClickStart(window);
        inWindow += Milliseconds(start);
        windowCpu += ProcessCpuMilliseconds() - cpu;
        ok = SizeOf(windowScene) == kSceneSize && ok;
        ok = window.Edit1->text() == QStringLiteral("Finished converting 1 of 1 files.") && ok;

        start = std::chrono::steady_clock::now();
        cpu = ProcessCpuMilliseconds();
        {
            CScene scene(DefaultSettings());
            CChannel* channel = scene.AddChannel();
            CIlda reader;
            ok = reader.Load(kInput, channel, 1) && ok;
            channel->type = 1;
            ok = SaveSceneFile(&scene, bareScene) && ok;
        }
        bare += Milliseconds(start);
        bareCpu += ProcessCpuMilliseconds() - cpu;

        if (!ok || dialogs.asked != 0) {
            state.SkipWithError("a conversion failed or asked a question");
            break;
        }
    }
    const double n = double(state.iterations());
    state.counters["cli_ms"] = cli / n;
    state.counters["window_ms"] = inWindow / n;
    state.counters["bare_ms"] = bare / n;
    state.counters["window_minus_cli_ms"] = (inWindow - cli) / n;
    state.counters["window_over_bare_ms"] = (inWindow - bare) / n;
    state.counters["cli_cpu_ms"] = cliCpu / n;
    state.counters["window_cpu_ms"] = windowCpu / n;
    state.counters["bare_cpu_ms"] = bareCpu / n;
    state.counters["window_minus_cli_cpu_ms"] = (windowCpu - cliCpu) / n;
}

constexpr int kBatchFiles = 200;
constexpr int kBatchFrames = 20;
constexpr int kBatchPoints = 500;

void BM_ConvertManyFiles_WindowAgainstCli(benchmark::State& state) {
    QTemporaryDir dir;
    TSilentDialogs dialogs;
    TConvert window(&dialogs, dir.path());
    ShowConvertMode(window);

    IldaBuilder ild;
    for (int f = 0; f < kBatchFrames; ++f)
        ild.Frame3D(kBatchPoints, uint16_t(f), kBatchFrames);
    ild.End(kBatchFrames);
    std::vector<std::string> cliArguments = {TRELLION_CLI, "convert"};
    for (int i = 0; i < kBatchFiles; ++i) {
        const QString name =
            window.IldaDirectory() + QStringLiteral("/show%1.ild").arg(i, 3, 10, QChar('0'));
        QFile file(name);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(reinterpret_cast<const char*>(ild.Data().data()), qint64(ild.Size())) !=
                qint64(ild.Size())) {
            state.SkipWithError("cannot write the batch's files");
            return;
        }
        cliArguments.push_back(QFile::encodeName(name).toStdString());
    }
    window.FileListBox1->Update();
    // All three write into the window's scene directory, each into a fresh one: the files are
    // new, as in a batch into an empty directory (replacing them would add a disk sync per
    // file, and the disk's time to the comparison), and the file system places them alike. The
    // old directory is moved aside, not emptied, since the file system's search for a free
    // inode passes slowly over recently deleted ones.
    const QString sceneDirectory = window.SceneDirectory();
    const std::string sceneDir = QFile::encodeName(sceneDirectory).toStdString();
    cliArguments.push_back("-o");
    cliArguments.push_back(sceneDir);
    const QString finished = QStringLiteral("Finished converting %1 of %1 files.").arg(kBatchFiles);

    const std::vector<std::string> sources(cliArguments.begin() + 2, cliArguments.end() - 2);
    const auto bareTarget = [&sceneDir](const std::string& source) {
        const std::string name = source.substr(source.find_last_of('/') + 1);
        return sceneDir + "/" + name.substr(0, name.size() - 4) + ".scn";
    };
    // Each round's milliseconds for the whole batch, wall clock and CPU.
    std::vector<double> cli, inWindow, bare, cliCpu, windowCpu, bareCpu;
    bool ok = window.FileListBox1->Count() == kBatchFiles;
    int moved = 0;
    // Moves the scene directory aside after checking that it holds the batch's files.
    const auto nextDirectory = [&] {
        const bool complete =
            QDir(sceneDirectory).entryList(QDir::Files).size() == kBatchFiles || moved == 0;
        QDir().rename(sceneDirectory, dir.path() + QStringLiteral("/old%1").arg(moved++));
        QDir().mkpath(sceneDirectory);
        return complete;
    };
    const auto runWindow = [&] {
        ok = nextDirectory() && ok;
        const auto start = std::chrono::steady_clock::now();
        const double cpu = ProcessCpuMilliseconds();
        ClickStart(window);
        inWindow.push_back(Milliseconds(start));
        windowCpu.push_back(ProcessCpuMilliseconds() - cpu);
        ok = window.Edit1->text() == finished && ok;
    };
    const auto runCli = [&] {
        ok = nextDirectory() && ok;
        const auto start = std::chrono::steady_clock::now();
        double cpu = 0;
        ok = Spawn(cliArguments, cpu) == 0 && ok;
        cli.push_back(Milliseconds(start));
        cliCpu.push_back(cpu);
    };
    const auto runBare = [&] {
        ok = nextDirectory() && ok;
        const auto start = std::chrono::steady_clock::now();
        const double bareStart = ProcessCpuMilliseconds();
        for (const std::string& source : sources) {
            CScene scene(DefaultSettings());
            CChannel* channel = scene.AddChannel();
            CIlda reader;
            ok = reader.Load(source, channel, 1) && ok;
            channel->type = 1;
            ok = SaveSceneFile(&scene, bareTarget(source)) && ok;
        }
        bare.push_back(Milliseconds(start));
        bareCpu.push_back(ProcessCpuMilliseconds() - bareStart);
    };
    // Each side takes each place in turn: the file system gets slower or faster over a run
    // (how many recently deleted inodes a new file's inode search passes, for one), and a
    // fixed order would hand that to one side.
    const std::function<void()> sides[] = {runWindow, runCli, runBare};
    int round = 0;
    for (auto _ : state) {
        for (int k = 0; k < 3; ++k) {
            sides[(round + k) % 3]();
            ok = QDir(sceneDirectory).entryList(QDir::Files).size() == kBatchFiles && ok;
        }
        ++round;
        if (!ok || dialogs.asked != 0) {
            state.SkipWithError("a conversion failed or asked a question");
            break;
        }
    }
    // Medians over the rounds, and the median of each round's own ratio: a round the machine
    // disturbed moves neither.
    const auto ratios = [](const std::vector<double>& a, const std::vector<double>& b) {
        std::vector<double> r;
        for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
            r.push_back(a[i] / b[i]);
        return r;
    };
    state.counters["batch_cli_ms_per_file"] = Median(cli) / kBatchFiles;
    state.counters["batch_window_ms_per_file"] = Median(inWindow) / kBatchFiles;
    state.counters["batch_window_over_cli"] = Median(ratios(inWindow, cli));
    state.counters["batch_bare_ms_per_file"] = Median(bare) / kBatchFiles;
    state.counters["batch_cli_cpu_ms_per_file"] = Median(cliCpu) / kBatchFiles;
    state.counters["batch_bare_cpu_ms_per_file"] = Median(bareCpu) / kBatchFiles;
    state.counters["batch_window_cpu_ms_per_file"] = Median(windowCpu) / kBatchFiles;
    state.counters["batch_window_over_cli_cpu"] = Median(ratios(windowCpu, cliCpu));
}

} // namespace

BENCHMARK(BM_ConvertManyFiles_WindowAgainstCli)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(15)
    ->UseRealTime();

BENCHMARK(BM_ConvertBigFile_WindowAgainstCli)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

int main(int argc, char** argv) {
    // As the window's own start does.
    TuneAllocatorForBatches();
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
