// Files whose names are not valid UTF-8 (Latin-1 names from disks of older systems) through
// every workflow of the window: the lists show them with a replacement character, and what is
// searched, previewed, saved and converted is the file of the very bytes the file system gave.

#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "ilda/cilda.h"
#include "model/cchannel.h"
#include "model/cscene.h"
#include "scene/scenefile.h"
#include "search/filenamecodec.h"
#include "settings/settings.h"
#include "tests/app/flowfiles.h"
#include "tests/app/windowfixture.h"
#include "widgets/directoryentries.h"

namespace {

using namespace flowfiles;
using Kind = ScriptedUserDialogs::Kind;

const std::string latinFile = "caf\xe9.ild";
const std::string latinDirectory = "Sh\xf6ws";

void PutBytes(const std::string& path, const QByteArray& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.constData(), bytes.size());
    ASSERT_TRUE(out.good()) << path;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return "<missing>";
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The names in a directory as the file system has them, sorted.
std::vector<std::string> NamesIn(const std::string& directory) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The frames a channel holds after loading the file of these bytes.
int FramesLoaded(const std::string& path) {
    CScene scene(Settings);
    CIlda ilda;
    EXPECT_TRUE(ilda.Load(path, scene.AddChannel(), 1)) << path;
    return scene.FirstChannel()->FrameCount();
}

bool HasUnpairedSurrogate(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (text.at(i).isSurrogate())
            return true;
    }
    return false;
}

class FileNameFlowTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        window->Convert->click();
        Settle();
        // A disk copied from an older system: a Latin-1 file name and a Latin-1 directory.
        disk = EncodeFileName(temp.path()) + "/old disk";
        ASSERT_TRUE(std::filesystem::create_directories(disk + "/" + latinDirectory));
        PutBytes(disk + "/" + latinFile, IldaFile(3, 10));
        PutBytes(disk + "/" + latinDirectory + "/x\xe9.ild", IldaFile(2, 10));
        ildaDir = EncodeFileName(window->IldaDirectory());
        sceneDir = EncodeFileName(window->SceneDirectory());
    }

    void TearDown() override {
        WindowTest::TearDown();
        // QTemporaryDir cannot remove what it cannot name.
        std::filesystem::remove_all(EncodeFileName(temp.path()));
    }

    // A first search of the disk from convert mode, run to its end.
    void SearchDisk() {
        window->DirectoryListBox1->SetDirectory(DecodeFileName(disk));
        window->RzBitBtn1->click();
        Settle();
        ASSERT_FALSE(window->lf->IsSearching());
        ASSERT_TRUE(window->RzBitBtn2->isEnabled()) << "the search did not end idle";
    }

    int Row(const std::string& path) const {
        for (int row = 0; row < window->fl->Count(); ++row)
            if (EncodeFileName(window->fl->Item(row)) == path)
                return row;
        ADD_FAILURE() << "not listed: " << path;
        return -1;
    }

    [[nodiscard]] std::vector<QString> Reports() const { return dialogs.Texts(Kind::Themed); }

    std::string disk;
    std::string ildaDir;
    std::string sceneDir;
};

TEST_F(FileNameFlowTest, DirectoryAndFileListsShowTheNamesAndEnterTheDirectory) {
    window->DirectoryListBox1->SetDirectory(DecodeFileName(disk));
    const QString shownDirectory = QStringLiteral("Sh\ufffdws");
    QListWidgetItem* item = nullptr;
    for (int row = 0; row < window->DirectoryListBox1->count(); ++row)
        if (window->DirectoryListBox1->item(row)->text() == shownDirectory)
            item = window->DirectoryListBox1->item(row);
    ASSERT_NE(item, nullptr) << "the Latin-1 directory is not listed";

    emit window->DirectoryListBox1->itemActivated(item);
    EXPECT_EQ(EncodeFileName(window->DirectoryListBox1->Directory()), disk + "/" + latinDirectory);
    ASSERT_EQ(window->FileListBox1->Count(), 1);
    EXPECT_EQ(EncodeFileName(window->FileListBox1->Item(0)), "x\xe9.ild");
    EXPECT_EQ(window->FileListBox1->item(0)->text(), QStringLiteral("x\ufffd.ild"));

    // The right-hand column's label shows the directory's path.
    window->DirectoryListBox2->SetDirectory(DecodeFileName(disk + "/" + latinDirectory));
    EXPECT_TRUE(window->Label2->text().endsWith(shownDirectory))
        << window->Label2->text().toStdString();
}

TEST_F(FileNameFlowTest, SearchListsTheFilesAndTheFoundItemIsPreviewed) {
    SearchDisk();
    ASSERT_EQ(window->fl->Count(), 2);
    const int row = Row(disk + "/" + latinFile);
    ASSERT_GE(row, 0);
    (void)Row(disk + "/" + latinDirectory + "/x\xe9.ild");
    const QString shown = window->fl->Model()->index(row, 0).data().toString();
    EXPECT_TRUE(shown.endsWith(QStringLiteral("/caf\ufffd.ild"))) << shown.toStdString();
    EXPECT_FALSE(HasUnpairedSurrogate(shown));

    window->fl->SetSelected(row, true);
    window->RzBitBtn5->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(Reports().empty()) << Reports().front().toStdString();
    ASSERT_NE(window->previewChannel, nullptr);
    EXPECT_EQ(window->previewChannel->FrameCount(), FramesLoaded(disk + "/" + latinFile));
    EXPECT_GT(window->previewChannel->FrameCount(), 1);
    EXPECT_EQ(window->sp1->Caption(), QStringLiteral(" Previewing File ") + shown);
}

TEST_F(FileNameFlowTest, SavingIntoTheIldaDirectoryKeepsTheName) {
    SearchDisk();
    window->fl->SetSelected(Row(disk + "/" + latinFile), true);
    dialogs.confirmAnswers = {TAnswer::Yes, TAnswer::Yes};
    window->RzBitBtn2->click();

    EXPECT_TRUE(Reports().empty()) << Reports().front().toStdString();
    EXPECT_EQ(NamesIn(ildaDir), std::vector<std::string>{latinFile});
    EXPECT_EQ(FramesLoaded(ildaDir + "/" + latinFile), FramesLoaded(disk + "/" + latinFile));
}

struct ChosenDirectoryCase {
    const char* name;
    const char* directory; // its bytes
    bool existing;
    std::optional<TAnswer> replaceAnswer; // none: no question expected
    bool written;
};

class SaveChosenNameTest : public FileNameFlowTest,
                           public ::testing::WithParamInterface<ChosenDirectoryCase> {};

// The save dialog cannot hold a name that is not valid UTF-8: it is shown the name as it
// displays, the copy is written under the real name, and an existing file of that name is
// replaced only when the user says so.
TEST_P(SaveChosenNameTest, TheCopyKeepsTheNameAndAnExistingOneIsReplacedOnlyWhenAsked) {
    const ChosenDirectoryCase& row = GetParam();
    const std::string chosen = EncodeFileName(temp.path()) + "/" + row.directory;
    ASSERT_TRUE(std::filesystem::create_directories(chosen));
    if (row.existing)
        PutBytes(chosen + "/" + latinFile, "the user's own");
    SearchDisk();
    window->fl->SetSelected(Row(disk + "/" + latinFile), true);
    dialogs.confirmAnswers = {TAnswer::No};
    if (row.replaceAnswer)
        dialogs.confirmAnswers.push_back(*row.replaceAnswer);
    dialogs.confirmAnswers.push_back(TAnswer::Yes);
    // The path as Qt's dialog gives it, every name shown as Qt shows it.
    dialogs.saveAnswers = {QFile::decodeName(QByteArray::fromStdString(chosen)) +
                           QStringLiteral("/caf\ufffd.ild")};
    window->RzBitBtn2->click();

    EXPECT_TRUE(Reports().empty()) << Reports().front().toStdString();
    ASSERT_EQ(dialogs.Count(Kind::SaveFile), 1);
    for (const ScriptedUserDialogs::Asked& asked : dialogs.asked) {
        if (asked.kind == Kind::SaveFile) {
            EXPECT_EQ(asked.request.fileName, QStringLiteral("caf\ufffd.ild"));
        }
    }
    EXPECT_EQ(dialogs.Count(Kind::Confirm), row.replaceAnswer ? 3 : 2);
    EXPECT_EQ(NamesIn(chosen), std::vector<std::string>{latinFile});
    if (row.written) {
        EXPECT_EQ(FramesLoaded(chosen + "/" + latinFile), FramesLoaded(disk + "/" + latinFile));
    } else {
        EXPECT_EQ(ReadBytes(chosen + "/" + latinFile), "the user's own");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, SaveChosenNameTest,
    ::testing::Values(ChosenDirectoryCase{"NewFile", "chosen", false, std::nullopt, true},
                      ChosenDirectoryCase{"ExistingKeptOnNo", "chosen", true, TAnswer::No, false},
                      ChosenDirectoryCase{"ExistingReplacedOnYes", "chosen", true, TAnswer::Yes,
                                          true},
                      // Qt's dialog gives "chos\ufffdn", which names no directory on its own.
                      ChosenDirectoryCase{"LatinDirectory", "chos\xe9n", false, std::nullopt, true},
                      ChosenDirectoryCase{"LatinDirectoryExistingKeptOnNo", "chos\xe9n", true,
                                          TAnswer::No, false}),
    [](const ::testing::TestParamInfo<ChosenDirectoryCase>& info) {
        return std::string(info.param.name);
    });

// Qt's dialogs give back each name that is not valid UTF-8 with U+FFFD for its odd bytes.
TEST(PathFromDialog, FindsTheEntryANameShownByQtStandsForWhenOnlyOneLooksSo) {
    QTemporaryDir temp;
    const std::string base = EncodeFileName(temp.path());
    for (const char* directory : {"one\xe9/in\xe9", "two\xe9", "two\xe8", "plain"})
        ASSERT_TRUE(std::filesystem::create_directories(base + "/" + directory));
    PutBytes(base + "/plain/f\xe9.ild", "x");
    const QString shownBase = QFile::decodeName(QByteArray::fromStdString(base));
    struct Case {
        const char* shown; // below the base, as Qt shows it
        std::string bytes; // what it is taken to name
    };
    for (const Case& c : {
             Case{"/one\ufffd/in\ufffd", "/one\xe9/in\xe9"},
             Case{"/plain/f\ufffd.ild", "/plain/f\xe9.ild"},
             Case{"/plain", "/plain"},
             Case{"/plain/new.ild", "/plain/new.ild"},
             // Two directories look alike: neither is guessed, and nothing after is matched.
             Case{"/two\ufffd", "/two\xef\xbf\xbd"},
             Case{"/missing\ufffd/in\ufffd", "/missing\xef\xbf\xbd/in\xef\xbf\xbd"},
         }) {
        SCOPED_TRACE(c.shown);
        EXPECT_EQ(EncodeFileName(PathFromDialog(shownBase + QString::fromUtf8(c.shown))),
                  base + c.bytes);
    }
    std::filesystem::remove_all(base);
}

TEST_F(FileNameFlowTest, ConversionWritesTheSceneFileUnderTheSameBytes) {
    const std::string utf8File = "\xc3\xa9t\xc3\xa9.ild";
    PutBytes(ildaDir + "/" + latinFile, IldaFile(3, 10));
    PutBytes(ildaDir + "/" + utf8File, IldaFile(2, 10));
    window->FileListBox1->Update();
    ASSERT_EQ(window->FileListBox1->Count(), 2);
    std::vector<std::string> listed;
    for (const QString& name : window->FileListBox1->Items())
        listed.push_back(EncodeFileName(name));
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<std::string>{latinFile, utf8File}));

    window->BitBtn1->click();
    EXPECT_TRUE(Reports().empty()) << Reports().front().toStdString();
    EXPECT_EQ(window->Edit1->text(), QStringLiteral("Finished converting 2 of 2 files."));
    EXPECT_EQ(NamesIn(sceneDir),
              (std::vector<std::string>{"caf\xe9.scn", "\xc3\xa9t\xc3\xa9.scn"}));
    CScene scene(Settings);
    ASSERT_TRUE(LoadSceneFile(sceneDir + "/caf\xe9.scn", &scene));
    EXPECT_EQ(scene.FirstChannel()->FrameCount(), FramesLoaded(ildaDir + "/" + latinFile));
    QStringList shown;
    for (int row = 0; row < window->FileListBox2->count(); ++row)
        shown << window->FileListBox2->item(row)->text();
    shown.sort();
    EXPECT_EQ(shown,
              QStringList({QStringLiteral("caf\ufffd.scn"), QStringLiteral("\u00e9t\u00e9.scn")}));
}

// The working directories are made beside the executable: installed in a directory whose name
// is not UTF-8, the window still starts and works in them.
TEST(FileNameWindow, WorkingDirectoriesAreMadeInADirectoryWhoseNameIsNotUtf8) {
    QTemporaryDir temp;
    // The window makes its directory the current one. QTemporaryDir cannot remove what it
    // cannot name.
    struct RemoveAtEnd {
        ~RemoveAtEnd() {
            QDir::setCurrent(previousCurrent);
            std::filesystem::remove_all(path);
        }
        std::string path;
        QString previousCurrent;
    } removeAtEnd{EncodeFileName(temp.path()), QDir::currentPath()};
    const std::string base = EncodeFileName(temp.path()) + "/Programm\xe9/";
    ASSERT_TRUE(std::filesystem::create_directory(base));
    ScriptedUserDialogs dialogs;
    TConvert window(&dialogs, DecodeFileName(base));
    EXPECT_TRUE(std::filesystem::is_directory(base + " ILDA Files"));
    EXPECT_TRUE(std::filesystem::is_directory(base + " SCENE Files"));
    EXPECT_EQ(EncodeFileName(window.DirectoryListBox1->Directory()), base + " ILDA Files");
    EXPECT_EQ(EncodeFileName(window.DirectoryListBox2->Directory()), base + " SCENE Files");
}

} // namespace
