// The preview's load and draw through the window, on the offscreen platform.
//
// The file: the benchmarks' 2,000 x 2,000-point format-0 file (bench/bigildafile.h), as
// /tmp/trellion-previewbench-2000x2000.ild, listed and selected in the window's found-file list
// (fl's own API; no search). Measured in the same run, wall-clock and thread CPU time:
//   BM_LoadPreviewFile   TConvert::LoadPreviewFile: the previous file's scene deleted, the
//                        empty picture shown, CIlda::Load, the first frame drawn and shown;
//                        against a bare CIlda::Load of the same file into a fresh scene
//                        (load_ratio) and against reading the file's bytes (read_ratio).
//   BM_DrawCurrentFrame  one TConvert::DrawCurrentFrame (render, rasterise, copy onto the
//                        drawing area's canvas and repaint it) of a full frame: 4,500 points
//                        on long lines across the picture, so the draw's 4,090 segments are
//                        all stored and drawn; and of the big file's 2,000-point frames.
//   BM_TimerTick         one TConvert::TimerTick on the big file at the fastest setting: the
//                        interval set, the step and the draw; tick_ms against its 14 ms period.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/tconvert.h"
#include "bench/benchclock.h"
#include "bench/bigildafile.h"
#include "controls/tthpanel.h"
#include "controls/tthtrackbar.h"
#include "ilda/cilda.h"
#include "model/cchannel.h"
#include "model/cframe.h"
#include "model/cscene.h"
#include "render/cscreen.h"
#include "settings/settings.h"
#include "tests/ilda/ildabuilder.h"
#include "widgets/tfoundlist.h"

namespace {

const char* const kBigFile = "/tmp/trellion-previewbench-2000x2000.ild";
const char* const kFullFrameFile = "/tmp/trellion-previewbench-full-frame.ild";
constexpr int kFullFramePoints = 4500;

bool MakeFullFrameFile() {
    IldaBuilder b;
    b.Header(0, kFullFramePoints, 0, 1);
    for (int p = 0; p < kFullFramePoints; ++p)
        b.Point3D(int16_t((p * 7919) % 65536 - 32768), int16_t((p * 104729) % 65536 - 32768), 0,
                  uint16_t(p % 64));
    b.End(1);
    FILE* out = std::fopen(kFullFrameFile, "wb");
    if (out == nullptr)
        return false;
    const bool written = std::fwrite(b.Data().data(), 1, b.Size(), out) == b.Size();
    return std::fclose(out) == 0 && written;
}

// One window for the whole run, shown offscreen, with the given file listed and selected.
class TPreviewWindow {
public:
    TPreviewWindow() : window(nullptr, dir.path()) {
        window.show();
        QApplication::processEvents();
    }
    void Select(const char* path) {
        window.fl->Clear();
        window.fl->Add(QString::fromLocal8Bit(path));
        window.fl->SetSelected(0, true);
        // As in preview mode: the drawing area shown, so it has its canvas and paints.
        window.ThPanel1->show();
        QApplication::processEvents();
    }
    TConvert& operator*() { return window; }
    TConvert* operator->() { return &window; }

private:
    QTemporaryDir dir;
    TConvert window;
};

TPreviewWindow* previewWindow = nullptr;

double ReadNanoseconds(const char* path) {
    const Clock start = Now();
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    struct stat info {};
    ::fstat(fd, &info);
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[size_t(info.st_size)]);
    const ssize_t got = ::read(fd, buffer.get(), size_t(info.st_size));
    ::close(fd);
    benchmark::DoNotOptimize(got);
    benchmark::DoNotOptimize(buffer.get());
    benchmark::ClobberMemory();
    Clock total;
    Add(total, start);
    return total.wall;
}

void BM_LoadPreviewFile(benchmark::State& state) {
    if (!MakeBigIldaFile(kBigFile)) {
        state.SkipWithError("cannot write the input file in /tmp");
        return;
    }
    TPreviewWindow& w = *previewWindow;
    w.Select(kBigFile);
    ReadNanoseconds(kBigFile); // into the page cache
    Clock load, bare;
    double readNs = 0;
    for (auto _ : state) {
        const Clock loadStart = Now();
        w->LoadPreviewFile();
        Add(load, loadStart);
        if (w->previewChannel == nullptr || w->previewChannel->FrameCount() != kBigIldaFrames) {
            state.SkipWithError("the preview did not load the file");
            return;
        }
        state.PauseTiming();
        readNs += ReadNanoseconds(kBigFile);
        {
            auto scene = std::make_unique<CScene>(DefaultSettings());
            CChannel* channel = scene->AddChannel();
            CIlda reader;
            const Clock bareStart = Now();
            const bool loaded = reader.Load(kBigFile, channel, 1);
            Add(bare, bareStart);
            benchmark::DoNotOptimize(loaded);
        }
        state.ResumeTiming();
    }
    const double n = double(state.iterations());
    state.counters["load_ms"] = load.wall / n / 1e6;
    state.counters["load_cpu_ms"] = load.cpu / n / 1e6;
    state.counters["bare_load_ms"] = bare.wall / n / 1e6;
    state.counters["load_ratio"] = load.wall / bare.wall;
    state.counters["read_ratio"] = load.wall / readNs;
}

void DrawBenchmark(benchmark::State& state, const char* path, bool stepping) {
    TPreviewWindow& w = *previewWindow;
    w.Select(path);
    w->LoadPreviewFile();
    if (w->currentFrame == nullptr) {
        state.SkipWithError("the preview did not load the file");
        return;
    }
    Clock draw;
    for (auto _ : state) {
        if (stepping)
            w->currentFrame = w->currentFrame->Next(true);
        const Clock start = Now();
        w->DrawCurrentFrame();
        Add(draw, start);
    }
    const double n = double(state.iterations());
    state.counters["draw_ms"] = draw.wall / n / 1e6;
    state.counters["draw_cpu_ms"] = draw.cpu / n / 1e6;
    state.counters["segments"] = w->screen->segmentCount;
}

void BM_DrawCurrentFrame_FullFrame(benchmark::State& state) {
    if (!MakeFullFrameFile()) {
        state.SkipWithError("cannot write the input file in /tmp");
        return;
    }
    DrawBenchmark(state, kFullFrameFile, false);
}

void BM_DrawCurrentFrame_BigFileFrames(benchmark::State& state) {
    if (!MakeBigIldaFile(kBigFile)) {
        state.SkipWithError("cannot write the input file in /tmp");
        return;
    }
    DrawBenchmark(state, kBigFile, true);
}

void BM_TimerTick(benchmark::State& state) {
    if (!MakeBigIldaFile(kBigFile)) {
        state.SkipWithError("cannot write the input file in /tmp");
        return;
    }
    TPreviewWindow& w = *previewWindow;
    w.Select(kBigFile);
    w->LoadPreviewFile();
    w->TrackBar1->setValue(20);
    Clock tick;
    double worst = 0;
    for (auto _ : state) {
        const Clock start = Now();
        w->TimerTick();
        const Clock end = Now();
        tick.wall += end.wall - start.wall;
        tick.cpu += end.cpu - start.cpu;
        worst = std::max(worst, end.wall - start.wall);
    }
    const double n = double(state.iterations());
    state.counters["tick_ms"] = tick.wall / n / 1e6;
    state.counters["worst_tick_ms"] = worst / 1e6;
    state.counters["tick_share_of_14ms"] = tick.wall / n / 14e6;
    state.counters["interval_ms"] = w->MyTimer1->interval();
}

} // namespace

BENCHMARK(BM_LoadPreviewFile)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_DrawCurrentFrame_FullFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DrawCurrentFrame_BigFileFrames)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TimerTick)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    {
        TPreviewWindow window;
        previewWindow = &window;
        benchmark::RunSpecifiedBenchmarks();
        previewWindow = nullptr;
    }
    benchmark::Shutdown();
    return 0;
}
