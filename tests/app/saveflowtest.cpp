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

#include "ilda/cilda.h"
#include "model/cchannel.h"
#include "model/cscene.h"
#include "search/tlmdsearchfilegrep.h"
#include "settings/settings.h"
#include "tests/app/flowfiles.h"
#include "tests/app/modalboxkeys.h"
#include "tests/app/windowfixture.h"
#include "widgets/tdirectorylistbox.h"
#include "widgets/tdrivecombobox.h"
#include "widgets/tfilelistbox.h"
#include "widgets/tfoundlist.h"
#include "widgets/tglyphbutton.h"
#include "widgets/tradiogroup.h"
#include "widgets/tstatuspanel.h"

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
        CScene scene(Settings);
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

// A file already in the ILDA directory is replaced only when the user says so (No is the
// default): also when it is the very file being re-saved.
struct ExistingCase {
    const char* name;
    bool inPlace; // the selected file is the one in the ILDA directory
    TAnswer answer;
};

class SaveExistingTest : public SaveFlowTest, public ::testing::WithParamInterface<ExistingCase> {};

TEST_P(SaveExistingTest, AFileInTheIldaDirectoryIsReplacedOnlyWhenAskedAbout) {
    const ExistingCase& row = GetParam();
    const QString existing = ildaDir + QStringLiteral("/x.ild");
    const QByteArray before = Ilda2D(3, 20);
    WriteFile(existing, before);
    const QString source = row.inPlace ? existing : otherDir + QStringLiteral("/x.ild");
    if (!row.inPlace)
        WriteFile(source, Ilda2D(4, 10));
    const QByteArray expected = Expected(source, 2);
    ASSERT_NE(expected, before);
    List({source}, {0});
    window->RzRadioGroup1->SetItemIndex(2);
    dialogs.confirmAnswers = {TAnswer::Yes, row.answer, TAnswer::Yes};
    PressSave();
    ASSERT_EQ(dialogs.Count(Kind::Confirm), 3);
    EXPECT_EQ(dialogs.asked[1].text,
              QStringLiteral("  The File  ") + existing +
                  QStringLiteral("  Already Exists\n \n    YES :: Replace the Existing File\n\n "
                                 "    NO :: Keep the Existing File\n     and do not Save this "
                                 "File\n"));
    EXPECT_EQ(dialogs.asked[1].buttons, TConfirmButtons::YesNo);
    EXPECT_EQ(dialogs.asked[1].defaultButton, TAnswer::No);
    const bool replaced = row.answer == TAnswer::Yes;
    EXPECT_EQ(ReadFile(existing), replaced ? expected : before);
    EXPECT_EQ(FilesIn(ildaDir), QStringList({"x.ild"}));
    EXPECT_EQ(window->sp1->Caption(),
              replaced ? QStringLiteral("Finished Saving Selected Files to ILDA Files Directory")
                       : QStringLiteral("Saved 0 of 1 Files to ILDA Files Directory"));
    ExpectIdleSearchPanel();
}

INSTANTIATE_TEST_SUITE_P(
    Answers, SaveExistingTest,
    ::testing::Values(ExistingCase{"InPlaceYesRewritesIt", true, TAnswer::Yes},
                      ExistingCase{"InPlaceNoKeepsIt", true, TAnswer::No},
                      ExistingCase{"FromElsewhereYesReplacesIt", false, TAnswer::Yes},
                      ExistingCase{"FromElsewhereNoKeepsIt", false, TAnswer::No},
                      ExistingCase{"FromElsewhereClosedKeepsIt", false, TAnswer::Cancel}),
    [](const ::testing::TestParamInfo<ExistingCase>& info) {
        return std::string(info.param.name);
    });

// Two found files of one name from different folders: the second would replace the copy this
// save has just written from the first, so that is asked, with No as the default.
struct SameNameCase {
    const char* name;
    TAnswer answer;
    int kept; // which found file the copy holds at the end
};

class SaveSameNameTest : public SaveFlowTest, public ::testing::WithParamInterface<SameNameCase> {};

TEST_P(SaveSameNameTest, TheSecondOfOneNameReplacesTheFirstOnlyWhenAskedAbout) {
    const SameNameCase& row = GetParam();
    const QStringList paths = {foundDir + QStringLiteral("/one/show.ild"),
                               foundDir + QStringLiteral("/two/show.ild")};
    WriteFile(paths[0], IldaFile(2, 12));
    WriteFile(paths[1], IldaFile(5, 12));
    List(paths, {0, 1});
    dialogs.confirmAnswers = {TAnswer::Yes, row.answer, TAnswer::Yes};
    PressSave();
    const QString copy = ildaDir + QStringLiteral("/show.ild");
    ASSERT_EQ(dialogs.Count(Kind::Confirm), 3);
    EXPECT_EQ(dialogs.asked[1].text,
              QStringLiteral("  The File  ") + copy + QStringLiteral("  Was Just Saved from\n  ") +
                  paths[0] + QStringLiteral("\n \n    YES :: Replace it with\n  ") + paths[1] +
                  QStringLiteral("\n\n     NO :: Keep it\n     and do not "
                                 "Save this File\n"));
    EXPECT_EQ(dialogs.asked[1].defaultButton, TAnswer::No);
    EXPECT_EQ(ReadFile(copy), Expected(paths[row.kept], 1));
    EXPECT_EQ(FilesIn(ildaDir), QStringList({"show.ild"}));
}

INSTANTIATE_TEST_SUITE_P(Answers, SaveSameNameTest,
                         ::testing::Values(SameNameCase{"YesTakesTheSecond", TAnswer::Yes, 1},
                                           SameNameCase{"NoKeepsTheFirst", TAnswer::No, 0}),
                         [](const ::testing::TestParamInfo<SameNameCase>& info) {
                             return std::string(info.param.name);
                         });

// While a file is saved the status panel names it; a long path loses its middle, so that the
// file's own name still shows, and the whole path is the tooltip.
TEST_F(SaveFlowTest, TheFileBeingSavedShowsItsNameWhateverThePathsLength) {
    const QString path = foundDir + QStringLiteral("/a folder of the summer festival season with "
                                                   "a name longer than the panel/closing show.ild");
    WriteFile(path, IldaFile(2, 12));
    WriteFile(ildaDir + QStringLiteral("/closing show.ild"), IldaFile(1, 12));
    List({path}, {0});
    QString tip;
    QString shown;
    dialogs.onAsked = [&](const ScriptedUserDialogs::Asked& asked) {
        if (asked.text.contains(QStringLiteral("Replace")) && tip.isEmpty()) {
            tip = window->sp1->PathTip();
            shown = window->sp1->ShownCaption();
        }
    };
    dialogs.confirmAnswers = {TAnswer::Yes, TAnswer::No, TAnswer::Yes};
    PressSave();
    EXPECT_EQ(tip, path);
    EXPECT_TRUE(shown.startsWith(QStringLiteral("Saving File"))) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(QStringLiteral("/closing show.ild"))) << shown.toStdString();
    EXPECT_LT(shown.size(), QStringLiteral("Saving File ").size() + path.size());
}

// An ILDA directory nothing can be written to (the tests run as root, whom permissions do not
// stop, so a regular file takes the directory's place: ENOTDIR for every path below it). One
// box names the first file and the reason, and saving ends there; the closing texts say that
// nothing was saved.
TEST_F(SaveFlowTest, AnIldaDirectoryThatCannotBeWrittenEndsTheSaveAtTheFirstFile) {
    Found(3, {0, 1, 2});
    ASSERT_TRUE(QDir(ildaDir).removeRecursively());
    WriteFile(ildaDir, "not a directory");
    QString closingStatus;
    dialogs.onAsked = [&](const ScriptedUserDialogs::Asked& asked) {
        if (asked.text == selectionQuestion)
            closingStatus = window->RzLabel21->text();
    };
    dialogs.confirmAnswers = {TAnswer::Yes, TAnswer::Yes};
    PressSave();
    EXPECT_EQ(dialogs.Texts(Kind::Themed),
              std::vector<QString>({cannotOpen + QStringLiteral("\n \n") + ildaDir +
                                    QStringLiteral("/a.ild\nNot a directory.\n \nNothing can "
                                                   "be written to this directory: saving ends "
                                                   "here.")}));
    EXPECT_EQ(dialogs.asked.size(), 3u);
    EXPECT_EQ(closingStatus, QStringLiteral("\n Saved 0 of 3 Files to ILDA Files Directory"));
    EXPECT_EQ(window->sp1->Caption(), QStringLiteral("Saved 0 of 3 Files to ILDA Files Directory"));
    EXPECT_EQ(ReadFile(ildaDir), "not a directory");
    ExpectIdleSearchPanel();
}

// A rewrite that fails for real (past the process's file size limit), with the writer's
// report answered or raising: the file being re-saved keeps every byte, nothing is left
// beside it, the report names the file and the reason, and the batch goes on to the next file
// (the file, not the directory, is at fault).
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
    // Save into the ILDA directory, replace x.ild there, keep the selection.
    dialogs.confirmAnswers = {TAnswer::Yes, TAnswer::Yes, TAnswer::Yes};
    std::optional<RaisingReports> raising;
    if (GetParam().raises)
        raising.emplace(IsCannotOpen);
    {
        FileSizeLimit limit(32 * 1024);
        PressSave();
    }
    EXPECT_EQ(ReadFile(original), before);
    EXPECT_EQ(FilesIn(ildaDir), QStringList({"x.ild", "y.ild"}));
    EXPECT_EQ(dialogs.Texts(Kind::Themed),
              std::vector<QString>({cannotOpen + QStringLiteral("\n \n") + original +
                                    QStringLiteral("\nFile too large.")}));
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

// The name confirmed in the dialog is the name written, typed or not. The dialog's own
// question covered replacing a file of that name, so nothing more is asked, and a file of the
// found file's own name is left alone.
struct TypedNameCase {
    const char* name;
    const char* typed;
    QStringList filesAfter;
    bool ownReplaced;
};

class SaveTypedNameTest : public SaveFlowTest,
                          public ::testing::WithParamInterface<TypedNameCase> {};

TEST_P(SaveTypedNameTest, TheConfirmedNameIsTheNameWritten) {
    const TypedNameCase& row = GetParam();
    const QStringList paths = Found(1, {0});
    const QString own = otherDir + QStringLiteral("/a.ild");
    WriteFile(own, "the user's own a.ild");
    dialogs.confirmAnswers = {TAnswer::No, TAnswer::Yes};
    dialogs.saveAnswers = {otherDir + u'/' + row.typed};
    PressSave();

    EXPECT_EQ(dialogs.Texts(Kind::Confirm),
              std::vector<QString>({destinationQuestion, selectionQuestion}));
    EXPECT_EQ(ReadFile(otherDir + u'/' + row.typed), Expected(paths[0], 1));
    EXPECT_EQ(ReadFile(own), row.ownReplaced ? Expected(paths[0], 1) : "the user's own a.ild");
    EXPECT_EQ(FilesIn(otherDir), row.filesAfter);
    EXPECT_TRUE(FilesIn(ildaDir).isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Names, SaveTypedNameTest,
    ::testing::Values(TypedNameCase{"ANewName", "rainbow.ild", {"a.ild", "rainbow.ild"}, false},
                      TypedNameCase{"TheOwnName", "a.ild", {"a.ild"}, true}),
    [](const ::testing::TestParamInfo<TypedNameCase>& info) {
        return std::string(info.param.name);
    });

// Each dialog starts in the folder chosen last, in this save or an earlier one of the run (the
// ILDA directory until a folder is chosen); each file goes under the name confirmed, and the
// closing texts name no directory.
TEST_F(SaveFlowTest, TwoFilesIntoChosenDirectoriesUnderTheNamesConfirmed) {
    const QStringList paths = Found(2, {0, 1});
    const QString first = temp.path() + QStringLiteral("/first choice");
    const QString second = temp.path() + QStringLiteral("/second choice");
    QDir().mkpath(first);
    QDir().mkpath(second);
    dialogs.confirmAnswers = {TAnswer::No, TAnswer::Yes};
    dialogs.saveAnswers = {first + QStringLiteral("/a.ild"), second + QStringLiteral("/show.ild")};
    QString closingStatus;
    dialogs.onAsked = [&](const ScriptedUserDialogs::Asked& asked) {
        if (asked.text == selectionQuestion)
            closingStatus = window->RzLabel21->text();
    };
    PressSave();

    ASSERT_EQ(dialogs.Count(Kind::SaveFile), 2);
    int dialog = 0;
    for (const ScriptedUserDialogs::Asked& asked : dialogs.asked) {
        if (asked.kind != Kind::SaveFile)
            continue;
        SCOPED_TRACE(dialog);
        EXPECT_EQ(asked.text, QStringLiteral("Save Ilda File"));
        EXPECT_EQ(asked.request.initialDir, dialog == 0 ? ildaDir : first);
        EXPECT_EQ(asked.request.fileName, dialog == 0 ? "a.ild" : "b.ild");
        EXPECT_EQ(asked.request.filter, QStringLiteral("Ilda File(.ild)|*.ild"));
        EXPECT_EQ(asked.request.defaultExt, QStringLiteral(".ild"));
        EXPECT_TRUE(asked.request.overwritePrompt);
        ++dialog;
    }
    EXPECT_EQ(ReadFile(first + QStringLiteral("/a.ild")), Expected(paths[0], 1));
    EXPECT_EQ(ReadFile(second + QStringLiteral("/show.ild")), Expected(paths[1], 1));
    EXPECT_EQ(FilesIn(first), QStringList({"a.ild"}));
    EXPECT_EQ(FilesIn(second), QStringList({"show.ild"}));
    EXPECT_TRUE(FilesIn(ildaDir).isEmpty());
    EXPECT_EQ(closingStatus,
              QStringLiteral("\n Finished Saving Selected Files to Chosen Directories"));
    EXPECT_EQ(window->sp1->Caption(), QStringLiteral("Finished Saving Files to Chosen Directory"));
    ExpectIdleSearchPanel();

    // The next save of the run starts where the last one ended.
    dialogs.confirmAnswers = {TAnswer::No, TAnswer::Yes};
    dialogs.saveAnswers = {std::nullopt, std::nullopt};
    PressSave();
    ASSERT_EQ(dialogs.Count(Kind::SaveFile), 4);
    EXPECT_EQ(dialogs.asked[dialogs.asked.size() - 2].request.initialDir, second);
    EXPECT_EQ(window->sp1->Caption(), QStringLiteral("Saved 0 of 2 Files to Chosen Directories"));
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

// Every answer ends the save with the whole idle search panel back, Save included; closing the
// box keeps the selection, as Yes does.
struct ClosingCase {
    const char* name;
    TAnswer answer;
    int selectedAfter;
};

class SaveClosingTest : public SaveFlowTest, public ::testing::WithParamInterface<ClosingCase> {};

TEST_P(SaveClosingTest, TheClosingQuestionKeepsOrClearsTheSelection) {
    const ClosingCase& row = GetParam();
    Found(3, {0, 2});
    dialogs.confirmAnswers = {TAnswer::Yes, row.answer};
    PressSave();
    EXPECT_EQ(window->fl->SelectedCount(), row.selectedAfter);
    EXPECT_TRUE(window->fl->MultiSelect());
    ExpectIdleSearchPanel();
}

INSTANTIATE_TEST_SUITE_P(
    Answers, SaveClosingTest,
    ::testing::Values(ClosingCase{"YesKeepsTheSelection", TAnswer::Yes, 2},
                      ClosingCase{"NoDeselectsEveryItem", TAnswer::No, 0},
                      ClosingCase{"EscapeOrCloseBoxKeepsTheSelection", TAnswer::Cancel, 2}),
    [](const ::testing::TestParamInfo<ClosingCase>& info) { return std::string(info.param.name); });

// The same with the desktop's own boxes, answered from the keyboard: Enter takes the default
// Yes of the destination question, and Escape on the closing question keeps the selection and
// gives the idle search panel back, Save included.
TEST_F(SaveFlowTest, EscapeOnTheRealClosingQuestionKeepsTheSelectionAndEnablesSave) {
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
    ExpectIdleSearchPanel();
}

// Enter on the desktop's own replace question keeps the file in the ILDA directory: No is its
// default, while the destination and closing questions keep Yes.
TEST_F(SaveFlowTest, EnterOnTheRealReplaceQuestionKeepsTheExistingFile) {
    window = std::make_unique<TConvert>(nullptr, baseDir);
    window->show();
    window->Convert->click();
    Settle();
    Found(1, {0});
    const QString existing = ildaDir + QStringLiteral("/a.ild");
    WriteFile(existing, "the user's own a.ild");
    ModalBoxKeys keys({Qt::Key_Return, Qt::Key_Return, Qt::Key_Return});
    PressSave();
    ASSERT_EQ(keys.seen.size(), 3u);
    EXPECT_EQ(keys.seen[0].text, destinationQuestion);
    EXPECT_TRUE(keys.seen[1].text.contains(existing)) << keys.seen[1].text.toStdString();
    EXPECT_EQ(keys.seen[0].defaultButton, QStringLiteral("&Yes"));
    EXPECT_EQ(keys.seen[1].defaultButton, QStringLiteral("&No"));
    EXPECT_EQ(keys.seen[2].defaultButton, QStringLiteral("&Yes"));
    EXPECT_EQ(keys.seen[2].text, selectionQuestion);
    EXPECT_EQ(ReadFile(existing), "the user's own a.ild");
    EXPECT_EQ(window->fl->SelectedCount(), 1);
    ExpectIdleSearchPanel();
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
