// The preview through the window: real ILDA files found by a real search of the ILDA
// directory, scripted answers, the drawing area's pixels compared with the renderer's (and the
// render command's) picture of the same frame.
//
// The replacement operator new below lets a test make memory run out part way through a load,
// the one way a file makes the model code raise; it pairs malloc with free.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

#include <QAbstractButton>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "ilda/cilda.h"
#include "ilda/colourpalettes.h"
#include "model/cchannel.h"
#include "model/cframe.h"
#include "model/cscene.h"
#include "model/cthing.h"
#include "model/cvector.h"
#include "render/cscreen.h"
#include "search/filenamecodec.h"
#include "settings/settings.h"
#include "tests/app/flowfiles.h"
#include "tests/app/windowfixture.h"
#include "tests/ilda/ildabuilder.h"
#include "tests/ilda/wildildafiles.h"

// While armed, allocations count against a budget of allocations; the first one past it throws
// std::bad_alloc and disarms, as memory running out would. (Counted, not sized: the vertex pool
// takes its large blocks straight from the system.)
namespace {
std::atomic<bool> budgetArmed{false};
std::atomic<long long> budgetLeft{0};

void* Allocate(std::size_t size) {
    if (budgetArmed.load(std::memory_order_relaxed) &&
        budgetLeft.fetch_sub(1, std::memory_order_relaxed) <= 0) {
        budgetArmed.store(false);
        throw std::bad_alloc();
    }
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}
void* AllocateNoThrow(std::size_t size) noexcept {
    try {
        return Allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
} // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return AllocateNoThrow(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return AllocateNoThrow(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}

namespace {

struct TPoint {
    int16_t x;
    int16_t y;
    uint16_t status;
};
using TFramePoints = std::vector<TPoint>;

constexpr uint16_t kBlank = 0x4000;

// A format-0 file of the given frames (z = 0) with its closing section.
std::vector<uint8_t> IldaFile(const std::vector<TFramePoints>& frames) {
    IldaBuilder b;
    const auto total = static_cast<uint16_t>(frames.size());
    for (size_t f = 0; f < frames.size(); ++f) {
        b.Header(0, static_cast<uint16_t>(frames[f].size()), static_cast<uint16_t>(f), total);
        for (size_t i = 0; i < frames[f].size(); ++i) {
            const TPoint& p = frames[f][i];
            const bool last = i + 1 == frames[f].size();
            b.Point3D(p.x, p.y, 0, static_cast<uint16_t>(p.status | (last ? 0x8000 : 0)));
        }
    }
    b.End(total);
    return b.Data();
}

// The same frames in format 5 (2D true colour): each lit point carries the colour of its colour
// index in palette 1, so a file read with palette 1 shows exactly what the format-0 file shows.
std::vector<uint8_t> TrueColourIldaFile(const std::vector<TFramePoints>& frames) {
    IldaBuilder b;
    const auto total = static_cast<uint16_t>(frames.size());
    for (size_t f = 0; f < frames.size(); ++f) {
        b.Header(5, static_cast<uint16_t>(frames[f].size()), static_cast<uint16_t>(f), total);
        for (size_t i = 0; i < frames[f].size(); ++i) {
            const TPoint& p = frames[f][i];
            const uint32_t colour = PaletteColour(1, p.status & 0xFF);
            const bool last = i + 1 == frames[f].size();
            b.Point2DTrueColour(
                p.x, p.y,
                static_cast<uint8_t>(((p.status & kBlank) ? 0x40 : 0) | (last ? 0x80 : 0)),
                static_cast<uint8_t>(colour), static_cast<uint8_t>(colour >> 8),
                static_cast<uint8_t>(colour >> 16));
        }
    }
    b.Header(5, 0, total, total, "END");
    return b.Data();
}

// A closed regular polygon (step 1) or star (step 2) of `corners` corners in colour index
// `colour`, reached from the centre with the beam off.
TFramePoints Figure(int corners, int step, int radius, uint16_t colour, double turn = 0) {
    TFramePoints points{{0, 0, kBlank}};
    for (int k = 0; k <= corners; ++k) {
        const double a = turn + M_PI / 2 + 2 * M_PI * (k * step % corners) / corners;
        const auto x = static_cast<int16_t>(std::lround(radius * std::cos(a)));
        const auto y = static_cast<int16_t>(std::lround(radius * std::sin(a)));
        points.push_back({x, y, static_cast<uint16_t>(k == 0 ? kBlank : colour)});
    }
    return points;
}

TFramePoints Star(uint16_t colour = 40) {
    return Figure(5, 2, 26000, colour);
}
TFramePoints Square(uint16_t colour = 16) {
    return Figure(4, 1, 20000, colour, M_PI / 4);
}
TFramePoints Triangle(uint16_t colour = 56) {
    return Figure(3, 1, 24000, colour);
}

// The picture the preview's draw sequence gives for frame `number` (from 1) of the file,
// made with the renderer directly on a surface of the drawing area's size.
QImage ExpectedPicture(const QString& path, int number, int palette) {
    CScene scene(Settings);
    CChannel* channel = scene.AddChannel();
    CIlda reader;
    EXPECT_TRUE(reader.Load(QFile::encodeName(path).toStdString(), channel, palette));
    CFrame* frame = channel->FirstFrame();
    for (int i = 1; i < number && frame != nullptr; ++i)
        frame = frame->Next(false);
    EXPECT_NE(frame, nullptr) << "no frame " << number;
    CScreen screen;
    screen.SetSize(260, 280);
    screen.BeginDraw();
    screen.Clear(0);
    screen.RenderFrame(nullptr, nullptr, nullptr, channel, frame, 0);
    screen.EndDraw(false);
    return screen.Image()->copy();
}

// Like DifferingPixels, leaving out the pixels inside `area`.
int DifferingPixelsOutside(const QImage& a, const QImage& b, const QRect& area) {
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    if (x.size() != y.size())
        return -1;
    int differing = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int column = 0; column < x.width(); ++column)
            differing += !area.contains(column, row) &&
                         (x.pixel(column, row) & 0xFFFFFF) != (y.pixel(column, row) & 0xFFFFFF);
    return differing;
}

class PreviewTest : public WindowTest {
protected:
    void TearDown() override {
        budgetArmed = false;
        WindowTest::TearDown();
    }

    // Writes a file into the window's ILDA directory and returns its path.
    QString Write(const QString& name, const std::vector<uint8_t>& bytes) const {
        const QString path = window->IldaDirectory() + u'/' + name;
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        return path;
    }

    // The welcome panel's Search: a real search of the ILDA directory, run to its end, which
    // leaves the window in search mode, idle, with the files found listed in fl.
    void SearchIldaDirectory() {
        window->Search->click();
        Settle();
        ASSERT_FALSE(window->lf->IsSearching());
        ASSERT_TRUE(window->RzBitBtn5->isEnabled()) << "the search did not end idle";
    }

    int Row(const QString& path) const {
        for (int row = 0; row < window->fl->Count(); ++row)
            if (QDir::cleanPath(window->fl->Item(row)) == QDir::cleanPath(path))
                return row;
        ADD_FAILURE() << "not listed: " << path.toStdString();
        return -1;
    }

    // A click on a row of fl, as the user makes it (press and release on the row).
    void ClickRow(int row) const {
        const QRect rect = window->fl->visualRect(window->fl->Model()->index(row, 0));
        QTest::mouseClick(window->fl->viewport(), Qt::LeftButton, {},
                          QPoint(10, rect.center().y()));
        QCoreApplication::processEvents();
    }

    void PreviewSelected() const {
        window->RzBitBtn5->click();
        QCoreApplication::processEvents();
    }

    [[nodiscard]] QImage Shown() const { return window->PaintBox->Canvas(); }
    // Where the window shows the frame position, in window coordinates.
    [[nodiscard]] QRect FramePositionArea() const {
        return QRect(window->RzLabel15->mapTo(window.get(), QPoint(0, 0)),
                     window->RzLabel15->size());
    }
    // The drawing area as the window's surface holds it, taken without a paint (a grab of the
    // widget would paint it, and a paint loads the file again).
    [[nodiscard]] QImage OnScreen() const {
        const QImage surface = window->QWidget::screen()->grabWindow(window->winId()).toImage();
        const QPoint at = window->PaintBox->mapTo(window.get(), QPoint(0, 0));
        return surface.copy(QRect(at * surface.devicePixelRatio(), window->PaintBox->size()));
    }
    [[nodiscard]] int FrameShown() const {
        return window->currentFrame ? window->currentFrame->Index() : 0;
    }
    [[nodiscard]] bool Stepping() const {
        return window->RxBitBtn8->isEnabled() && window->RzBitBtn7->isEnabled() &&
               window->RzBitBtn9->isEnabled() && !window->RzBitBtn8->isEnabled() &&
               !window->MyTimer1->isActive();
    }
    [[nodiscard]] bool Playing() const {
        return !window->RxBitBtn8->isEnabled() && !window->RzBitBtn7->isEnabled() &&
               !window->RzBitBtn9->isEnabled() && window->RzBitBtn8->isEnabled() &&
               window->MyTimer1->isActive();
    }
};

TEST_F(PreviewTest, PreviewWithNothingSelectedShowsTheFirstFileInSortedOrderAndSelectsIt) {
    const QString square = Write(QStringLiteral("b square.ild"), IldaFile({Square()}));
    const QString star = Write(QStringLiteral("A star.ild"), IldaFile({Star()}));
    SearchIldaDirectory();
    ASSERT_EQ(window->fl->Count(), 2);
    ASSERT_EQ(window->fl->SelectedCount(), 0);
    ASSERT_EQ(Row(star), 0);

    PreviewSelected();
    EXPECT_TRUE(window->fl->IsSelected(0));
    EXPECT_EQ(window->fl->SelectedCount(), 1);
    EXPECT_FALSE(window->ThPanel1->isHidden());
    EXPECT_EQ(window->sp1->Caption(), QStringLiteral(" Previewing File ") + window->fl->Item(0));
    EXPECT_EQ(window->Label1->text(), QStringLiteral("Drive Volume Below for Preview Mode"));
    EXPECT_EQ(FrameShown(), 1);
    EXPECT_GT(LitPixels(Shown()), 200);
    EXPECT_EQ(DifferingPixels(Shown(), ExpectedPicture(star, 1, 1)), 0);
    EXPECT_TRUE(Stepping());
    EXPECT_TRUE(dialogs.asked.empty());
}

TEST_F(PreviewTest, WithSeveralSelectedTheFirstInListOrderIsShown) {
    const QString a = Write(QStringLiteral("a.ild"), IldaFile({Star()}));
    const QString b = Write(QStringLiteral("b.ild"), IldaFile({Square()}));
    const QString c = Write(QStringLiteral("c.ild"), IldaFile({Triangle()}));
    SearchIldaDirectory();
    ASSERT_EQ(window->fl->Count(), 3);
    window->fl->SetSelected(Row(c), true);
    window->fl->SetSelected(Row(b), true);

    PreviewSelected();
    EXPECT_EQ(window->sp1->Caption(), QStringLiteral(" Previewing File ") + window->fl->Item(1));
    EXPECT_EQ(DifferingPixels(Shown(), ExpectedPicture(b, 1, 1)), 0);
    EXPECT_FALSE(window->fl->IsSelected(Row(a)));
    EXPECT_TRUE(window->fl->IsSelected(Row(c)));
}

TEST_F(PreviewTest, AnEmptyListIsReportedAndChangesNothing) {
    SearchIldaDirectory();
    ASSERT_EQ(window->fl->Count(), 0);
    const QString label = window->Label1->text();
    const QString caption = window->sp1->Caption();

    PreviewSelected();
    EXPECT_EQ(dialogs.Texts(ScriptedUserDialogs::Kind::Information),
              std::vector<QString>{QStringLiteral("No Files to Preview.")});
    EXPECT_TRUE(window->ThPanel1->isHidden());
    EXPECT_TRUE(window->RzBitBtn5->isEnabled());
    EXPECT_TRUE(window->RzBitBtn1->isEnabled());
    EXPECT_TRUE(window->DriveComboBox1->isEnabled());
    EXPECT_EQ(window->Label1->text(), label);
    EXPECT_EQ(window->sp1->Caption(), caption);
    EXPECT_EQ(window->previewScene, nullptr);
}

// Next and Prev step with wrap-around; every picture is the renderer's picture of that frame,
// and stepping never loads the file again (a load would show frame 1).
TEST_F(PreviewTest, NextAndPrevStepWithWrapAroundAndShowEachFrame) {
    struct Case {
        const char* name;
        std::vector<TFramePoints> frames;
        // Buttons pressed, '>' Next and '<' Prev, and the frame shown after each.
        const char* presses;
        std::vector<int> shown;
    };
    const std::vector<Case> cases = {
        {"three frames", {Star(), Square(), Triangle()}, ">>><<<", {2, 3, 1, 3, 2, 1}},
        {"one frame", {Star()}, "><<>", {1, 1, 1, 1}},
    };
    std::vector<QString> paths;
    for (const Case& c : cases)
        paths.push_back(Write(QString::fromUtf8(c.name) + ".ild", IldaFile(c.frames)));
    SearchIldaDirectory();
    for (size_t k = 0; k < cases.size(); ++k) {
        const Case& c = cases[k];
        SCOPED_TRACE(c.name);
        window->fl->SelectNone();
        window->fl->SetSelected(Row(paths[k]), true);
        PreviewSelected();
        ASSERT_EQ(FrameShown(), 1);
        ASSERT_EQ(window->previewChannel->FrameCount(), static_cast<int>(c.frames.size()));
        for (size_t i = 0; c.presses[i] != '\0'; ++i) {
            SCOPED_TRACE(i);
            (c.presses[i] == '>' ? window->RxBitBtn8 : window->RzBitBtn7)->click();
            QCoreApplication::processEvents();
            EXPECT_EQ(FrameShown(), c.shown[i]);
            EXPECT_EQ(DifferingPixels(Shown(), ExpectedPicture(paths[k], c.shown[i], 1)), 0);
            // What the window shows on the screen is the canvas.
            EXPECT_EQ(DifferingPixels(OnScreen(), Shown()), 0);
        }
        window->RzBitBtn11->click();
    }
}

// Most files of current show software are true colour: each of their frames shows in the
// palette's colours, as the same frames stored with colour indices do.
TEST_F(PreviewTest, ATrueColourFileIsSteppedThroughFrameByFrame) {
    const std::vector<TFramePoints> frames = {Star(40), Square(24), Triangle(56)};
    const QString trueColour = Write(QStringLiteral("true colour.ild"), TrueColourIldaFile(frames));
    const QString indexed = Write(QStringLiteral("indexed.ild"), IldaFile(frames));
    SearchIldaDirectory();
    window->fl->SetSelected(Row(trueColour), true);
    PreviewSelected();
    ASSERT_EQ(window->previewChannel->FrameCount(), 3);
    std::vector<QImage> seen;
    for (int frame : {1, 2, 3, 1}) {
        SCOPED_TRACE(frame);
        EXPECT_EQ(FrameShown(), frame);
        EXPECT_GT(LitPixels(Shown()), 200);
        EXPECT_EQ(DifferingPixels(Shown(), ExpectedPicture(indexed, frame, 1)), 0);
        seen.push_back(Shown());
        window->RxBitBtn8->click();
        QCoreApplication::processEvents();
    }
    EXPECT_GT(DifferingPixels(seen[0], seen[1]), 200);
    EXPECT_GT(DifferingPixels(seen[1], seen[2]), 200);
    EXPECT_TRUE(dialogs.asked.empty());
}

// Files as other programs write them (last-point bits inside frames, odd numbering, a frame 0
// of 0, closing sections of other formats): stepping and playing show exactly the frames each
// holds, every one of them lit and as the same frames of a well-formed file look, and no blank
// frame in the loop.
TEST_F(PreviewTest, FilesOfOtherWritersShowExactlyTheirFrames) {
    const std::vector<wildilda::File> files =
        wildilda::Files([](int i) { return PaletteColour(1, i); });
    std::vector<QString> paths;
    std::vector<QString> standards;
    for (const wildilda::File& file : files) {
        const QString name = QString::fromStdString(file.name);
        paths.push_back(Write(name + QStringLiteral(".ild"), file.bytes));
        // Outside the searched directory.
        standards.push_back(temp.path() + QStringLiteral("/standard ") + name +
                            QStringLiteral(".ild"));
        QFile standard(standards.back());
        ASSERT_TRUE(standard.open(QIODevice::WriteOnly));
        const std::vector<uint8_t> bytes = wildilda::StandardFile(file.frames);
        standard.write(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<qint64>(bytes.size()));
    }
    SearchIldaDirectory();
    ASSERT_EQ(window->fl->Count(), static_cast<int>(files.size()));
    for (size_t k = 0; k < files.size(); ++k) {
        SCOPED_TRACE(files[k].name);
        const int frames = static_cast<int>(files[k].frames.size());
        window->fl->SelectNone();
        window->fl->SetSelected(Row(paths[k]), true);
        PreviewSelected();
        ASSERT_EQ(window->previewChannel->FrameCount(), frames);
        for (int step = 1; step <= frames + 1; ++step) {
            const int expected = (step - 1) % frames + 1;
            SCOPED_TRACE("step " + std::to_string(step));
            ASSERT_EQ(FrameShown(), expected);
            EXPECT_GT(LitPixels(Shown()), 50);
            EXPECT_EQ(DifferingPixels(Shown(), ExpectedPicture(standards[k], expected, 1)), 0);
            window->RxBitBtn8->click();
            QCoreApplication::processEvents();
        }
        // Played, one loop of ticks shows every frame lit and comes back to the first.
        window->RzBitBtn9->click();
        ASSERT_TRUE(Playing());
        const int start = FrameShown();
        for (int tick = 1; tick <= frames; ++tick) {
            window->TimerTick();
            EXPECT_EQ(FrameShown(), (start - 1 + tick) % frames + 1);
            EXPECT_GT(LitPixels(Shown()), 50) << "tick " << tick;
        }
        EXPECT_EQ(FrameShown(), start);
        window->RzBitBtn8->click();
        window->RzBitBtn11->click();
    }
    EXPECT_TRUE(dialogs.asked.empty());
}

TEST_F(PreviewTest, FramesOfATwoFrameFileDifferAndMatchTheRenderCommandsPicture) {
    const QString path = Write(QStringLiteral("two frames.ild"), IldaFile({Star(), Square()}));
    SearchIldaDirectory();
    PreviewSelected();
    const QImage first = Shown();
    window->RxBitBtn8->click();
    const QImage second = Shown();
    EXPECT_GT(DifferingPixels(first, second), 200);

    for (int frame : {1, 2}) {
        SCOPED_TRACE(frame);
        const QString png = temp.path() + QStringLiteral("/frame%1.png").arg(frame);
        QProcess render;
        render.start(QStringLiteral(TRELLION_CLI),
                     {QStringLiteral("render"), path, QStringLiteral("--frame"),
                      QString::number(frame), QStringLiteral("-o"), png});
        ASSERT_TRUE(render.waitForFinished(30000));
        ASSERT_EQ(render.exitCode(), 0) << render.readAllStandardError().toStdString();
        const QImage rendered(png);
        ASSERT_FALSE(rendered.isNull());
        EXPECT_GT(LitPixels(rendered), 200);
        EXPECT_EQ(DifferingPixels(frame == 1 ? first : second, rendered), 0);
    }
}

// A paint of the drawing area that is not the preview's own (here one the test asks for with
// update(); the window system asks for one when the area is shown or resized) loads the file
// afresh and shows frame 1; our own pictures do not.
TEST_F(PreviewTest, APaintNotOfThePreviewsOwnLoadsTheFileAgain) {
    const QString path =
        Write(QStringLiteral("three.ild"), IldaFile({Star(), Square(), Triangle()}));
    SearchIldaDirectory();
    PreviewSelected();
    window->RxBitBtn8->click();
    window->RxBitBtn8->click();
    QCoreApplication::processEvents();
    ASSERT_EQ(FrameShown(), 3);

    window->PaintBox->update();
    QCoreApplication::processEvents();
    EXPECT_EQ(FrameShown(), 1);
    EXPECT_EQ(DifferingPixels(Shown(), ExpectedPicture(path, 1, 1)), 0);
}

TEST_F(PreviewTest, PlayAndStopSwitchTheButtonsAndTheTimer) {
    Write(QStringLiteral("three.ild"), IldaFile({Star(), Square(), Triangle()}));
    SearchIldaDirectory();
    PreviewSelected();
    ASSERT_TRUE(Stepping());

    // The bar never moved: the first tick comes after the starting 500 ms, later ones after
    // the bar's 154 ms.
    window->RzBitBtn9->click();
    EXPECT_TRUE(Playing());
    EXPECT_EQ(window->MyTimer1->interval(), 500);
    EXPECT_GT(window->MyTimer1->remainingTime(), 400);
    // Clicks on the disabled Next and Prev do nothing.
    window->RxBitBtn8Click();
    window->RzBitBtn7Click();
    EXPECT_EQ(FrameShown(), 1);

    // One real tick of the timer.
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(QTest::qWaitFor([&] { return FrameShown() == 2; }, 5000));
    EXPECT_GE(clock.elapsed(), 400);
    EXPECT_EQ(window->MyTimer1->interval(), 154);
    EXPECT_TRUE(window->MyTimer1->isActive());

    window->TimerTick();
    EXPECT_EQ(FrameShown(), 3);
    window->TimerTick();
    EXPECT_EQ(FrameShown(), 1);

    // The bar at 20: 50 ms after the move, then 14 ms from the next tick on.
    window->TrackBar1->setValue(20);
    EXPECT_EQ(window->MyTimer1->interval(), 50);
    EXPECT_TRUE(window->MyTimer1->isActive());
    window->TimerTick();
    EXPECT_EQ(window->MyTimer1->interval(), 14);

    window->RzBitBtn8->click();
    EXPECT_TRUE(Stepping());
    const int shown = FrameShown();
    QTest::qWait(60);
    EXPECT_EQ(FrameShown(), shown);
}

TEST_F(PreviewTest, TheIntervalFollowsTheBarBoundedOnlyWhenTheBarMoves) {
    struct Row {
        int position;
        int afterChange;
        int afterTick;
    };
    // In an order where every position differs from the one before, so each move notifies.
    const std::vector<Row> rows = {
        {0, 294, 294}, {10, 154, 154}, {17, 56, 56}, {18, 50, 42}, {20, 50, 14}, {19, 50, 28},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.position);
        window->TrackBar1->setValue(row.position);
        EXPECT_EQ(window->MyTimer1->interval(), row.afterChange);
        window->TimerTick();
        EXPECT_EQ(window->MyTimer1->interval(), row.afterTick);
    }
    // With nothing previewed a tick only sets the interval.
    EXPECT_EQ(window->currentFrame, nullptr);
    EXPECT_FALSE(window->MyTimer1->isActive());
}

TEST_F(PreviewTest, APaletteChangeWhilePlayingReloadsWithItAndPlaysOnFromTheFirstFrame) {
    const QString path =
        Write(QStringLiteral("three.ild"), IldaFile({Star(), Square(), Triangle()}));
    SearchIldaDirectory();
    PreviewSelected();
    window->RzBitBtn9->click();
    window->TimerTick();
    ASSERT_EQ(FrameShown(), 2);

    window->RzRadioGroup1->Button(0)->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(window->RzRadioGroup1->ItemIndex(), 0);
    EXPECT_EQ(FrameShown(), 1);
    EXPECT_TRUE(Playing());
    const CVector* lit =
        window->currentFrame->FirstThing()->FirstVertex()->Next(false)->Next(false);
    EXPECT_EQ(lit->colour, PaletteColour(0, 40));
    EXPECT_EQ(DifferingPixels(Shown(), ExpectedPicture(path, 1, 0)), 0);
    EXPECT_GT(DifferingPixels(Shown(), ExpectedPicture(path, 1, 1)), 0);
    window->TimerTick();
    EXPECT_EQ(FrameShown(), 2);
}

TEST_F(PreviewTest, APaletteChangeWithoutAPreviewChangesNothingUntilTheNextPreview) {
    const QString path = Write(QStringLiteral("star.ild"), IldaFile({Star()}));
    SearchIldaDirectory();
    window->RzRadioGroup1->Button(2)->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(window->ThPanel1->isHidden());
    EXPECT_EQ(window->previewScene, nullptr);
    EXPECT_TRUE(window->PS1->isVisible());
    EXPECT_TRUE(dialogs.asked.empty());

    PreviewSelected();
    EXPECT_EQ(DifferingPixels(Shown(), ExpectedPicture(path, 1, 2)), 0);
}

TEST_F(PreviewTest, ClickingAnotherFileShowsItFromItsFirstFrame) {
    const QString a = Write(QStringLiteral("a.ild"), IldaFile({Star(), Square()}));
    const QString b = Write(QStringLiteral("b.ild"), IldaFile({Triangle(), Square(), Star()}));
    SearchIldaDirectory();
    PreviewSelected();
    window->RxBitBtn8->click();
    ASSERT_EQ(FrameShown(), 2);

    ClickRow(Row(b));
    EXPECT_TRUE(window->fl->IsSelected(Row(b)));
    EXPECT_FALSE(window->fl->IsSelected(Row(a)));
    EXPECT_EQ(window->sp1->Caption(), QStringLiteral(" Previewing File ") + window->fl->Item(1));
    EXPECT_EQ(FrameShown(), 1);
    EXPECT_EQ(window->previewChannel->FrameCount(), 3);
    EXPECT_EQ(DifferingPixels(Shown(), ExpectedPicture(b, 1, 1)), 0);
}

// The choice for no selected item: nothing is loaded, the picture and caption stay, no message.
TEST_F(PreviewTest, WithoutASelectedItemNothingIsLoadedOrStepped) {
    Write(QStringLiteral("three.ild"), IldaFile({Star(), Square(), Triangle()}));
    SearchIldaDirectory();
    PreviewSelected();
    window->RxBitBtn8->click();
    const QImage before = Shown();
    const QString caption = window->sp1->Caption();
    const CScene* scene = window->previewScene.get();

    window->fl->SelectNone();
    window->FileNext();
    window->RxBitBtn8->click();
    window->RzBitBtn7->click();
    window->TimerTick();
    window->PaintBox->repaint();
    QCoreApplication::processEvents();
    EXPECT_EQ(window->previewScene.get(), scene);
    EXPECT_EQ(FrameShown(), 2);
    EXPECT_EQ(DifferingPixels(Shown(), before), 0);
    EXPECT_EQ(window->sp1->Caption(), caption);
    EXPECT_TRUE(dialogs.asked.empty());
}

// During a search the Preview button is disabled; a click in fl then opens the preview panel
// on the clicked file. The click is made from the walk's own event processing.
TEST_F(PreviewTest, AClickInTheListDuringASearchShowsThePreviewPanel) {
    const QString first = Write(QStringLiteral("0 first.ild"), IldaFile({Star()}));
    // Enough directories after the file's that the walk is still busy when the click comes.
    for (int i = 0; i < 200; ++i)
        ASSERT_TRUE(QDir().mkpath(window->IldaDirectory() + QStringLiteral("/d%1/e").arg(i)));

    bool clicked = false;
    bool searchingAtClick = false;
    bool previewButtonEnabled = true;
    QTimer poll;
    poll.setInterval(0);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (clicked || window->fl->Count() == 0)
            return;
        clicked = true;
        searchingAtClick = window->lf->IsSearching();
        previewButtonEnabled = window->RzBitBtn5->isEnabled();
        ClickRow(0);
    });
    poll.start();
    window->Search->click();
    Settle();
    poll.stop();
    ASSERT_TRUE(clicked);
    ASSERT_TRUE(searchingAtClick) << "the search ended before the click";
    EXPECT_FALSE(previewButtonEnabled);
    EXPECT_FALSE(window->ThPanel1->isHidden());
    EXPECT_EQ(window->fl->height(), 282);
    EXPECT_EQ(window->sp1->Caption(), QStringLiteral(" Previewing File ") + window->fl->Item(0));
    EXPECT_EQ(DifferingPixels(Shown(), ExpectedPicture(first, 1, 1)), 0);
}

TEST_F(PreviewTest, SearchReturnsToIdleSearchModeWithTheListKept) {
    Write(QStringLiteral("a.ild"), IldaFile({Star(), Square()}));
    Write(QStringLiteral("b.ild"), IldaFile({Square()}));
    Write(QStringLiteral("c.ild"), IldaFile({Triangle()}));
    SearchIldaDirectory();
    window->fl->SetSelected(1, true);
    window->fl->SetSelected(2, true);
    PreviewSelected();
    window->RzBitBtn9->click();
    ASSERT_TRUE(Playing());

    window->RzBitBtn11->click();
    EXPECT_TRUE(window->ThPanel1->isHidden());
    EXPECT_TRUE(Stepping());
    EXPECT_EQ(window->fl->Count(), 3);
    EXPECT_FALSE(window->fl->IsSelected(0));
    EXPECT_TRUE(window->fl->IsSelected(1));
    EXPECT_TRUE(window->fl->IsSelected(2));
    EXPECT_EQ(window->fl->height(), 282);
    EXPECT_EQ(window->Label1->text(),
              QStringLiteral("Select Folder or Directory to Start From Below"));
    EXPECT_EQ(window->sp1->Caption(), QStringLiteral("Search Mode Enabled"));
    for (QWidget* enabled :
         {static_cast<QWidget*>(window->RzBitBtn1), static_cast<QWidget*>(window->RzBitBtn2),
          static_cast<QWidget*>(window->RzBitBtn4), static_cast<QWidget*>(window->RzBitBtn5),
          static_cast<QWidget*>(window->RzBitBtn6), static_cast<QWidget*>(window->DriveComboBox1)})
        EXPECT_TRUE(enabled->isEnabled()) << enabled->objectName().toStdString();
    EXPECT_GT(window->PS1->parentWidget()->children().indexOf(window->PS1),
              window->PS1->parentWidget()->children().indexOf(window->ThPanel1));
    // A click in the list is a plain selection again.
    ClickRow(0);
    EXPECT_TRUE(window->ThPanel1->isHidden());
}

TEST_F(PreviewTest, ConvertLeavesThePreviewWithItsControlsReset) {
    Write(QStringLiteral("a.ild"), IldaFile({Star(), Square()}));
    SearchIldaDirectory();
    PreviewSelected();
    window->RzBitBtn9->click();
    ASSERT_TRUE(Playing());

    window->RzBitBtn13->click();
    Settle();
    EXPECT_TRUE(window->ThPanel1->isHidden());
    EXPECT_TRUE(Stepping());
    EXPECT_TRUE(window->fl->isHidden());
    EXPECT_EQ(window->fl->Count(), 0);
    EXPECT_TRUE(window->BitBtn1->isEnabled());
}

// A file gone since the search: the reader's own message, once; the empty picture; Next, Prev
// and Play keep showing the one empty frame; repaints do not load (and report) it again
// until a palette is chosen.
TEST_F(PreviewTest, AFileThatCannotBeOpenedIsReportedOnceAndShowsTheEmptyPicture) {
    const QString path = Write(QStringLiteral("gone.ild"), IldaFile({Star(), Square()}));
    SearchIldaDirectory();
    ASSERT_TRUE(QFile::remove(path));

    PreviewSelected();
    for (int i = 0; i < 3; ++i) {
        window->PaintBox->repaint();
        window->PaintBox->update();
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(dialogs.Texts(ScriptedUserDialogs::Kind::Themed),
              std::vector<QString>{QStringLiteral("Cannot open Ilda file.")});
    EXPECT_EQ(dialogs.asked.at(0).themedType, 1);
    EXPECT_EQ(LitPixels(Shown()), 0);
    EXPECT_EQ(window->previewChannel->FrameCount(), 1);
    window->RxBitBtn8->click();
    window->RzBitBtn7->click();
    EXPECT_EQ(FrameShown(), 1);
    window->RzBitBtn9->click();
    window->TimerTick();
    EXPECT_EQ(FrameShown(), 1);
    EXPECT_TRUE(Playing());
    EXPECT_EQ(dialogs.Count(ScriptedUserDialogs::Kind::Themed), 1);

    // Choosing a palette loads (and reports) it again.
    window->RzRadioGroup1->Button(2)->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(dialogs.Count(ScriptedUserDialogs::Kind::Themed), 2);
    EXPECT_EQ(window->fl->Count(), 1);
}

// Memory running out part way through a load is reported as what it is, once, naming the file:
// the timer stopped and the buttons back to stepping, the empty picture, and no loading again
// on the paints that follow. The file stays listed.
TEST_F(PreviewTest, MemoryRunningOutInALoadIsReportedOnceAndStopsPlaying) {
    const QString small = Write(QStringLiteral("a small.ild"), IldaFile({Star(), Square()}));
    // 20,000 sections, each a frame and a thing of the model: far more allocations than the
    // click and the paints before the load make.
    IldaBuilder big;
    for (int f = 0; f < 20000; ++f)
        big.Frame3D(1, static_cast<uint16_t>(f), 20000);
    big.End(20000);
    const QString large = Write(QStringLiteral("b large.ild"), big.Data());
    SearchIldaDirectory();
    PreviewSelected();
    window->RzBitBtn9->click();
    ASSERT_TRUE(Playing());
    ASSERT_GT(LitPixels(Shown()), 0);

    budgetLeft = 5000;
    budgetArmed = true;
    ClickRow(Row(large));
    ASSERT_FALSE(budgetArmed) << "the load did not run out of memory";
    for (int i = 0; i < 3; ++i) {
        window->PaintBox->repaint();
        window->PaintBox->update();
        QCoreApplication::processEvents();
    }
    const QString shown = window->fl->Item(Row(large));
    EXPECT_EQ(dialogs.Texts(ScriptedUserDialogs::Kind::Information),
              std::vector<QString>{QStringLiteral("not enough memory to load ") + shown});
    EXPECT_TRUE(Stepping());
    EXPECT_EQ(LitPixels(Shown()), 0);
    EXPECT_EQ(window->fl->Count(), 2);
    // Next and Prev find nothing to step.
    window->RxBitBtn8->click();
    window->RzBitBtn7->click();
    EXPECT_EQ(LitPixels(Shown()), 0);
    EXPECT_EQ(dialogs.asked.size(), 1u);

    // Another file is previewed normally.
    ClickRow(Row(small));
    EXPECT_EQ(DifferingPixels(Shown(), ExpectedPicture(small, 1, 1)), 0);
}

// The reader's message for a file that cannot be opened comes once the window has finished
// painting: what the screen holds of the window while the box is up is the whole window as it
// is left, not one with the preview panel half drawn over the search panel. (Only the frame
// position, shown once the load is done, may differ.)
TEST_F(PreviewTest, TheMessageOfTheFirstPaintComesOverAFinishedWindow) {
    const QString path = Write(QStringLiteral("gone.ild"), IldaFile({Star(), Square()}));
    Write(QStringLiteral("other.ild"), IldaFile({Square()}));
    SearchIldaDirectory();
    window->fl->SetSelected(Row(path), true);
    ASSERT_TRUE(QFile::remove(path));
    QImage underTheBox;
    dialogs.onAsked = [&](const ScriptedUserDialogs::Asked&) {
        underTheBox = window->QWidget::screen()->grabWindow(window->winId()).toImage();
    };
    PreviewSelected();
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    dialogs.onAsked = nullptr;
    ASSERT_EQ(dialogs.Texts(ScriptedUserDialogs::Kind::Themed),
              std::vector<QString>{QStringLiteral("Cannot open Ilda file.")});
    const QImage finished = window->QWidget::screen()->grabWindow(window->winId()).toImage();
    EXPECT_EQ(DifferingPixelsOutside(underTheBox, finished, FramePositionArea()), 0);
    EXPECT_TRUE(window->ThPanel1->isVisible());
}

// While a file loads (a second for a large one) the screen holds the whole window in preview
// mode, seen here from inside the reader while it reports a file it cannot open: nothing of the
// search panel shows through, and the palette group lies above the preview panel.
TEST_F(PreviewTest, TheWindowIsDrawnWholeWhileTheFileLoads) {
    const QString path = Write(QStringLiteral("gone.ild"), IldaFile({Star(), Square()}));
    Write(QStringLiteral("other.ild"), IldaFile({Square()}));
    SearchIldaDirectory();
    window->fl->SetSelected(Row(path), true);
    ASSERT_TRUE(QFile::remove(path));
    QImage duringTheLoad;
    flowfiles::DuringReports look([&](const std::string&) {
        duringTheLoad = window->QWidget::screen()->grabWindow(window->winId()).toImage();
    });
    PreviewSelected();
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
    ASSERT_FALSE(duringTheLoad.isNull()) << "the reader reported nothing";
    const QImage finished = window->QWidget::screen()->grabWindow(window->winId()).toImage();
    EXPECT_EQ(DifferingPixelsOutside(duringTheLoad, finished, FramePositionArea()), 0);
}

// The preview panel tells which frame is shown, of how many, and the rate the timer plays at,
// after every frame drawn and every move of the bar.
TEST_F(PreviewTest, TheFramePositionAndRateFollowEveryFrame) {
    Write(QStringLiteral("three.ild"), IldaFile({Star(), Square(), Triangle()}));
    SearchIldaDirectory();
    PreviewSelected();
    struct Step {
        const char* name;
        std::function<void()> act;
        const char* shown;
    };
    const std::vector<Step> steps = {
        {"Loaded", [] {}, "frame 1 of 3\n2.0 FPS."},
        {"Next", [&] { window->RxBitBtn8->click(); }, "frame 2 of 3\n2.0 FPS."},
        {"PrevTwiceWrapsToTheLast",
         [&] {
             window->RzBitBtn7->click();
             window->RzBitBtn7->click();
         },
         "frame 3 of 3\n2.0 FPS."},
        {"TickWrapsToTheFirstAtTheBarsRate", [&] { window->TimerTick(); },
         "frame 1 of 3\n6.5 FPS."},
        {"BarMovedToTwenty", [&] { window->TrackBar1->setValue(20); }, "frame 1 of 3\n20.0 FPS."},
        {"TickAtTwenty", [&] { window->TimerTick(); }, "frame 2 of 3\n71.4 FPS."},
        {"BarMovedToZero", [&] { window->TrackBar1->setValue(0); }, "frame 2 of 3\n3.4 FPS."},
        {"AnotherPaletteReloads", [&] { window->RzRadioGroup1->Button(2)->click(); },
         "frame 1 of 3\n3.4 FPS."},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.act();
        QCoreApplication::processEvents();
        EXPECT_EQ(window->RzLabel15->text(), QString::fromUtf8(step.shown));
        // Both lines have room in the label at its widest ("frame 2000 of 2000").
        EXPECT_TRUE(window->RzLabel15->isVisible());
    }
    const QString widest = QStringLiteral("frame 2000 of 2000\n71.4 FPS.");
    const QRect needed = window->RzLabel15->fontMetrics().boundingRect(
        window->RzLabel15->contentsRect(), static_cast<int>(window->RzLabel15->alignment()),
        widest);
    EXPECT_TRUE(window->RzLabel15->contentsRect().contains(needed))
        << needed.width() << "x" << needed.height();
}

// A long path shows in the caption with its middle left out and the file's name whole; the
// whole path is the caption's tooltip. A name that is no valid UTF-8 shows its odd bytes as
// U+FFFD.
TEST_F(PreviewTest, ALongPathShowsItsNameInTheCaptionWithThePathAsTooltip) {
    struct Case {
        const char* name;
        std::string dir;  // below the ILDA directory, as bytes
        std::string file; // as bytes
        QString shownName;
    };
    const std::string deep = "/home-op-shows/festival-2026-main-stage-night-two-final-cut/"
                             "laser-content-library-archive-backup/approved";
    const std::vector<Case> cases = {
        {"LongDirectories", deep, "tunnel.ild", QStringLiteral("tunnel.ild")},
        {"LongDirectoriesAndName", deep, "rainbow_circle_tunnel_final_2.ild",
         QStringLiteral("rainbow_circle_tunnel_final_2.ild")},
        {"Latin1Name", deep + "/caf\xe9-folder", "caf\xe9 intro.ild",
         QStringLiteral("caf\ufffd intro.ild")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string dir = EncodeFileName(window->IldaDirectory()) + c.dir;
        std::error_code error;
        std::filesystem::create_directories(dir, error);
        ASSERT_FALSE(error) << error.message();
        const std::vector<uint8_t> bytes = IldaFile({Star()});
        FILE* out = std::fopen((dir + "/" + c.file).c_str(), "wb");
        ASSERT_NE(out, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
    }
    SearchIldaDirectory();
    ASSERT_EQ(window->fl->Count(), static_cast<int>(cases.size()));
    for (int row = 0; row < window->fl->Count(); ++row) {
        window->fl->SelectNone();
        window->fl->SetSelected(row, true);
        if (window->ThPanel1->isHidden())
            PreviewSelected();
        else
            ClickRow(row);
        const QString path = DisplayedFileName(window->fl->Item(row));
        SCOPED_TRACE(path.toStdString());
        const QString shown = window->sp1->ShownCaption();
        const QString name = path.mid(path.lastIndexOf(u'/') + 1);
        EXPECT_TRUE(shown.endsWith(u'/' + name)) << shown.toStdString();
        EXPECT_TRUE(shown.startsWith(QStringLiteral("Previewing File"))) << shown.toStdString();
        EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();
        for (const QString& line : shown.split(u'\n'))
            EXPECT_LE(window->sp1->fontMetrics().horizontalAdvance(line), window->sp1->width() - 12)
                << line.toStdString();
        EXPECT_LE(window->sp1->fontMetrics().height() * static_cast<int>(shown.count(u'\n') + 1),
                  window->sp1->height() - 4);
        EXPECT_EQ(window->sp1->PathTip(), path);
        EXPECT_EQ(window->sp1->Caption(), QStringLiteral(" Previewing File ") + path);
    }
    EXPECT_TRUE(dialogs.asked.empty());
}

// A picture of the window previewing a star, to be looked at.
TEST_F(PreviewTest, GrabOfThePreview) {
    Write(QStringLiteral("star.ild"), IldaFile({Star(), Square()}));
    Write(QStringLiteral("square.ild"), IldaFile({Square()}));
    SearchIldaDirectory();
    window->fl->SetSelected(Row(window->IldaDirectory() + QStringLiteral("/star.ild")), true);
    PreviewSelected();
    const QImage picture = window->grab().toImage();
    EXPECT_TRUE(picture.save(temp.filePath(QStringLiteral("preview-window.png"))));
    EXPECT_GT(LitPixels(Shown()), 200);
}

} // namespace
