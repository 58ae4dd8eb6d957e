// Opening files from the desktop through the real window: names given to the entry as file
// arguments, and files and folders dropped on the window with real drag events; checked by
// the found-file list, the mode and the picture the preview shows.

#include <QApplication>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QImage>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "app/entrypoint.h"
#include "app/openednames.h"
#include "app/tapplication.h"
#include "ilda/cilda.h"
#include "model/cchannel.h"
#include "model/cframe.h"
#include "model/cscene.h"
#include "render/cscreen.h"
#include "search/filenamecodec.h"
#include "settings/settings.h"
#include "tests/app/windowfixture.h"
#include "tests/ilda/ildabuilder.h"

namespace {

using Kind = ScriptedUserDialogs::Kind;
using Names = std::vector<std::string>;

TApplication& App() {
    return *static_cast<TApplication*>(QCoreApplication::instance());
}

// A format-0 file: frame 1 a line from (x0, y0) to (x1, y1) in colour index `colour`, reached
// with the beam off, frame 2 the same line mirrored; then the closing section.
std::vector<uint8_t> LineFile(int16_t x0, int16_t y0, int16_t x1, int16_t y1, uint16_t colour) {
    IldaBuilder b;
    for (uint16_t f = 0; f < 2; ++f) {
        const int16_t sign = f == 0 ? 1 : -1;
        b.Header(0, 3, f, 2);
        b.Point3D(static_cast<int16_t>(sign * x0), y0, 0, 0x4000);
        b.Point3D(static_cast<int16_t>(sign * x0), y0, 0, colour);
        b.Point3D(static_cast<int16_t>(sign * x1), y1, 0, static_cast<uint16_t>(0x8000 | colour));
    }
    b.End(2);
    return b.Data();
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0) << path;
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ::close(fd);
}

// The picture the preview's draw gives for frame 1 of the file with the Ilda palette, made
// with the renderer directly on a surface of the drawing area's size.
QImage ExpectedFirstFrame(const std::string& path) {
    CScene scene(Settings);
    CChannel* channel = scene.AddChannel();
    CIlda reader;
    EXPECT_TRUE(reader.Load(path, channel, 1));
    CScreen screen;
    screen.SetSize(260, 280);
    screen.BeginDraw();
    screen.Clear(0);
    screen.RenderFrame(nullptr, nullptr, nullptr, channel, channel->FirstFrame(), 0);
    screen.EndDraw(false);
    return screen.Image()->convertToFormat(QImage::Format_RGB32);
}

std::vector<QString> Listed(const TConvert& window) {
    std::vector<QString> items;
    for (int row = 0; row < window.fl->Count(); ++row)
        items.push_back(window.fl->Item(row));
    return items;
}

QString Selected(const TConvert& window) {
    const int row = window.fl->NextSelected();
    return row < 0 ? QString() : window.fl->Item(row);
}

bool InPreview(const TConvert& window) {
    return window.ThPanel1->isVisible() && window.fl->isVisible() &&
           window.Label1->text() == QStringLiteral("Drive Volume Below for Preview Mode") &&
           window.sp1->Caption() ==
               QStringLiteral(" Previewing File ") + DisplayedFileName(Selected(window));
}

bool SearchIdle(const TConvert& window) {
    return !window.lf->IsSearching() && !window.ThPanel1->isVisible() && window.PS1->isVisible() &&
           window.RzBitBtn1->isEnabled() && window.RzBitBtn5->isEnabled() && window.fl->isVisible();
}

// Files made in a temporary directory: two line files in the top directory (a horizontal and a
// vertical line, in different colours), one with a Latin-1 name, and a folder of two more.
class OpenFixture {
public:
    OpenFixture() {
        EXPECT_TRUE(temp.isValid());
        root = temp.path().toStdString() + "/desk top";
        EXPECT_EQ(::mkdir(root.c_str(), 0755), 0);
        EXPECT_EQ(::mkdir((root + "/shows").c_str(), 0755), 0);
        EXPECT_EQ(::mkdir((root + "/shows/deep").c_str(), 0755), 0);
        WriteBytes(Path("wide.ild"), LineFile(-20000, 0, 20000, 0, 16));
        WriteBytes(Path("Tall.ild"), LineFile(0, -20000, 0, 20000, 40));
        WriteBytes(Path("caf\xe9.ild"), LineFile(-20000, -20000, 20000, 20000, 56));
        WriteBytes(Path("shows/one.ild"), LineFile(-9000, 5000, 9000, 5000, 1));
        WriteBytes(Path("shows/deep/two.ild"), LineFile(-9000, -5000, 9000, -5000, 2));
    }

    // QTemporaryDir cannot remove a name that is not UTF-8.
    ~OpenFixture() { ::unlink(Path("caf\xe9.ild").c_str()); }
    OpenFixture(const OpenFixture&) = delete;
    OpenFixture& operator=(const OpenFixture&) = delete;

    [[nodiscard]] std::string Path(const std::string& name) const { return root + "/" + name; }
    [[nodiscard]] QString Item(const std::string& name) const { return DecodeFileName(Path(name)); }

    QTemporaryDir temp;
    std::string root;
};

// ---- The entry with file arguments: the real window, started by RunTrellion. ----

enum class Mode { Welcome, SearchIdle, Preview };

struct EntryCase {
    const char* name;
    // Names relative to the fixture's directory, as given on the command line.
    Names given;
    // Expected: the found-file list (names relative to the fixture), in its sorted order.
    Names listed;
    Mode mode;
    // The file previewed, relative, in preview mode.
    std::string previewed;
    // The directory the directory list shows, relative; empty for "not checked".
    std::string directoryShown;
    // The names reported as not opened, relative; one themed message lists them all.
    Names notOpened;
};

class EntryWithNamesTest : public ::testing::TestWithParam<EntryCase> {};

TEST_P(EntryWithNamesTest, ListsPreviewsOrSearchesWhatItIsGiven) {
    const EntryCase& row = GetParam();
    OpenFixture files;
    const std::string previousCurrent = CurrentDirectoryName();
    // Names relative to the current directory, as a shell gives them.
    ASSERT_EQ(::chdir(files.root.c_str()), 0);
    std::vector<const char*> argv{"trellion"};
    for (const std::string& name : row.given)
        argv.push_back(name.c_str());
    const Names names = CommandLineNames(static_cast<int>(argv.size()), argv.data());

    ScriptedUserDialogs dialogs;
    App().SetDialogs(&dialogs);
    QTemporaryDir base;
    std::vector<QString> listed;
    QString selected;
    QString directoryShown;
    bool preview = false;
    bool searchIdle = false;
    bool welcome = false;
    int frameShown = 0;
    QImage picture;
    bool guardFired = false;
    QElapsedTimer clock;
    clock.start();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        TConvert* window = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* found = qobject_cast<TConvert*>(top); found && found->isVisible())
                window = found;
        if (window == nullptr)
            return;
        const bool settled = !window->lf->IsSearching() &&
                             (window->ThPanel1->isHidden() || window->currentFrame != nullptr);
        if (clock.elapsed() < 300 || !settled) {
            if (clock.elapsed() > 10000) {
                guardFired = true;
                QCoreApplication::exit(-1);
            }
            return;
        }
        listed = Listed(*window);
        selected = Selected(*window);
        directoryShown = window->DirectoryListBox1->Directory();
        preview = InPreview(*window);
        searchIdle = SearchIdle(*window);
        welcome = window->RzPanel3->isVisible();
        frameShown = window->currentFrame ? window->currentFrame->Index() : 0;
        picture = window->PaintBox->Canvas().copy();
        window->RzBitBtn12->setEnabled(true);
        window->RzBitBtn12->click();
    });
    poll.start(20);
    EXPECT_EQ(RunTrellion(App(), &dialogs, base.path(), names), 0);
    poll.stop();
    App().SetDialogs(nullptr);
    ASSERT_EQ(::chdir(previousCurrent.c_str()), 0);
    ASSERT_FALSE(guardFired) << "the window did not settle";

    std::vector<QString> expectedListed;
    for (const std::string& name : row.listed)
        expectedListed.push_back(files.Item(name));
    EXPECT_EQ(listed, expectedListed);

    EXPECT_EQ(welcome, row.mode == Mode::Welcome);
    EXPECT_EQ(searchIdle, row.mode == Mode::SearchIdle);
    EXPECT_EQ(preview, row.mode == Mode::Preview);
    if (row.mode == Mode::Preview) {
        EXPECT_EQ(selected, files.Item(row.previewed));
        EXPECT_EQ(frameShown, 1);
        EXPECT_GT(LitPixels(picture), 100);
        EXPECT_EQ(DifferingPixels(picture, ExpectedFirstFrame(files.Path(row.previewed))), 0);
    }
    if (!row.directoryShown.empty()) {
        EXPECT_EQ(directoryShown, files.Item(row.directoryShown));
    }

    // No question: the list was empty. At most the one message about names not opened.
    EXPECT_EQ(dialogs.Count(Kind::Confirm), 0);
    const std::vector<QString> themed = dialogs.Texts(Kind::Themed);
    if (row.notOpened.empty()) {
        EXPECT_TRUE(themed.empty());
    } else {
        ASSERT_EQ(themed.size(), 1u);
        for (const std::string& name : row.notOpened)
            EXPECT_TRUE(themed[0].contains(u'"' + DisplayedFileName(files.Item(name)) + u'"'))
                << themed[0].toStdString();
        EXPECT_EQ(dialogs.asked.front().themedType, static_cast<int>(mtWarning));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, EntryWithNamesTest,
    ::testing::Values(
        EntryCase{"OneFile", {"wide.ild"}, {"wide.ild"}, Mode::Preview, "wide.ild", "", {}},
        // Listed in the list's sorted order; the first given is the one previewed.
        EntryCase{"TwoFilesFirstGivenIsPreviewed",
                  {"wide.ild", "Tall.ild"},
                  {"Tall.ild", "wide.ild"},
                  Mode::Preview,
                  "wide.ild",
                  "",
                  {}},
        EntryCase{"NameGivenTwiceIsListedOnce",
                  {"Tall.ild", "./Tall.ild", "shows/../Tall.ild"},
                  {"Tall.ild"},
                  Mode::Preview,
                  "Tall.ild",
                  "",
                  {}},
        EntryCase{"FolderIsSearched",
                  {"shows"},
                  {"shows/deep/two.ild", "shows/one.ild"},
                  Mode::SearchIdle,
                  "",
                  "shows",
                  {}},
        EntryCase{"FilesBesideAFolderAreListedWithWhatItFinds",
                  {"wide.ild", "shows"},
                  {"shows/deep/two.ild", "shows/one.ild", "wide.ild"},
                  Mode::SearchIdle,
                  "",
                  "shows",
                  {}},
        EntryCase{"MissingNamesAreReportedOnceAndTheRestOpens",
                  {"gone.ild", "Tall.ild", "shows/none"},
                  {"Tall.ild"},
                  Mode::Preview,
                  "Tall.ild",
                  "",
                  {"gone.ild", "shows/none"}},
        EntryCase{"OnlyMissingNamesLeaveTheWelcomePanel",
                  {"gone.ild"},
                  {},
                  Mode::Welcome,
                  "",
                  "",
                  {"gone.ild"}},
        EntryCase{
            "Latin1Name", {"caf\xe9.ild"}, {"caf\xe9.ild"}, Mode::Preview, "caf\xe9.ild", "", {}}),
    [](const ::testing::TestParamInfo<EntryCase>& info) { return std::string(info.param.name); });

// ---- Drops on the window, delivered as real drag events. ----

struct DragOutcome {
    bool enterAccepted = false;
    bool moveAccepted = false;
    bool dropAccepted = false;
};

// Drags the URLs over `target` and drops them there, as the window system delivers a drag from
// a file manager: enter, move, drop, each through the application (which passes them from the
// widget under the cursor to the one that takes drops).
DragOutcome DragAndDrop(QWidget* target, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    // File managers offer the names as plain text too, which edit boxes would take.
    QStringList texts;
    for (const QUrl& url : urls)
        texts.push_back(url.toString());
    data.setText(texts.join(u'\n'));
    const QPoint at = target->rect().center();
    DragOutcome outcome;
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &data,
                          Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    outcome.enterAccepted = enter.isAccepted();
    QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &data, Qt::LeftButton,
                        Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    outcome.moveAccepted = move.isAccepted();
    QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &data,
                    Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    outcome.dropAccepted = drop.isAccepted();
    // The dropped names are opened once the drop has ended.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    return outcome;
}

QUrl UrlOf(const std::string& path) {
    return QUrl::fromEncoded(QByteArray("file://") +
                             QByteArray::fromStdString(path).toPercentEncoding("/"));
}

class DropTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        window->activateWindow();
    }

public:
    [[nodiscard]] ScriptedUserDialogs& Dialogs() { return dialogs; }
    // Waits for the search and the preview's paint.
    void Finish() const {
        Settle();
        QElapsedTimer clock;
        clock.start();
        while (window->ThPanel1->isVisible() && window->currentFrame == nullptr &&
               clock.elapsed() < 3000)
            QCoreApplication::processEvents();
    }

    OpenFixture files;
};

struct DropCase {
    const char* name;
    // Brings the window into the mode the drop lands in.
    std::function<void(DropTest&, TConvert&)> before;
    // The widget the drop lands on.
    std::function<QWidget*(TConvert&)> target;
};

class DropOfAFileTest : public DropTest, public ::testing::WithParamInterface<DropCase> {};

TEST_P(DropOfAFileTest, ListsAndPreviewsItFromAnyMode) {
    GetParam().before(*this, *window);
    const std::vector<QString> before = Listed(*window);
    const DragOutcome outcome =
        DragAndDrop(GetParam().target(*window), {UrlOf(files.Path("caf\xe9.ild"))});
    Finish();
    EXPECT_TRUE(outcome.enterAccepted);
    EXPECT_TRUE(outcome.moveAccepted);
    EXPECT_TRUE(outcome.dropAccepted);
    const std::vector<QString> listed = Listed(*window);
    EXPECT_EQ(listed.size(), before.size() + 1);
    EXPECT_NE(std::find(listed.begin(), listed.end(), files.Item("caf\xe9.ild")), listed.end());
    EXPECT_TRUE(InPreview(*window));
    EXPECT_EQ(Selected(*window), files.Item("caf\xe9.ild"));
    EXPECT_EQ(window->currentFrame ? window->currentFrame->Index() : 0, 1);
    EXPECT_EQ(
        DifferingPixels(window->PaintBox->Canvas(), ExpectedFirstFrame(files.Path("caf\xe9.ild"))),
        0);
    EXPECT_EQ(dialogs.Count(Kind::Confirm), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, DropOfAFileTest,
    ::testing::Values(DropCase{"OnTheWelcomePanel", [](DropTest&, TConvert&) {},
                               [](TConvert& w) -> QWidget* { return w.RzPanel3; }},
                      DropCase{"OnAnEditBoxInConvertMode",
                               [](DropTest& test, TConvert& w) {
                                   w.Convert->click();
                                   test.Finish();
                               },
                               [](TConvert& w) -> QWidget* { return w.Edit1; }},
                      DropCase{"OnTheFoundListInPreviewMode",
                               [](DropTest& test, TConvert& w) {
                                   w.OpenNames({test.files.Path("wide.ild")});
                                   test.Finish();
                                   ASSERT_TRUE(w.ThPanel1->isVisible());
                               },
                               [](TConvert& w) -> QWidget* { return w.fl->viewport(); }},
                      DropCase{"OnTheDrawingAreaInPreviewMode",
                               [](DropTest& test, TConvert& w) {
                                   w.OpenNames({test.files.Path("Tall.ild")});
                                   test.Finish();
                               },
                               [](TConvert& w) -> QWidget* { return w.PaintBox; }}),
    [](const ::testing::TestParamInfo<DropCase>& info) { return std::string(info.param.name); });

TEST_F(DropTest, AFolderDroppedOnAListAsksTheSearchQuestionAndYesKeepsTheList) {
    window->OpenNames({files.Path("wide.ild")});
    Finish();
    ASSERT_TRUE(InPreview(*window));
    dialogs.confirmAnswers.push_back(TAnswer::Yes);
    const DragOutcome outcome = DragAndDrop(window->PaintBox, {UrlOf(files.Path("shows"))});
    Finish();
    EXPECT_TRUE(outcome.dropAccepted);
    EXPECT_EQ(dialogs.Count(Kind::Confirm), 1);
    EXPECT_EQ(Listed(*window),
              (std::vector<QString>{files.Item("shows/deep/two.ild"), files.Item("shows/one.ild"),
                                    files.Item("wide.ild")}));
    EXPECT_TRUE(SearchIdle(*window));
    EXPECT_EQ(window->DirectoryListBox1->Directory(), files.Item("shows"));
}

TEST_F(DropTest, AFolderAndAFileDroppedOnAListAnsweredCancelSearchAndListNothing) {
    window->OpenNames({files.Path("wide.ild")});
    Finish();
    ASSERT_TRUE(InPreview(*window));
    dialogs.confirmAnswers.push_back(TAnswer::Cancel);
    const DragOutcome outcome =
        DragAndDrop(window->PaintBox, {UrlOf(files.Path("shows")), UrlOf(files.Path("Tall.ild"))});
    Finish();
    EXPECT_TRUE(outcome.dropAccepted);
    EXPECT_EQ(dialogs.Count(Kind::Confirm), 1);
    EXPECT_EQ(Listed(*window), std::vector<QString>{files.Item("wide.ild")});
    EXPECT_TRUE(SearchIdle(*window));
}

TEST_F(DropTest, DragsOfNoLocalFileAreNotTaken) {
    const DragOutcome outcome =
        DragAndDrop(window->RzPanel3, {QUrl(QStringLiteral("https://example.org/a.ild"))});
    EXPECT_FALSE(outcome.enterAccepted);
    EXPECT_FALSE(outcome.dropAccepted);
    EXPECT_TRUE(window->RzPanel3->isVisible());
}

// While a workflow runs, a drag is refused at once (the cursor shows no drop) and a drop
// opens nothing. Each row starts a real workflow and drags while it runs.
struct BusyCase {
    const char* name;
    // Starts the workflow; calls `drag` while it runs.
    std::function<void(DropTest&, TConvert&, const std::function<void()>& drag)> run;
};

class DropWhileBusyTest : public DropTest, public ::testing::WithParamInterface<BusyCase> {};

TEST_P(DropWhileBusyTest, IsRefused) {
    int drags = 0;
    DragOutcome outcome;
    std::vector<QString> listedBefore;
    std::vector<QString> listedAfter;
    GetParam().run(*this, *window, [&] {
        ++drags;
        listedBefore = Listed(*window);
        outcome = DragAndDrop(window->fl->isVisible() ? static_cast<QWidget*>(window->fl)
                                                      : static_cast<QWidget*>(window->Panel1),
                              {UrlOf(files.Path("Tall.ild"))});
        listedAfter = Listed(*window);
    });
    Finish();
    ASSERT_EQ(drags, 1) << "the workflow did not run";
    EXPECT_FALSE(outcome.enterAccepted);
    EXPECT_FALSE(outcome.moveAccepted);
    EXPECT_FALSE(outcome.dropAccepted);
    EXPECT_EQ(listedAfter, listedBefore);
    const std::vector<QString> listed = Listed(*window);
    EXPECT_EQ(std::find(listed.begin(), listed.end(), files.Item("Tall.ild")), listed.end());
    EXPECT_FALSE(window->ThPanel1->isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Workflows, DropWhileBusyTest,
    ::testing::Values(
        BusyCase{"Search",
                 [](DropTest&, TConvert& w, const std::function<void()>& drag) {
                     w.Search->click();
                     ASSERT_TRUE(w.lf->IsSearching());
                     drag();
                 }},
        // The save's first question comes while the save runs (its buttons are disabled).
        BusyCase{"Save",
                 [](DropTest& test, TConvert& w, const std::function<void()>& drag) {
                     w.DirectoryListBox1->SetDirectory(test.files.Item("shows"));
                     w.Search->click();
                     test.Finish();
                     w.fl->SetSelected(0, true);
                     test.Dialogs().confirmAnswers.push_back(TAnswer::Cancel);
                     test.Dialogs().onAsked = [&](const ScriptedUserDialogs::Asked& asked) {
                         if (asked.kind == Kind::Confirm)
                             drag();
                     };
                     w.RzBitBtn2->click();
                     test.Dialogs().onAsked = nullptr;
                 }},
        // A file gone after it was listed: the conversion reports it while it goes on.
        BusyCase{"BatchConversion",
                 [](DropTest& test, TConvert& w, const std::function<void()>& drag) {
                     w.Convert->click();
                     test.Finish();
                     w.DirectoryListBox1->SetDirectory(test.files.Item("shows"));
                     ASSERT_EQ(::unlink(test.files.Path("shows/one.ild").c_str()), 0);
                     test.Dialogs().onAsked = [&](const ScriptedUserDialogs::Asked& asked) {
                         if (asked.kind == Kind::Themed)
                             drag();
                     };
                     w.BitBtn1->click();
                     test.Dialogs().onAsked = nullptr;
                 }}),
    [](const ::testing::TestParamInfo<BusyCase>& info) { return std::string(info.param.name); });

} // namespace
