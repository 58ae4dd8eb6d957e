// The batch conversion through the window: real ILDA files in the window's ILDA directory,
// scene files read back from the scene directory, scripted answers, the window's own event
// loop dispatch between files.

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QTest>
#include <QTimer>

#include <fstream>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "ilda/colourpalettes.h"
#include "model/cchannel.h"
#include "model/cframe.h"
#include "model/cscene.h"
#include "model/cthing.h"
#include "model/cvector.h"
#include "scene/scenefile.h"
#include "settings/settings.h"
#include "tests/app/flowfiles.h"
#include "tests/app/windowfixture.h"
#include "tests/ilda/wildildafiles.h"
#include "widgets/tdirectorylistbox.h"
#include "widgets/tdrivecombobox.h"
#include "widgets/tfilelistbox.h"
#include "widgets/tglyphbutton.h"
#include "widgets/tradiogroup.h"
#include "widgets/tstatuspanel.h"

namespace {

using namespace flowfiles;
using Kind = ScriptedUserDialogs::Kind;

const QString cannotOpen = QStringLiteral("Cannot open Ilda file.");

class ConvertFlowTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        window->Convert->click();
        Settle();
        ildaDir = window->IldaDirectory();
        sceneDir = window->SceneDirectory();
    }

    // Writes the ILDA files (frames = position + 1) into the left directory and re-reads it.
    void PutIldaFiles(const QStringList& names) {
        for (int i = 0; i < names.size(); ++i)
            WriteFile(ildaDir + u'/' + names[i], IldaFile(i + 1, 10));
        window->FileListBox1->Update();
    }

    // The scene file's frames, or -1 when it is missing or unreadable.
    int SceneFrames(const QString& name) const {
        CScene scene(Settings);
        if (!LoadSceneFile((sceneDir + u'/' + name).toStdString(), &scene))
            return -1;
        return scene.FirstChannel() ? scene.FirstChannel()->FrameCount() : -1;
    }

    // Posts a press and a release of the left button in the middle of the button, as a click
    // arrives from the window system: two events.
    static void PostClick(QWidget* button) {
        const QPointF centre(button->width() / 2.0, button->height() / 2.0);
        const QPointF global = button->mapToGlobal(centre);
        QCoreApplication::postEvent(button, new QMouseEvent(QEvent::MouseButtonPress, centre,
                                                            global, Qt::LeftButton, Qt::LeftButton,
                                                            Qt::NoModifier));
        QCoreApplication::postEvent(button,
                                    new QMouseEvent(QEvent::MouseButtonRelease, centre, global,
                                                    Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
    }

    void ExpectIdleControls() const {
        EXPECT_TRUE(window->BitBtn1->isEnabled());
        EXPECT_FALSE(window->BitBtn3->isEnabled());
        EXPECT_TRUE(window->BitBtn2->isEnabled());
        EXPECT_TRUE(window->RzBitBtn1->isEnabled());
        EXPECT_TRUE(window->RzRadioGroup1->isEnabled());
        EXPECT_TRUE(window->DriveComboBox1->isEnabled());
        EXPECT_TRUE(window->DriveComboBox2->isEnabled());
        EXPECT_TRUE(window->DirectoryListBox1->isEnabled());
        EXPECT_TRUE(window->DirectoryListBox2->isEnabled());
        EXPECT_TRUE(window->sp1->isHidden());
        EXPECT_EQ(window->sp1->FontColour(), QColor(Qt::black));
    }

    QString ildaDir;
    QString sceneDir;
};

struct NamingCase {
    const char* name;
    const char* ilda;
    const char* scene;
    bool sceneExists;
};

class ConvertNamingTest : public ConvertFlowTest,
                          public ::testing::WithParamInterface<NamingCase> {};

TEST_P(ConvertNamingTest, WritesTheSceneFileBesideItsNameInTheRightHandDirectory) {
    const NamingCase& row = GetParam();
    if (row.sceneExists)
        WriteFile(sceneDir + u'/' + row.scene, "old scene file");
    PutIldaFiles({row.ilda});
    window->BitBtn1->click();

    const QByteArray written = ReadFile(sceneDir + u'/' + row.scene);
    EXPECT_TRUE(written.startsWith("SCN7"));
    EXPECT_EQ(SceneFrames(row.scene), 1);
    EXPECT_EQ(FilesIn(sceneDir), QStringList({row.scene}));
    EXPECT_EQ(window->FileListBox2->Items(), QStringList({row.scene}));
    EXPECT_EQ(window->Edit1->text(), QStringLiteral("Finished converting 1 of 1 files."));
    EXPECT_EQ(window->Edit2->text(), QStringLiteral("Saving File :: ") + row.scene);
    EXPECT_EQ(window->sp1->Caption(), QStringLiteral("Writing File :: ") + row.ilda);
    EXPECT_TRUE(dialogs.asked.empty());
    ExpectIdleControls();
}

INSTANTIATE_TEST_SUITE_P(
    Names, ConvertNamingTest,
    ::testing::Values(NamingCase{"LowerCase", "laser.ild", "laser.scn", false},
                      NamingCase{"ReplacesExisting", "laser.ild", "laser.scn", true},
                      NamingCase{"OnlyTheLastThreeCharactersChange", "SHOW.ILD", "SHOW.scn",
                                 false}),
    [](const ::testing::TestParamInfo<NamingCase>& info) { return std::string(info.param.name); });

TEST_F(ConvertFlowTest, FiveFilesAreAllConvertedAndListed) {
    const QStringList names = {"a.ild", "b.ild", "c.ild", "d.ild", "e.ild"};
    PutIldaFiles(names);
    window->BitBtn1->click();

    EXPECT_EQ(window->Edit1->text(), QStringLiteral("Finished converting 5 of 5 files."));
    const QStringList scenes = {"a.scn", "b.scn", "c.scn", "d.scn", "e.scn"};
    EXPECT_EQ(window->FileListBox2->Items(), scenes);
    for (int i = 0; i < scenes.size(); ++i)
        EXPECT_EQ(SceneFrames(scenes[i]), i + 1) << scenes[i].toStdString();
    EXPECT_EQ(window->FileListBox1->Items(), names);
    EXPECT_FALSE(window->stopRequested);
    EXPECT_TRUE(dialogs.asked.empty());
    ExpectIdleControls();
}

// What a person sees while a file is converted: looked at from inside the reader's report of
// the file it cannot open, the third of five.
TEST_F(ConvertFlowTest, WhileAFileIsConvertedTheStatusShowsItAndOnlyStopAndCloseWork) {
    PutIldaFiles({"a.ild", "b.ild", "c.ild", "d.ild", "e.ild"});
    MakeUnopenable(ildaDir + QStringLiteral("/c.ild"));
    int looked = 0;
    DuringReports look([&](const std::string&) {
        ++looked;
        EXPECT_EQ(window->Edit1->text(), QStringLiteral("Converting File 3 of 5 c.ild"));
        EXPECT_EQ(window->sp1->Caption(), QStringLiteral("Writing File :: c.ild"));
        EXPECT_FALSE(window->sp1->isHidden());
        EXPECT_EQ(window->sp1->FontColour(), QColor(Qt::red));
        EXPECT_EQ(window->Edit2->text(), QStringLiteral("Saving File :: b.scn"));
        EXPECT_TRUE(window->BitBtn3->isEnabled());
        EXPECT_TRUE(window->BitBtn2->isEnabled());
        EXPECT_FALSE(window->BitBtn1->isEnabled());
        EXPECT_FALSE(window->RzBitBtn1->isEnabled());
        EXPECT_FALSE(window->RzRadioGroup1->isEnabled());
        EXPECT_FALSE(window->DriveComboBox1->isEnabled());
        EXPECT_FALSE(window->DriveComboBox2->isEnabled());
        EXPECT_FALSE(window->DirectoryListBox1->isEnabled());
        EXPECT_FALSE(window->DirectoryListBox2->isEnabled());
        EXPECT_TRUE(window->grab().save(temp.filePath(QStringLiteral("batch-converting.png"))));
    });
    window->BitBtn1->click();
    EXPECT_EQ(looked, 1);
}

// Start is disabled while the batch runs; the keyboard focus it had moves to Stop, not along
// the tab order into the status box, and comes back at the end.
TEST_F(ConvertFlowTest, StartGivesTheFocusToStopForTheBatchAndGetsItBack) {
    PutIldaFiles({"a.ild", "b.ild", "c.ild"});
    MakeUnopenable(ildaDir + QStringLiteral("/b.ild"));
    window->activateWindow();
    window->Edit1->setFocus();
    QCoreApplication::processEvents();
    std::vector<std::string> focused;
    DuringReports look([&](const std::string&) {
        QWidget* focus = QApplication::focusWidget();
        focused.push_back(focus ? focus->objectName().toStdString() : "none");
    });
    QTest::mouseClick(window->BitBtn1, Qt::LeftButton);
    EXPECT_EQ(focused, std::vector<std::string>{"BitBtn3"});
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_EQ(QApplication::focusWidget(), window->BitBtn1);
}

TEST_F(ConvertFlowTest, AnErrorOnTheThirdOfFiveNamesItAndEndsTheBatchThere) {
    PutIldaFiles({"a.ild", "b.ild", "c.ild", "d.ild", "e.ild"});
    MakeUnopenable(ildaDir + QStringLiteral("/c.ild"));
    RaisingReports raising(IsCannotOpen);
    window->BitBtn1->click();

    EXPECT_EQ(raising.raised, 1);
    EXPECT_EQ(dialogs.Texts(Kind::Themed), std::vector<QString>({cannotOpen}));
    EXPECT_EQ(dialogs.Texts(Kind::Information),
              std::vector<QString>({QStringLiteral("        The Following File is Corrupt  c.ild "
                                                   "\n Remove  c.ild  from the Files to be "
                                                   "Converted")}));
    // Two scene files were written.
    EXPECT_EQ(window->Edit1->text(), QStringLiteral("Finished converting 2 of 5 files."));
    EXPECT_EQ(FilesIn(sceneDir), QStringList({"a.scn", "b.scn"}));
    EXPECT_EQ(SceneFrames("a.scn"), 1);
    EXPECT_EQ(SceneFrames("b.scn"), 2);
    EXPECT_TRUE(window->stopRequested);
    ExpectIdleControls();
}

// Events of the program's own posted before Start: the batch dispatches one before each file,
// so each shows Edit1 as the file before left it.
TEST_F(ConvertFlowTest, OneEventIsDispatchedBeforeEachFile) {
    PutIldaFiles({"a.ild", "b.ild", "c.ild", "d.ild", "e.ild"});
    MakeUnopenable(ildaDir + QStringLiteral("/c.ild"));
    RaisingReports raising(IsCannotOpen);
    struct EditReader : QObject {
        QLineEdit* edit = nullptr;
        QStringList seen;
        bool event(QEvent* e) override {
            if (e->type() != QEvent::User)
                return QObject::event(e);
            seen << edit->text();
            return true;
        }
    };
    EditReader reader;
    reader.edit = window->Edit1;
    for (int i = 0; i < 6; ++i)
        QCoreApplication::postEvent(&reader, new QEvent(QEvent::User));
    window->BitBtn1->click();
    // The batch ended before the fourth file; the rest wait for the event loop.
    EXPECT_EQ(reader.seen,
              QStringList({"*.ild", "Converting File 1 of 5 a.ild", "Converting File 2 of 5 b.ild",
                           " Remove Corrupt File :: c.ild"}));
    EXPECT_EQ(window->Edit1->text(), QStringLiteral("Finished converting 2 of 5 files."));
    QCoreApplication::processEvents();
    EXPECT_EQ(reader.seen.size(), 6);
}

TEST_F(ConvertFlowTest, StopIsHandledBetweenFilesOneEventPerFile) {
    const QStringList names = {"a.ild", "b.ild", "c.ild", "d.ild", "e.ild"};
    PutIldaFiles(names);
    // Before the first file an event of the program's own, before the second the press,
    // before the third the release that makes the click.
    QCoreApplication::postEvent(window->Panel1, new QEvent(QEvent::User));
    PostClick(window->BitBtn3);
    window->BitBtn1->click();

    EXPECT_EQ(window->Edit1->text(), QStringLiteral("Finished converting 2 of 5 files."));
    EXPECT_EQ(FilesIn(sceneDir), QStringList({"a.scn", "b.scn"}));
    EXPECT_TRUE(window->stopRequested);
    ExpectIdleControls();

    // Start again: the whole list from its first file.
    QFile::remove(sceneDir + QStringLiteral("/a.scn"));
    window->BitBtn1->click();
    EXPECT_EQ(window->Edit1->text(), QStringLiteral("Finished converting 5 of 5 files."));
    EXPECT_EQ(FilesIn(sceneDir), QStringList({"a.scn", "b.scn", "c.scn", "d.scn", "e.scn"}));
    EXPECT_FALSE(window->stopRequested);
}

TEST_F(ConvertFlowTest, StartAfterAFailedBatchBeginsAtTheFirstFile) {
    PutIldaFiles({"a.ild", "b.ild", "c.ild"});
    MakeUnopenable(ildaDir + QStringLiteral("/b.ild"));
    {
        RaisingReports raising(IsCannotOpen);
        window->BitBtn1->click();
    }
    EXPECT_EQ(window->Edit1->text(), QStringLiteral("Finished converting 1 of 3 files."));
    EXPECT_EQ(FilesIn(sceneDir), QStringList({"a.scn"}));
    QFile::remove(sceneDir + QStringLiteral("/a.scn"));
    QFile::remove(ildaDir + QStringLiteral("/b.ild"));
    WriteFile(ildaDir + QStringLiteral("/b.ild"), IldaFile(2, 10));
    window->FileListBox1->Update();
    window->BitBtn1->click();
    EXPECT_EQ(window->Edit1->text(), QStringLiteral("Finished converting 3 of 3 files."));
    EXPECT_EQ(FilesIn(sceneDir), QStringList({"a.scn", "b.scn", "c.scn"}));
}

// Close quits the application: the event loop ends once the batch has returned, and the batch
// ends before the next file.
TEST_F(ConvertFlowTest, CloseDuringABatchEndsItBetweenFiles) {
    PutIldaFiles({"a.ild", "b.ild", "c.ild", "d.ild"});
    bool ran = false;
    QTimer::singleShot(0, window.get(), [&] {
        ran = true;
        PostClick(window->BitBtn2);
        window->BitBtn1->click();
    });
    // Ends the loop in any case, should the batch not quit it.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, qApp, [] { QCoreApplication::exit(1); });
    guard.start(20000);
    const int code = QCoreApplication::exec();
    EXPECT_TRUE(ran);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(window->Edit1->text(), QStringLiteral("Finished converting 1 of 4 files."));
    EXPECT_EQ(FilesIn(sceneDir), QStringList({"a.scn"}));
}

// The palette group's index reaches the reader for every file: each vertex of each scene file
// has the chosen palette's colour of its ILDA colour index.
class ConvertPaletteTest : public ConvertFlowTest, public ::testing::WithParamInterface<int> {};

TEST_P(ConvertPaletteTest, EveryFileIsReadWithTheChosenPalette) {
    const int palette = GetParam();
    const std::vector<uint16_t>& indices = TellingColourIndices();
    for (int other = 0; other < PaletteCount; ++other) {
        if (other != palette) {
            ASSERT_NE(PaletteColour(other, indices[1]), PaletteColour(palette, indices[1]));
        }
    }
    window->RzRadioGroup1->SetItemIndex(palette);
    PutIldaFiles({"a.ild", "b.ild", "c.ild"});
    window->BitBtn1->click();

    for (const char* name : {"a.scn", "b.scn", "c.scn"}) {
        SCOPED_TRACE(name);
        CScene scene(Settings);
        ASSERT_TRUE(LoadSceneFile((sceneDir + u'/' + name).toStdString(), &scene));
        int points = 0;
        int f = 0;
        for (CFrame* frame = scene.FirstChannel()->FirstFrame(); frame != nullptr;
             frame = frame->Next(false), ++f) {
            int p = 0;
            for (const CVector* v = frame->FirstThing()->FirstVertex(); v != nullptr;
                 v = v->next, ++p, ++points)
                ASSERT_EQ(v->colour,
                          PaletteColour(palette, indices[static_cast<size_t>(f + p) % 8]));
        }
        EXPECT_GT(points, 0);
    }
    EXPECT_EQ(window->RzRadioGroup1->ItemIndex(), palette);
}

INSTANTIATE_TEST_SUITE_P(Palettes, ConvertPaletteTest, ::testing::Values(0, 1, 2),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(info.param == 0   ? "Pangolin"
                                                : info.param == 1 ? "Ilda"
                                                                  : "X29");
                         });

// A format-5 file, as most current show software writes them, converts with every frame and
// point: lit points in the chosen palette's entry nearest to their colour, black points and
// points with the blanking bit blanked.
TEST_F(ConvertFlowTest, ATrueColourFileKeepsEveryFrameAndPoint) {
    const int pointsPerFrame[] = {5, 7, 9};
    const auto colourOf = [](int f, int p) {
        if (p == 2)
            return uint32_t{0}; // black
        return static_cast<uint32_t>((f * 37 + p * 53) % 256 | (f * 91 + p * 17) % 256 << 8 |
                                     (p * 71 + 29) % 256 << 16);
    };
    IldaBuilder b;
    for (int f = 0; f < 3; ++f) {
        b.Header(5, static_cast<uint16_t>(pointsPerFrame[f]), static_cast<uint16_t>(f), 3);
        for (int p = 0; p < pointsPerFrame[f]; ++p) {
            const uint32_t c = colourOf(f, p);
            b.Point2DTrueColour(static_cast<int16_t>(p * 1600 - 8000),
                                static_cast<int16_t>(f * 3200), p == 4 ? 0x40 : 0,
                                static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8),
                                static_cast<uint8_t>(c >> 16));
        }
    }
    b.Header(5, 0, 3, 3, "END");
    WriteFile(ildaDir + QStringLiteral("/true colour.ild"),
              QByteArray(reinterpret_cast<const char*>(b.Data().data()),
                         static_cast<qsizetype>(b.Size())));
    window->FileListBox1->Update();
    const int palette = 0;
    window->RzRadioGroup1->SetItemIndex(palette);
    window->BitBtn1->click();

    EXPECT_EQ(window->Edit1->text(), QStringLiteral("Finished converting 1 of 1 files."));
    CScene scene(Settings);
    ASSERT_TRUE(
        LoadSceneFile((sceneDir + QStringLiteral("/true colour.scn")).toStdString(), &scene));
    ASSERT_EQ(scene.FirstChannel()->FrameCount(), 3);
    int f = 0;
    for (CFrame* frame = scene.FirstChannel()->FirstFrame(); frame != nullptr;
         frame = frame->Next(false), ++f) {
        SCOPED_TRACE(f);
        ASSERT_EQ(frame->FirstThing()->VertexCount(), pointsPerFrame[f]);
        int p = 0;
        for (const CVector* v = frame->FirstThing()->FirstVertex(); v != nullptr;
             v = v->next, ++p) {
            SCOPED_TRACE(p);
            EXPECT_EQ(v->x, static_cast<float>((p * 1600 - 8000) >> 4));
            EXPECT_EQ(v->y, static_cast<float>(f * 200));
            const bool blank = p == 2 || p == 4;
            EXPECT_EQ(v->blank, blank ? 1 : 0);
            EXPECT_EQ(v->colour,
                      blank ? 0u
                            : PaletteColour(palette, NearestColourIndex(palette, colourOf(f, p))));
        }
    }
    EXPECT_TRUE(dialogs.asked.empty());
}

// Files as other programs write them convert with exactly the frames they hold: no point lost
// to a last-point bit inside a frame, no frame lost to odd numbering, no empty frame added.
TEST_F(ConvertFlowTest, FilesOfOtherWritersConvertWithExactlyTheirFrames) {
    const std::vector<wildilda::File> files =
        wildilda::Files([](int i) { return PaletteColour(1, i); });
    for (const wildilda::File& file : files)
        WriteFile(ildaDir + u'/' + QString::fromStdString(file.name) + QStringLiteral(".ild"),
                  QByteArray(reinterpret_cast<const char*>(file.bytes.data()),
                             static_cast<qsizetype>(file.bytes.size())));
    window->FileListBox1->Update();
    window->RzRadioGroup1->SetItemIndex(1);
    window->BitBtn1->click();
    EXPECT_EQ(
        window->Edit1->text(),
        QStringLiteral("Finished converting %1 of %1 files.").arg(static_cast<int>(files.size())));

    for (const wildilda::File& file : files) {
        SCOPED_TRACE(file.name);
        CScene scene(Settings);
        ASSERT_TRUE(LoadSceneFile(
            (sceneDir + u'/' + QString::fromStdString(file.name) + QStringLiteral(".scn"))
                .toStdString(),
            &scene));
        ASSERT_EQ(scene.FirstChannel()->FrameCount(), static_cast<int>(file.frames.size()));
        size_t f = 0;
        for (CFrame* frame = scene.FirstChannel()->FirstFrame(); frame != nullptr;
             frame = frame->Next(false)) {
            SCOPED_TRACE("frame " + std::to_string(f + 1));
            const wildilda::Frame& truth = file.frames[f++];
            ASSERT_EQ(frame->FirstThing()->VertexCount(), static_cast<int>(truth.size()));
            const CVector* v = frame->FirstThing()->FirstVertex();
            for (const wildilda::Point& p : truth) {
                EXPECT_EQ(v->x, static_cast<float>(p.x >> 4));
                EXPECT_EQ(v->y, static_cast<float>(p.y >> 4));
                EXPECT_EQ(v->z, static_cast<float>(p.z >> 4));
                EXPECT_EQ(v->blank, p.blank ? 1 : 0);
                EXPECT_EQ(v->colour, p.blank ? 0u : PaletteColour(1, p.colour));
                v = v->next;
            }
        }
    }
    EXPECT_TRUE(dialogs.asked.empty());
}

TEST_F(ConvertFlowTest, AnEmptyListChangesNothing) {
    WriteFile(ildaDir + QStringLiteral("/notes.txt"), "not an ILDA file");
    window->FileListBox1->Update();
    ASSERT_EQ(window->FileListBox1->Count(), 0);
    window->BitBtn1->click();
    EXPECT_EQ(dialogs.Texts(Kind::Information),
              std::vector<QString>({QStringLiteral("No Files to Convert.")}));
    EXPECT_EQ(window->Edit1->text(), QStringLiteral("*.ild"));
    EXPECT_TRUE(FilesIn(sceneDir).isEmpty());
    ExpectIdleControls();
}

TEST_F(ConvertFlowTest, AnUnopenableFileIsReportedNotConvertedAndItsSceneFileSurvives) {
    PutIldaFiles({"a.ild", "b.ild", "c.ild"});
    MakeUnopenable(ildaDir + QStringLiteral("/b.ild"));
    WriteFile(sceneDir + QStringLiteral("/b.scn"), "the user's own b.scn");
    window->BitBtn1->click();

    ASSERT_EQ(dialogs.Count(Kind::Themed), 1);
    EXPECT_EQ(dialogs.asked[0].text, cannotOpen);
    EXPECT_EQ(dialogs.asked[0].themedType, mtError);
    EXPECT_EQ(dialogs.Count(Kind::Information), 0);
    EXPECT_EQ(ReadFile(sceneDir + QStringLiteral("/b.scn")), "the user's own b.scn");
    EXPECT_EQ(SceneFrames("a.scn"), 1);
    EXPECT_EQ(SceneFrames("c.scn"), 3);
    // Nothing was written for b.ild.
    EXPECT_EQ(window->Edit1->text(), QStringLiteral("Finished converting 2 of 3 files."));
    EXPECT_EQ(window->FileListBox2->Items(), QStringList({"a.scn", "b.scn", "c.scn"}));
}

// A scene file that cannot be written (here: past the process's file size limit) is reported
// with the writer's text, the file and the reason; the scene file it would have replaced keeps
// its bytes; the failure is the file's own, so the batch goes on.
TEST_F(ConvertFlowTest, AFailedWriteLeavesThePreviousSceneFile) {
    WriteFile(ildaDir + QStringLiteral("/big.ild"), IldaFile(40, 300));
    WriteFile(ildaDir + QStringLiteral("/small.ild"), IldaFile(1, 4));
    window->FileListBox1->Update();
    const QByteArray previous(20000, 'p');
    WriteFile(sceneDir + QStringLiteral("/big.scn"), previous);
    {
        FileSizeLimit limit(64 * 1024);
        window->BitBtn1->click();
    }
    EXPECT_EQ(dialogs.Texts(Kind::Themed),
              std::vector<QString>({QStringLiteral("Cannot save file.\n \n") + sceneDir +
                                    QStringLiteral("/big.scn\nFile too large.")}));
    EXPECT_EQ(ReadFile(sceneDir + QStringLiteral("/big.scn")), previous);
    EXPECT_EQ(SceneFrames("small.scn"), 1);
    EXPECT_EQ(FilesIn(sceneDir), QStringList({"big.scn", "small.scn"}));
    EXPECT_EQ(window->Edit1->text(), QStringLiteral("Finished converting 1 of 2 files."));
    EXPECT_EQ(window->Edit2->text(), QStringLiteral("Saving File :: small.scn"));
}

// A destination nothing can be written to. The tests run as root, whom permissions do not
// stop, so the right-hand directory is made unwritable for everyone after the list showed it:
// a regular file in its place (every path below it fails with ENOTDIR), or nothing at all
// (ENOENT). The batch ends at its first file with one box naming that file and the reason,
// counts no file as converted, and leaves no status saying a file is being saved.
struct DestinationCase {
    const char* name;
    bool plainFile; // a regular file in place of the directory; otherwise the directory is gone
    const char* reason;
};

class ConvertDestinationTest : public ConvertFlowTest,
                               public ::testing::WithParamInterface<DestinationCase> {};

TEST_P(ConvertDestinationTest, EndsTheBatchAtTheFirstFileAndCountsNothingConverted) {
    const DestinationCase& row = GetParam();
    PutIldaFiles({"a.ild", "b.ild", "c.ild", "d.ild"});
    ASSERT_TRUE(QDir(sceneDir).removeRecursively());
    if (row.plainFile)
        WriteFile(sceneDir, "not a directory");
    window->BitBtn1->click();

    EXPECT_EQ(dialogs.Texts(Kind::Themed),
              std::vector<QString>({QStringLiteral("Cannot save file.\n \n") + sceneDir +
                                    QStringLiteral("/a.scn\n") + QString::fromUtf8(row.reason) +
                                    QStringLiteral(".\n \nNothing can be written to this "
                                                   "directory: the conversion ends here.")}));
    EXPECT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].themedType, mtError);
    EXPECT_EQ(window->Edit1->text(), QStringLiteral("Finished converting 0 of 4 files."));
    EXPECT_EQ(window->Edit2->text(), QStringLiteral("Not Saved :: a.scn"));
    EXPECT_EQ(window->FileListBox2->Count(), 0);
    EXPECT_EQ(row.plainFile, QFileInfo(sceneDir).isFile());
    EXPECT_TRUE(window->stopRequested);
    ExpectIdleControls();
}

INSTANTIATE_TEST_SUITE_P(
    Destinations, ConvertDestinationTest,
    ::testing::Values(DestinationCase{"ARegularFileInItsPlace", true, "Not a directory"},
                      DestinationCase{"Removed", false, "No such file or directory"}),
    [](const ::testing::TestParamInfo<DestinationCase>& info) {
        return std::string(info.param.name);
    });

// A failure of one file (a directory of the scene file's name stands in its way) is the file's
// own: it is named with the reason, the other files are converted, and only they count.
TEST_F(ConvertFlowTest, AFileThatCannotBeWrittenIsNamedAndTheBatchGoesOn) {
    PutIldaFiles({"a.ild", "b.ild", "c.ild"});
    ASSERT_TRUE(QDir().mkpath(sceneDir + QStringLiteral("/b.scn")));
    window->BitBtn1->click();
    EXPECT_EQ(dialogs.Texts(Kind::Themed),
              std::vector<QString>({QStringLiteral("Cannot save file.\n \n") + sceneDir +
                                    QStringLiteral("/b.scn\nIs a directory.")}));
    EXPECT_EQ(SceneFrames("a.scn"), 1);
    EXPECT_EQ(SceneFrames("c.scn"), 3);
    EXPECT_EQ(window->Edit1->text(), QStringLiteral("Finished converting 2 of 3 files."));
    EXPECT_EQ(window->Edit2->text(), QStringLiteral("Saving File :: c.scn"));
    EXPECT_FALSE(window->stopRequested);
}

// Memory running out while a file loads, for real: a child process converts under an address
// space limit too small for the large file. The message says what happened and names the file;
// no scene file is written for it and the batch ends there, as after any error of a file.
TEST_F(ConvertFlowTest, RunningOutOfMemoryIsReportedAsSuchAndWritesNothing) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer reserves more address space than the limit allows";
#endif
    WriteFile(ildaDir + QStringLiteral("/a big.ild"), IldaFile(30, 65535)); // 2 million points
    WriteFile(ildaDir + QStringLiteral("/b small.ild"), IldaFile(1, 4));
    window->FileListBox1->Update();
    const QString expected =
        QStringLiteral("not enough memory to load ") + ildaDir + QStringLiteral("/a big.ild");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::alarm(120);
        // What the process holds now, and 100 MB more: the file's model needs twice that.
        long long size = 0;
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);)
            if (line.rfind("VmSize:", 0) == 0)
                size = std::stoll(line.substr(7)) * 1024;
        const rlim_t limit = static_cast<rlim_t>(size + (100 << 20));
        const rlimit memory{limit, limit};
        ::setrlimit(RLIMIT_AS, &memory);
        window->BitBtn1->click();
        const bool reported = dialogs.Texts(Kind::Information) == std::vector<QString>{expected};
        const bool shown =
            window->Edit1->text() == QStringLiteral("Finished converting 0 of 2 files.");
        const bool nothingWritten = FilesIn(sceneDir).isEmpty();
        ::_exit(reported ? (shown ? (nothingWritten ? 0 : 3) : 2) : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0)
        << "1: not reported as memory running out; 2: batch not ended there; 3: a file written";
}

} // namespace
