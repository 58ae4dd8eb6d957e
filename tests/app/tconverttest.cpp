// Construction of the window, convert mode and the preview panel's way back to it.

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTimer>

#include <cmath>
#include <limits>

#include "controls/tthmessagebox.h"
#include "controls/tthpanel.h"
#include "controls/tthstatictext.h"
#include "model/geometry.h"
#include "platform/messagehook.h"
#include "render/cscreen.h"
#include "search/tlmdsearchfilegrep.h"
#include "tests/app/windowfixture.h"
#include "tests/platform/scopedenvironment.h"
#include "widgets/einouterror.h"
#include "widgets/tdirectorylistbox.h"
#include "widgets/tfilelistbox.h"
#include "widgets/tfoundlist.h"
#include "widgets/tglyphbutton.h"
#include "widgets/tradiogroup.h"
#include "widgets/tstatuspanel.h"

namespace {

void Touch(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
}

using Kind = ScriptedUserDialogs::Kind;

TEST_F(WindowTest, CreatesBothWorkingDirectoriesBesideTheExecutableWithTheirLeadingSpace) {
    EXPECT_EQ(window->IldaDirectory(), baseDir + QStringLiteral(" ILDA Files"));
    EXPECT_EQ(window->SceneDirectory(), baseDir + QStringLiteral(" SCENE Files"));
    EXPECT_TRUE(QFileInfo(baseDir + QStringLiteral(" ILDA Files")).isDir());
    EXPECT_TRUE(QFileInfo(baseDir + QStringLiteral(" SCENE Files")).isDir());
    EXPECT_EQ(window->DirectoryListBox1->Directory(),
              QDir::cleanPath(baseDir + QStringLiteral(" ILDA Files")));
    EXPECT_EQ(window->DirectoryListBox2->Directory(),
              QDir::cleanPath(baseDir + QStringLiteral(" SCENE Files")));
    // The second directory assignment leaves the scene directory current.
    EXPECT_EQ(QDir::currentPath(), window->DirectoryListBox2->Directory());
    EXPECT_EQ(dialogs.asked.size(), 0u);
}

TEST_F(WindowTest, BaseDirectoryWithoutTrailingSeparatorGetsOne) {
    window.reset();
    QString bare = baseDir;
    bare.chop(1);
    window = std::make_unique<TConvert>(&dialogs, bare);
    EXPECT_EQ(window->IldaDirectory(), baseDir + QStringLiteral(" ILDA Files"));
}

TEST_F(WindowTest, StartsWithExistingDirectoriesAndListsTheirFiles) {
    window.reset();
    const QString ilda = baseDir + QStringLiteral(" ILDA Files");
    const QString scene = baseDir + QStringLiteral(" SCENE Files");
    Touch(ilda + QStringLiteral("/b.ild"));
    Touch(ilda + QStringLiteral("/A.ILD"));
    Touch(ilda + QStringLiteral("/notes.txt"));
    Touch(scene + QStringLiteral("/show.scn"));
    window = std::make_unique<TConvert>(&dialogs, baseDir);
    EXPECT_EQ(window->FileListBox1->Items(), QStringList({"A.ILD", "b.ild"}));
    EXPECT_EQ(window->FileListBox2->Items(), QStringList({"show.scn"}));
    EXPECT_TRUE(dialogs.asked.empty());
}

TEST_F(WindowTest, Label2ReadsTheDestinationTextUntilAnotherDirectoryIsPicked) {
    EXPECT_EQ(window->Label2->text(), QStringLiteral("Destination Directory For Scene Files"));
    const QString other = temp.path() + QStringLiteral("/out");
    ASSERT_TRUE(QDir().mkpath(other));
    window->DirectoryListBox2->SetDirectory(other);
    EXPECT_EQ(window->Label2->text(), QDir::toNativeSeparators(QDir::cleanPath(other)));

    // A path too long for the label is shortened in the middle to what the window shows.
    const QString deep = other + QStringLiteral("/Laser Shows of the Summer Season/Customer "
                                                "Projects Received by Mail/Finished and Approved");
    ASSERT_TRUE(QDir().mkpath(deep));
    window->DirectoryListBox2->SetDirectory(deep);
    const QString shown = window->Label2->text();
    EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(QStringLiteral("Approved"))) << shown.toStdString();
    EXPECT_LE(window->Label2->x() + window->Label2->fontMetrics().horizontalAdvance(shown),
              window->Panel1->width());
}

TEST_F(WindowTest, StartStateOfTheNonVisualComponentsAndTheSurface) {
    EXPECT_EQ(window->windowTitle(), StartTitle());
    EXPECT_FALSE(window->MyTimer1->isActive());
    EXPECT_EQ(window->MyTimer1->interval(), 500);
    EXPECT_EQ(window->MyTimer1->timerType(), Qt::PreciseTimer);
    ASSERT_NE(window->screen, nullptr);
    ASSERT_NE(window->screen->Image(), nullptr);
    EXPECT_EQ(window->screen->Image()->size(), QSize(260, 280));
    EXPECT_EQ(window->RzRadioGroup1->ItemIndex(), 1);
    EXPECT_FALSE(window->stopRequested);
    EXPECT_EQ(window->previewScene, nullptr);
    EXPECT_EQ(window->previewReader, nullptr);
    EXPECT_TRUE(window->ThPanel1->isHidden());
    EXPECT_EQ(window->lf->FileMasks(), QStringLiteral("*.ild"));
    EXPECT_FALSE(window->lf->InternalFoundList());
    const TSaveFileRequest& save = window->SaveDialog1.Options();
    EXPECT_EQ(save.title, QStringLiteral("Save Ilda File"));
    EXPECT_EQ(save.filter, QStringLiteral("Ilda File(.ild)|*.ild"));
    EXPECT_EQ(save.defaultExt, QStringLiteral(".ild"));
    EXPECT_TRUE(save.overwritePrompt);
    EXPECT_TRUE(save.hideReadOnly);
    EXPECT_TRUE(save.resizable);
}

TEST_F(WindowTest, ConstructionFillsTheAngleTables) {
    window.reset();
    const float poison = std::numeric_limits<float>::quiet_NaN();
    for (int i = 0; i < AngleTableSize; ++i)
        SinTable[i] = CosTable[i] = poison;
    window = std::make_unique<TConvert>(&dialogs, baseDir);
    EXPECT_EQ(SinTable[0], 0.0f);
    EXPECT_EQ(CosTable[0], 1.0f);
    EXPECT_EQ(SinTable[2048], 1.0f);
    EXPECT_LT(std::fabs(CosTable[2048]), 1e-7f);
    for (int i = 0; i < AngleTableSize; ++i) {
        const double angle = i * 6.283185307179586 * 0.0001220703125;
        ASSERT_EQ(SinTable[i], static_cast<float>(std::sin(angle))) << i;
        ASSERT_EQ(CosTable[i], static_cast<float>(std::cos(angle))) << i;
    }
}

TEST_F(WindowTest, FileCodeMessagesGoToTheWindowsDialogsWhileItLives) {
    ShowThemedMessage("Cannot open Ilda file.", mtError, mbOK);
    ASSERT_EQ(dialogs.Count(Kind::Themed), 1);
    EXPECT_EQ(dialogs.asked.back().text, QStringLiteral("Cannot open Ilda file."));
    EXPECT_EQ(dialogs.asked.back().themedType, mtError);
    EXPECT_EQ(dialogs.asked.back().themedButtons, unsigned(mbOK));
    window.reset();
    ShowThemedMessage("after the window", mtError, mbOK);
    EXPECT_EQ(dialogs.Count(Kind::Themed), 1);
}

// A program directory where nothing can be made (its parent does not exist; as for an
// installed copy in a read-only prefix, but so for root too): the working directories go to
// the user's data directory.
TEST(WindowConstruction, UnusableProgramDirectoryPutsThemInTheDataDirectory) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString previousCurrent = QDir::currentPath();
    const ScopedEnvironment dataHome("XDG_DATA_HOME", (temp.path() + "/data home").toStdString());
    const QString base = temp.path() + QStringLiteral("/missing/");
    const QString data = temp.path() + QStringLiteral("/data home/trellion/");
    ScriptedUserDialogs dialogs;
    {
        TConvert window(&dialogs, base);
        EXPECT_EQ(window.IldaDirectory(), data + QStringLiteral(" ILDA Files"));
        EXPECT_EQ(window.SceneDirectory(), data + QStringLiteral(" SCENE Files"));
        EXPECT_EQ(window.DirectoryListBox1->Directory(), QDir::cleanPath(window.IldaDirectory()));
        EXPECT_EQ(window.DirectoryListBox2->Directory(), QDir::cleanPath(window.SceneDirectory()));
        EXPECT_TRUE(QFileInfo(window.IldaDirectory()).isDir());
        EXPECT_TRUE(QFileInfo(window.SceneDirectory()).isDir());
    }
    EXPECT_FALSE(QFileInfo::exists(base));
    EXPECT_TRUE(dialogs.asked.empty());
    QDir::setCurrent(previousCurrent);
}

// Neither place can be made: one themed warning names both, and the window works on, its
// directory lists at the home directory; the hook is released with the window as usual.
TEST(WindowConstruction, NeitherPlaceWarnsOnceAndTheWindowGoesOn) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString previousCurrent = QDir::currentPath();
    Touch(temp.path() + QStringLiteral("/file"));
    const ScopedEnvironment dataHome("XDG_DATA_HOME", (temp.path() + "/file/data").toStdString());
    const ScopedEnvironment home("HOME", temp.path().toStdString());
    const QString base = temp.path() + QStringLiteral("/missing/");
    ScriptedUserDialogs dialogs;
    {
        TConvert window(&dialogs, base);
        ASSERT_EQ(dialogs.asked.size(), 1u);
        const auto& warning = dialogs.asked[0];
        EXPECT_EQ(warning.kind, Kind::Themed);
        EXPECT_EQ(warning.themedType, mtWarning);
        EXPECT_EQ(warning.themedButtons, unsigned(mbOK));
        EXPECT_TRUE(warning.text.contains(base + QStringLiteral(" ILDA Files")))
            << warning.text.toStdString();
        EXPECT_TRUE(warning.text.contains(temp.path() + QStringLiteral("/file")))
            << warning.text.toStdString();
        // The themed box that shows it on the desktop fits the screen.
        TThMessageBox box;
        box.BuildForm(QString::fromStdString(warning.text.toStdString()), warning.themedType,
                      warning.themedButtons);
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        EXPECT_LE(box.Form()->width(), area.width());
        EXPECT_TRUE(area.contains(box.Form()->geometry()));
        for (const QString& line : box.MessageText()->text().split(u'\n'))
            EXPECT_LE(QFontMetrics(box.MessageText()->font()).horizontalAdvance(line),
                      box.MessageText()->width())
                << line.toStdString();
        EXPECT_EQ(window.DirectoryListBox1->Directory(), QDir::cleanPath(temp.path()));
        EXPECT_EQ(window.DirectoryListBox2->Directory(), QDir::cleanPath(temp.path()));

        // Convert mode points the left list at the ILDA directory: it stays where it is, and
        // nothing is raised or asked again.
        ASSERT_TRUE(QDir(temp.path()).mkdir(QStringLiteral("shows")));
        window.DirectoryListBox1->SetDirectory(temp.path() + QStringLiteral("/shows"));
        window.Convert->click();
        EXPECT_EQ(window.DirectoryListBox1->Directory(), temp.path() + QStringLiteral("/shows"));
        EXPECT_TRUE(window.BitBtn1->isEnabled());
        EXPECT_EQ(dialogs.asked.size(), 1u);
    }
    ShowThemedMessage("after the window", mtError, mbOK);
    EXPECT_EQ(dialogs.asked.size(), 1u);
    EXPECT_FALSE(QFileInfo::exists(base));
    QDir::setCurrent(previousCurrent);
}

TEST_F(WindowTest, ShowConvertModeResetsEverythingASearchChanged) {
    // A search-like state: the list shown with selected items and search heights, the
    // conversion column hidden, the buttons as while searching.
    window->Convert->click();
    window->fl->show();
    window->sp1->show();
    window->fl->Add(QStringLiteral("/b.ild"));
    window->fl->Add(QStringLiteral("/a.ild"));
    window->fl->SetMultiSelect(false);
    window->fl->SetSelected(0, true);
    window->fl->resize(window->fl->width(), 281);
    window->DirectoryListBox1->resize(window->DirectoryListBox1->width(), 281);
    for (QWidget* hidden : std::initializer_list<QWidget*>{
             window->FileListBox1, window->FileListBox2, window->Edit1, window->Edit2})
        hidden->hide();
    for (QWidget* button : std::initializer_list<QWidget*>{
             window->BitBtn1, window->BitBtn2, window->RzBitBtn1, window->DriveComboBox1})
        button->setEnabled(false);
    for (QWidget* button :
         std::initializer_list<QWidget*>{window->BitBtn3, window->RzBitBtn2, window->RzBitBtn3,
                                         window->RzBitBtn4, window->RzBitBtn5, window->RzBitBtn6})
        button->setEnabled(true);
    window->Label1->setText(QStringLiteral("Drive Volume Indicated Below"));
    window->setWindowTitle(QStringLiteral("File Searching Started."));
    window->RzLabel21->setText(QStringLiteral("searching"));
    QPalette red = window->RzLabel21->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    window->RzLabel21->setPalette(red);

    window->ShowConvertMode();

    EXPECT_TRUE(window->fl->isHidden());
    EXPECT_EQ(window->fl->Count(), 0);
    EXPECT_TRUE(window->sp1->isHidden());
    EXPECT_EQ(window->fl->height(), 282);
    EXPECT_EQ(window->DirectoryListBox1->height(), 145);
    for (QWidget* shown : std::initializer_list<QWidget*>{
             window->FileListBox1, window->FileListBox2, window->Edit1, window->Edit2})
        EXPECT_FALSE(shown->isHidden()) << shown->objectName().toStdString();
    for (QWidget* enabled : std::initializer_list<QWidget*>{
             window->BitBtn1, window->BitBtn2, window->RzBitBtn1, window->DriveComboBox1})
        EXPECT_TRUE(enabled->isEnabled()) << enabled->objectName().toStdString();
    for (QWidget* disabled :
         std::initializer_list<QWidget*>{window->BitBtn3, window->RzBitBtn2, window->RzBitBtn3,
                                         window->RzBitBtn4, window->RzBitBtn5, window->RzBitBtn6})
        EXPECT_FALSE(disabled->isEnabled()) << disabled->objectName().toStdString();
    EXPECT_TRUE(window->fl->MultiSelect());
    EXPECT_EQ(window->Label1->text(),
              QStringLiteral("Select Folder or Directory to Start From Below"));
    EXPECT_EQ(window->windowTitle(), StandardTitle());
    EXPECT_EQ(window->RzLabel21->text(), SearchPanelHint());
    EXPECT_EQ(window->RzLabel21->palette().color(QPalette::WindowText), QColor(Qt::black));
}

TEST_F(WindowTest, PreviewConvertButtonLeavesConvertModeWithThePreviewControlsReset) {
    // A preview that was playing: the panel shown, the timer on, Next, Prev and Play
    // disabled, Stop enabled, the left list elsewhere, the list filled and selected.
    window->Convert->click();
    Settle();
    const QString elsewhere = temp.path() + QStringLiteral("/elsewhere");
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    window->DirectoryListBox1->SetDirectory(elsewhere);
    window->PC1->hide();
    window->PS1->show();
    window->fl->show();
    window->fl->Add(QStringLiteral("/shows/a.ild"));
    window->fl->Add(QStringLiteral("/shows/b.ild"));
    window->fl->SetSelected(1, true);
    window->ThPanel1->show();
    window->MyTimer1->start();
    window->RxBitBtn8->setEnabled(false);
    window->RzBitBtn7->setEnabled(false);
    window->RzBitBtn9->setEnabled(false);
    window->RzBitBtn8->setEnabled(true);
    window->RzBitBtn6->setEnabled(true);
    window->sp1->SetCaption(QStringLiteral(" Previewing File /shows/b.ild"));

    window->RzBitBtn13->click();

    EXPECT_EQ(window->DirectoryListBox1->Directory(), QDir::cleanPath(window->IldaDirectory()));
    EXPECT_TRUE(window->ThPanel1->isHidden());
    EXPECT_TRUE(window->RzPanel3->isHidden());
    EXPECT_FALSE(window->MyTimer1->isActive());
    EXPECT_TRUE(window->RxBitBtn8->isEnabled());
    EXPECT_TRUE(window->RzBitBtn7->isEnabled());
    EXPECT_TRUE(window->RzBitBtn9->isEnabled());
    EXPECT_FALSE(window->RzBitBtn8->isEnabled());
    EXPECT_TRUE(window->PS1->isHidden());
    EXPECT_FALSE(window->PC1->isHidden());
    EXPECT_FALSE(window->RzBitBtn5->isEnabled());
    EXPECT_FALSE(window->RzBitBtn6->isEnabled());
    EXPECT_EQ(window->sp1->Caption(), QStringLiteral("Search Mode Enabled"));
    EXPECT_EQ(window->fl->Count(), 0);
    EXPECT_TRUE(window->fl->isHidden());
    EXPECT_TRUE(window->fl->MultiSelect());
    // The search component was asked for an empty run; it ends on the event loop.
    EXPECT_TRUE(window->lf->IsSearching());
    Settle();
    EXPECT_FALSE(window->lf->IsSearching());
    EXPECT_TRUE(dialogs.asked.empty());
}

} // namespace
