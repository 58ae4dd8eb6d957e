// Saving found files through the window: real ILDA files in temporary directories, scripted
// answers to the destination question, the save dialog and the closing question.
//
// Most tests fill the found-file list through its own API (Add, SetSelected), standing for a
// search that found those files, and press Save as on the idle search panel; those marked
// "searched" run a real search of the found files' directory through the window first.

#include <QLabel>

#include <optional>
#include <string>
#include <vector>

#include "app/search/tlmdsearchfilegrep.h"
#include "app/tdirectorylistbox.h"
#include "app/tdrivecombobox.h"
#include "app/tfilelistbox.h"
#include "app/tfoundlist.h"
#include "app/tglyphbutton.h"
#include "app/tradiogroup.h"
#include "app/tstatuspanel.h"
#include "ilda/cilda.h"
#include "model/cchannel.h"
#include "model/cscene.h"
#include "tests/app/flowfiles.h"
#include "tests/app/modalboxkeys.h"
#include "tests/app/windowfixture.h"

namespace {

using namespace flowfiles;
using Kind = ScriptedUserDialogs::Kind;

const QString cannotOpen = QStringLiteral("Cannot open Ilda file.");
const QString destinationQuestion =
    QStringLiteral("Please Follow the Instructions below\n \n    YES :: Save all Selected files "
                   "\n    to the ILDA Files Directory\n\n        NO :: Select different\n       "
                   "directories for each file\n\n  CANCEL :: Cancel Saving Files\n");
const QString selectionQuestion =
    QStringLiteral(" Follow the Instructions below\n \nYES::Leave all Files Highlighted \n     "
                   "and Selected as Reference\n\n     NO::De-Select all Files\n");

QString CorruptMessage(const QString& file) {
    return QStringLiteral("        The Following File is Corrupt  ") + file +
           QStringLiteral(" \n Remove  ") + file + QStringLiteral("  from the Files to be Saved");
}

// Format-1 (2D) frames: the writer always writes format 0, so a re-saved copy differs from it.
QByteArray Ilda2D(int frames, int points) {
    IldaBuilder b;
    for (int f = 0; f < frames; ++f) {
        b.Header(1, static_cast<uint16_t>(points), static_cast<uint16_t>(f),
                 static_cast<uint16_t>(frames));
        for (int p = 0; p < points; ++p)
            b.Point2D(static_cast<int16_t>(p * 8), static_cast<int16_t>(-f * 8),
                      TellingColourIndices()[static_cast<size_t>(p) % 8]);
    }
    b.End(static_cast<uint16_t>(frames));
    return QByteArray(reinterpret_cast<const char*>(b.Data().data()),
                      static_cast<qsizetype>(b.Size()));
}

class SaveFlowTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        window->Convert->click();
        Settle();
        ildaDir = window->IldaDirectory();
        foundDir = temp.path() + QStringLiteral("/show drive/found");
        otherDir = temp.path() + QStringLiteral("/elsewhere");
        QDir().mkpath(otherDir);
    }

    // Found files a.ild, b.ild, ... (frames = position + 1) in foundDir, listed in fl (by a
    // real search when `searched`); the given ones selected.
    QStringList Found(int count, const QList<int>& selected, bool searched = false) {
        QStringList paths;
        for (int i = 0; i < count; ++i) {
            paths << foundDir + u'/' + QChar(u'a' + i) + QStringLiteral(".ild");
            WriteFile(paths.back(), IldaFile(i + 1, 12));
        }
        if (searched) {
            // The first search from convert mode walks the left directory list's directory.
            window->DirectoryListBox1->SetDirectory(foundDir);
            window->RzBitBtn1->click();
            Settle();
            EXPECT_FALSE(window->lf->IsSearching());
            EXPECT_EQ(window->fl->Count(), count);
            EXPECT_TRUE(window->RzBitBtn2->isEnabled());
            Select(paths, selected);
        } else {
            List(paths, selected);
        }
        return paths;
    }
    void List(const QStringList& paths, const QList<int>& selected) {
        window->fl->Clear();
        for (const QString& path : paths)
            window->fl->Add(path);
        Select(paths, selected);
    }
    void Select(const QStringList& paths, const QList<int>& selected) {
        for (int i : selected) {
            for (int row = 0; row < window->fl->Count(); ++row) {
                if (window->fl->Item(row) == paths[i])
                    window->fl->SetSelected(row, true);
            }
        }
    }

    // The Save button of the idle search panel.
    void PressSave() {
        window->RzBitBtn2->setEnabled(true);
        window->RzBitBtn2->click();
    }

    // What the reader and writer make of source with the palette, done apart from the window.
    QByteArray Expected(const QString& source, int palette) {
        const QString copy = temp.path() + QStringLiteral("/expected.ild");
        CScene scene;
        CChannel* channel = scene.AddChannel();
        CIlda ilda;
        EXPECT_TRUE(ilda.Load(source.toStdString(), channel, palette));
        EXPECT_TRUE(ilda.Save(copy.toStdString(), channel, palette));
        const QByteArray bytes = ReadFile(copy);
        QFile::remove(copy);
        return bytes;
    }

    // The buttons' states once saving has ended with an answer to the closing question.
    void ExpectIdleSearchPanel() const {
        EXPECT_TRUE(window->RzBitBtn1->isEnabled());
        EXPECT_TRUE(window->RzBitBtn2->isEnabled());
        EXPECT_FALSE(window->RzBitBtn3->isEnabled());
        EXPECT_TRUE(window->RzBitBtn4->isEnabled());
        EXPECT_TRUE(window->RzBitBtn5->isEnabled());
        EXPECT_TRUE(window->RzBitBtn6->isEnabled());
        EXPECT_TRUE(window->RzRadioGroup1->isEnabled());
        EXPECT_TRUE(window->DriveComboBox1->isEnabled());
        EXPECT_TRUE(window->DirectoryListBox1->isEnabled());
        EXPECT_EQ(window->RzLabel21->text(), SearchPanelHint());
        EXPECT_EQ(window->RzLabel21->palette().color(QPalette::WindowText), QColor(Qt::black));
    }

    QString ildaDir;
    QString foundDir;
    QString otherDir;
};

class SavePaletteTest : public SaveFlowTest, public ::testing::WithParamInterface<int> {};

// Searched.
TEST_P(SavePaletteTest, ThreeSelectedFilesAreSavedIntoTheIldaDirectoryWithThePalette) {
    const int palette = GetParam();
    const QStringList paths = Found(4, {0, 1, 3}, true);
    for (int other = 0; other < 3; ++other) {
        if (other != palette) {
            ASSERT_NE(Expected(paths[0], other), Expected(paths[0], palette));
        }
    }
    window->RzRadioGroup1->SetItemIndex(palette);
    dialogs.confirmAnswers = {TAnswer::Yes, TAnswer::Yes};
    PressSave();

    EXPECT_EQ(FilesIn(ildaDir), QStringList({"a.ild", "b.ild", "d.ild"}));
    for (int i : {0, 1, 3}) {
        const QString name = TConvert::FileNamePart(paths[i]);
        EXPECT_EQ(ReadFile(ildaDir + u'/' + name), Expected(paths[i], palette))
            << name.toStdString();
    }
    ASSERT_EQ(dialogs.Count(Kind::Confirm), 2);
    EXPECT_EQ(dialogs.asked[0].text, destinationQuestion);
    EXPECT_EQ(dialogs.asked[0].buttons, TConfirmButtons::YesNoCancel);
    EXPECT_EQ(dialogs.asked[1].text, selectionQuestion);
    EXPECT_EQ(dialogs.asked[1].buttons, TConfirmButtons::YesNo);
    EXPECT_EQ(dialogs.asked.size(), 2u);
    EXPECT_EQ(window->DirectoryListBox1->Directory(), QDir::cleanPath(ildaDir));
    EXPECT_EQ(window->FileListBox1->Items(), QStringList({"a.ild", "b.ild", "d.ild"}));
    EXPECT_EQ(window->sp1->Caption(),
              QStringLiteral("Finished Saving Selected Files to ILDA Files Directory"));
    EXPECT_EQ(window->fl->SelectedCount(), 3);
    ExpectIdleSearchPanel();
}

INSTANTIATE_TEST_SUITE_P(Palettes, SavePaletteTest, ::testing::Values(0, 1, 2),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(info.param == 0   ? "Pangolin"
                                                : info.param == 1 ? "Ilda"
                                                                  : "X29");
                         });

// Searched.
TEST_F(SaveFlowTest, WhileSavingTheStatusShowsTheFileAndTheSearchPanelIsDisabled) {
    const QStringList paths = Found(2, {0, 1}, true);
    MakeUnopenable(paths[1]);
    int looked = 0;
    DuringReports look([&](const std::string&) {
        ++looked;
        EXPECT_EQ(window->sp1->Caption(), QStringLiteral("Saving File ") + paths[1]);
        EXPECT_EQ(window->RzLabel21->text(),
                  QStringLiteral("\n Saving Files to ILDA File Directory :: Please Wait."));
        EXPECT_EQ(window->RzLabel21->palette().color(QPalette::WindowText), QColor(Qt::red));
        for (QWidget* control :
             {static_cast<QWidget*>(window->RzBitBtn1), static_cast<QWidget*>(window->RzBitBtn2),
              static_cast<QWidget*>(window->RzBitBtn3), static_cast<QWidget*>(window->RzBitBtn4),
              static_cast<QWidget*>(window->RzBitBtn5), static_cast<QWidget*>(window->RzBitBtn6),
              static_cast<QWidget*>(window->RzRadioGroup1),
              static_cast<QWidget*>(window->DriveComboBox1),
              static_cast<QWidget*>(window->DirectoryListBox1)}) {
            EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
        }
        EXPECT_TRUE(window->grab().save(temp.filePath(QStringLiteral("batch-saving.png"))));
    });
    dialogs.confirmAnswers = {TAnswer::Yes, TAnswer::Yes};
    PressSave();
    EXPECT_EQ(looked, 1);
}

TEST_F(SaveFlowTest, AFileAlreadyInTheIldaDirectoryIsRewrittenInPlace) {
    const QString original = ildaDir + QStringLiteral("/x.ild");
    WriteFile(original, Ilda2D(3, 20));
    WriteFile(otherDir + QStringLiteral("/x.ild"), Ilda2D(3, 20));
    const QByteArray expected = Expected(otherDir + QStringLiteral("/x.ild"), 2);
    ASSERT_NE(expected, ReadFile(original));
    List({original}, {0});
    window->RzRadioGroup1->SetItemIndex(2);
    dialogs.confirmAnswers = {TAnswer::Yes, TAnswer::Yes};
    PressSave();
    EXPECT_EQ(ReadFile(original), expected);
    EXPECT_EQ(FilesIn(ildaDir), QStringList({"x.ild"}));
}

// A rewrite that fails for real (past the process's file size limit), with the writer's
// report answered or raising: the file being re-saved keeps every byte, nothing is left
// beside it, and the batch goes on to the next file.
struct FailedRewriteCase {
    const char* name;
    bool raises;
};

class SaveFailedRewriteTest : public SaveFlowTest,
                              public ::testing::WithParamInterface<FailedRewriteCase> {};

TEST_P(SaveFailedRewriteTest, TheFileInTheIldaDirectorySurvivesByteForByte) {
    const QString original = ildaDir + QStringLiteral("/x.ild");
    const QByteArray before = Ilda2D(40, 300);
    WriteFile(original, before);
    const QString small = foundDir + QStringLiteral("/y.ild");
    WriteFile(small, IldaFile(1, 3));
    List({original, small}, {0, 1});
    dialogs.confirmAnswers = {TAnswer::Yes, TAnswer::Yes};
    std::optional<RaisingReports> raising;
    if (GetParam().raises)
        raising.emplace(IsCannotOpen);
    {
        FileSizeLimit limit(32 * 1024);
        PressSave();
    }
    EXPECT_EQ(ReadFile(original), before);
    EXPECT_EQ(FilesIn(ildaDir), QStringList({"x.ild", "y.ild"}));
    EXPECT_EQ(dialogs.Texts(Kind::Themed), std::vector<QString>({cannotOpen}));
    EXPECT_EQ(dialogs.Texts(Kind::Information),
              GetParam().raises ? std::vector<QString>({CorruptMessage("x.ild")})
                                : std::vector<QString>());
    ExpectIdleSearchPanel();
}

INSTANTIATE_TEST_SUITE_P(Failures, SaveFailedRewriteTest,
                         ::testing::Values(FailedRewriteCase{"Reported", false},
                                           FailedRewriteCase{"Raised", true}),
                         [](const ::testing::TestParamInfo<FailedRewriteCase>& info) {
                             return std::string(info.param.name);
                         });

// The file keeps its own name whatever is typed in the dialog; the dialog's overwrite question
// was about the typed name, so replacing a file of the own name is asked about.
struct TypedNameCase {
    const char* name;
    const char* typed;
    std::optional<TAnswer> replaceAnswer; // none: no question expected
    bool replaced;
};

class SaveTypedNameTest : public SaveFlowTest,
                          public ::testing::WithParamInterface<TypedNameCase> {};

TEST_P(SaveTypedNameTest, AnExistingFileOfTheOwnNameIsReplacedOnlyWhenAskedAbout) {
    const TypedNameCase& row = GetParam();
    const QStringList paths = Found(1, {0});
    const QString own = otherDir + QStringLiteral("/a.ild");
    WriteFile(own, "the user's own a.ild");
    dialogs.confirmAnswers = {TAnswer::No};
    if (row.replaceAnswer)
        dialogs.confirmAnswers.push_back(*row.replaceAnswer);
    dialogs.confirmAnswers.push_back(TAnswer::Yes);
    dialogs.saveAnswers = {otherDir + u'/' + row.typed};
    PressSave();

    const std::vector<QString> questions = dialogs.Texts(Kind::Confirm);
    ASSERT_EQ(questions.size(), row.replaceAnswer ? 3u : 2u);
    if (row.replaceAnswer) {
        EXPECT_TRUE(questions[1].contains(own)) << questions[1].toStdString();
        EXPECT_EQ(dialogs.asked[2].buttons, TConfirmButtons::YesNo);
    }
    EXPECT_EQ(ReadFile(own), row.replaced ? Expected(paths[0], 1) : "the user's own a.ild");
    EXPECT_EQ(FilesIn(otherDir), QStringList({"a.ild"}));
    EXPECT_TRUE(FilesIn(ildaDir).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Names, SaveTypedNameTest,
    ::testing::Values(TypedNameCase{"OtherNameAnsweredNo", "typed.ild", TAnswer::No, false},
                      TypedNameCase{"OtherNameAnsweredYes", "typed.ild", TAnswer::Yes, true},
                      TypedNameCase{"OwnNameConfirmedInTheDialog", "a.ild", std::nullopt, true}),
    [](const ::testing::TestParamInfo<TypedNameCase>& info) {
        return std::string(info.param.name);
    });

TEST_F(SaveFlowTest, TwoFilesIntoChosenDirectoriesEachUnderItsOwnName) {
    const QStringList paths = Found(2, {0, 1});
    const QString first = temp.path() + QStringLiteral("/first choice");
    const QString second = temp.path() + QStringLiteral("/second choice");
    QDir().mkpath(first);
    QDir().mkpath(second);
    dialogs.confirmAnswers = {TAnswer::No, TAnswer::Yes};
    dialogs.saveAnswers = {first + QStringLiteral("/a.ild"), second + QStringLiteral("/show.ild")};
    PressSave();

    ASSERT_EQ(dialogs.Count(Kind::SaveFile), 2);
    int dialog = 0;
    for (const ScriptedUserDialogs::Asked& asked : dialogs.asked) {
        if (asked.kind != Kind::SaveFile)
            continue;
        SCOPED_TRACE(dialog);
        EXPECT_EQ(asked.text, QStringLiteral("Save Ilda File"));
        EXPECT_EQ(asked.request.initialDir, ildaDir);
        EXPECT_EQ(asked.request.fileName, dialog == 0 ? "a.ild" : "b.ild");
        EXPECT_EQ(asked.request.filter, QStringLiteral("Ilda File(.ild)|*.ild"));
        EXPECT_EQ(asked.request.defaultExt, QStringLiteral(".ild"));
        EXPECT_TRUE(asked.request.overwritePrompt);
        ++dialog;
    }
    EXPECT_EQ(ReadFile(first + QStringLiteral("/a.ild")), Expected(paths[0], 1));
    EXPECT_EQ(ReadFile(second + QStringLiteral("/b.ild")), Expected(paths[1], 1));
    EXPECT_EQ(FilesIn(first), QStringList({"a.ild"}));
    EXPECT_EQ(FilesIn(second), QStringList({"b.ild"}));
    EXPECT_TRUE(FilesIn(ildaDir).isEmpty());
    EXPECT_EQ(window->sp1->Caption(), QStringLiteral("Finished Saving Files to Chosen Directory"));
    ExpectIdleSearchPanel();
}

TEST_F(SaveFlowTest, ACancelledDialogWritesNothingAndTheBatchGoesOn) {
    const QStringList paths = Found(2, {0, 1});
    const QStringList foundBefore = FilesIn(foundDir);
    dialogs.confirmAnswers = {TAnswer::No, TAnswer::Yes};
    dialogs.saveAnswers = {std::nullopt, otherDir + QStringLiteral("/b.ild")};
    PressSave();
    EXPECT_EQ(dialogs.Count(Kind::SaveFile), 2);
    EXPECT_EQ(FilesIn(otherDir), QStringList({"b.ild"}));
    EXPECT_TRUE(FilesIn(ildaDir).isEmpty());
    EXPECT_EQ(FilesIn(foundDir), foundBefore);
    EXPECT_EQ(ReadFile(paths[0]), IldaFile(1, 12));
}

// An error raised for the second of three (its report of a file that cannot be opened raises).
TEST_F(SaveFlowTest, AnErrorOnTheSecondOfThreeIntoTheIldaDirectorySavesTheOthers) {
    const QStringList paths = Found(3, {0, 1, 2});
    MakeUnopenable(paths[1]);
    RaisingReports raising(IsCannotOpen);
    dialogs.confirmAnswers = {TAnswer::Yes, TAnswer::Yes};
    PressSave();
    EXPECT_EQ(raising.raised, 1);
    EXPECT_EQ(FilesIn(ildaDir), QStringList({"a.ild", "c.ild"}));
    EXPECT_EQ(ReadFile(ildaDir + QStringLiteral("/c.ild")), Expected(paths[2], 1));
    // Reading failed, so the message names the found file's path.
    EXPECT_EQ(dialogs.Texts(Kind::Information), std::vector<QString>({CorruptMessage(paths[1])}));
    ExpectIdleSearchPanel();
}

TEST_F(SaveFlowTest, AnErrorOnTheSecondOfThreeIntoChosenDirectoriesEndsTheBatch) {
    const QStringList paths = Found(3, {0, 1, 2});
    MakeUnopenable(paths[1]);
    RaisingReports raising(IsCannotOpen);
    dialogs.confirmAnswers = {TAnswer::No, TAnswer::Yes};
    dialogs.saveAnswers = {otherDir + QStringLiteral("/a.ild")};
    PressSave();
    EXPECT_EQ(FilesIn(otherDir), QStringList({"a.ild"}));
    EXPECT_TRUE(FilesIn(ildaDir).isEmpty());
    // The closing question follows the corrupt-file message at once: no dialog for c.ild.
    std::vector<Kind> order;
    for (const ScriptedUserDialogs::Asked& asked : dialogs.asked)
        order.push_back(asked.kind);
    EXPECT_EQ(order, std::vector<Kind>({Kind::Confirm, Kind::SaveFile, Kind::Themed,
                                        Kind::Information, Kind::Confirm}));
    EXPECT_EQ(dialogs.Texts(Kind::Information), std::vector<QString>({CorruptMessage(paths[1])}));
    EXPECT_EQ(dialogs.asked.back().text, selectionQuestion);
    ExpectIdleSearchPanel();
}

// A found file the reader cannot open is reported and not written: an existing file of its
// name in the ILDA directory stays, and no save dialog is offered for it.
TEST_F(SaveFlowTest, AnUnopenableFileIsNotSavedIntoTheIldaDirectory) {
    const QStringList paths = Found(2, {0, 1});
    MakeUnopenable(paths[1]);
    WriteFile(ildaDir + QStringLiteral("/b.ild"), "the user's own b.ild");
    dialogs.confirmAnswers = {TAnswer::Yes, TAnswer::Yes};
    PressSave();
    EXPECT_EQ(dialogs.Texts(Kind::Themed), std::vector<QString>({cannotOpen}));
    EXPECT_EQ(dialogs.Count(Kind::Information), 0);
    EXPECT_EQ(ReadFile(ildaDir + QStringLiteral("/b.ild")), "the user's own b.ild");
    EXPECT_EQ(ReadFile(ildaDir + QStringLiteral("/a.ild")), Expected(paths[0], 1));
}

TEST_F(SaveFlowTest, AnUnopenableFileIsNotOfferedForSavingIntoAChosenDirectory) {
    const QStringList paths = Found(2, {0, 1});
    MakeUnopenable(paths[0]);
    dialogs.confirmAnswers = {TAnswer::No, TAnswer::Yes};
    dialogs.saveAnswers = {otherDir + QStringLiteral("/b.ild")};
    PressSave();
    ASSERT_EQ(dialogs.Count(Kind::SaveFile), 1);
    EXPECT_EQ(dialogs.asked[2].request.fileName, QStringLiteral("b.ild"));
    EXPECT_EQ(FilesIn(otherDir), QStringList({"b.ild"}));
}

struct ClosingCase {
    const char* name;
    TAnswer answer;
    int selectedAfter;
    bool ended;
};

class SaveClosingTest : public SaveFlowTest, public ::testing::WithParamInterface<ClosingCase> {};

TEST_P(SaveClosingTest, TheClosingQuestionKeepsOrClearsTheSelection) {
    const ClosingCase& row = GetParam();
    Found(3, {0, 2});
    dialogs.confirmAnswers = {TAnswer::Yes, row.answer};
    PressSave();
    EXPECT_EQ(window->fl->SelectedCount(), row.selectedAfter);
    EXPECT_TRUE(window->fl->MultiSelect());
    if (row.ended) {
        ExpectIdleSearchPanel();
    } else {
        // No ending: the Save click still re-enables its own buttons.
        EXPECT_FALSE(window->RzBitBtn2->isEnabled());
        EXPECT_FALSE(window->DirectoryListBox1->isEnabled());
        EXPECT_TRUE(window->RzBitBtn1->isEnabled());
        EXPECT_TRUE(window->RzBitBtn4->isEnabled());
        EXPECT_TRUE(window->RzBitBtn5->isEnabled());
        EXPECT_TRUE(window->RzBitBtn6->isEnabled());
        EXPECT_TRUE(window->RzRadioGroup1->isEnabled());
        EXPECT_TRUE(window->DriveComboBox1->isEnabled());
        EXPECT_EQ(window->RzLabel21->text(),
                  QStringLiteral("\n Finished Saving Selected Files to ILDA Files Directory"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, SaveClosingTest,
    ::testing::Values(ClosingCase{"YesKeepsTheSelection", TAnswer::Yes, 2, true},
                      ClosingCase{"NoDeselectsEveryItem", TAnswer::No, 0, true},
                      ClosingCase{"EscapeOrCloseBoxEndsNothing", TAnswer::Cancel, 2, false}),
    [](const ::testing::TestParamInfo<ClosingCase>& info) { return std::string(info.param.name); });

// The same with the desktop's own boxes, answered from the keyboard: Enter takes the default
// Yes of the destination question, and Escape on the closing question performs no ending.
TEST_F(SaveFlowTest, EscapeOnTheRealClosingQuestionEndsNothing) {
    window = std::make_unique<TConvert>(nullptr, baseDir);
    window->show();
    window->Convert->click();
    Settle();
    const QStringList paths = Found(3, {0, 2});
    ModalBoxKeys keys({Qt::Key_Return, Qt::Key_Escape});
    PressSave();
    ASSERT_EQ(keys.seen.size(), 2u);
    EXPECT_EQ(keys.seen[0].text, destinationQuestion);
    EXPECT_EQ(keys.seen[1].text, selectionQuestion);
    EXPECT_EQ(FilesIn(ildaDir), QStringList({"a.ild", "c.ild"}));
    EXPECT_EQ(window->fl->SelectedCount(), 2);
    EXPECT_FALSE(window->RzBitBtn2->isEnabled());
    EXPECT_FALSE(window->DirectoryListBox1->isEnabled());
}

// Enter on the question before a file of the own name is replaced keeps the file.
TEST_F(SaveFlowTest, EnterOnTheReplaceQuestionKeepsTheExistingFile) {
    Found(1, {0});
    const QString own = otherDir + QStringLiteral("/a.ild");
    WriteFile(own, "the user's own a.ild");
    dialogs.confirmAnswers = {TAnswer::No, TAnswer::No, TAnswer::Yes};
    dialogs.saveAnswers = {otherDir + QStringLiteral("/typed.ild")};
    PressSave();
    ASSERT_EQ(dialogs.Count(Kind::Confirm), 3);
    EXPECT_TRUE(dialogs.asked[2].text.contains(own));
    EXPECT_EQ(dialogs.asked[2].defaultButton, TAnswer::No);
    // The other questions keep Yes as their default.
    EXPECT_EQ(dialogs.asked[0].defaultButton, TAnswer::Yes);
    EXPECT_EQ(dialogs.asked[3].defaultButton, TAnswer::Yes);
    EXPECT_EQ(ReadFile(own), "the user's own a.ild");
}

// Cancel to the destination question, or nothing selected: nothing is saved and the search
// panel's buttons come back, Save among them.
struct NothingSavedCase {
    const char* name;
    bool selection;
};

class SaveNothingTest : public SaveFlowTest,
                        public ::testing::WithParamInterface<NothingSavedCase> {};

TEST_P(SaveNothingTest, NothingIsSavedAndTheButtonsComeBack) {
    Found(2, GetParam().selection ? QList<int>{0, 1} : QList<int>{});
    if (GetParam().selection)
        dialogs.confirmAnswers = {TAnswer::Cancel};
    PressSave();
    if (GetParam().selection) {
        EXPECT_EQ(dialogs.Texts(Kind::Confirm), std::vector<QString>({destinationQuestion}));
    } else {
        EXPECT_EQ(dialogs.Texts(Kind::Information),
                  std::vector<QString>({QStringLiteral("No Files Selected to Save.")}));
    }
    EXPECT_EQ(dialogs.asked.size(), 1u);
    EXPECT_TRUE(FilesIn(ildaDir).isEmpty());
    EXPECT_TRUE(FilesIn(otherDir).isEmpty());
    for (QWidget* control :
         {static_cast<QWidget*>(window->RzBitBtn1), static_cast<QWidget*>(window->RzBitBtn2),
          static_cast<QWidget*>(window->RzBitBtn4), static_cast<QWidget*>(window->RzBitBtn5),
          static_cast<QWidget*>(window->RzBitBtn6), static_cast<QWidget*>(window->RzRadioGroup1),
          static_cast<QWidget*>(window->DriveComboBox1)}) {
        EXPECT_TRUE(control->isEnabled()) << control->objectName().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, SaveNothingTest,
                         ::testing::Values(NothingSavedCase{"CancelToTheDestination", true},
                                           NothingSavedCase{"NoSelection", false}),
                         [](const ::testing::TestParamInfo<NothingSavedCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(FileNamePartTest, TakesTheTextAfterTheLastSeparator) {
    EXPECT_EQ(TConvert::FileNamePart(QStringLiteral("/shows/2026/laser.ild")), "laser.ild");
    EXPECT_EQ(TConvert::FileNamePart(QStringLiteral("laser.ild")), "laser.ild");
    EXPECT_EQ(TConvert::FileNamePart(QStringLiteral("/shows/")), "");
}

} // namespace
