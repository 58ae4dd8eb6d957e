// The ILDA file search workflow through the window: first and later starts with each answer,
// Stop in the middle of a walk, the texts shown while searching, the way back to convert mode
// and the Web prompt, over real temporary trees with scripted answers.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <initializer_list>
#include <vector>

#include "search/foundorder.h"
#include "search/tlmdsearchfilegrep.h"
#include "tests/app/modalboxkeys.h"
#include "tests/app/windowfixture.h"
#include "widgets/tdirectorylistbox.h"
#include "widgets/tdrivecombobox.h"
#include "widgets/tfilelistbox.h"
#include "widgets/tfoundlist.h"
#include "widgets/tglyphbutton.h"
#include "widgets/tgradientpanel.h"
#include "widgets/tradiogroup.h"
#include "widgets/tstatuspanel.h"

namespace {

using Kind = ScriptedUserDialogs::Kind;

const QString laterStartQuestion = QStringLiteral(
    "            Please Follow the Instructions Below\n \nYES :: Search Current Drive and "
    "Directory Selected \n             and retain the previously found Files \n\nNO :: Clear "
    "the File List and Start New Search Using\n                  Current Drive and Directory "
    "Selected\n\nCANCEL :: Cancel File Search and Select Different\n                           "
    "      Drive or Directory");

const QString webQuestion = QStringLiteral(
    "         Please Follow the Instructions Below\n \n        YES :: Visit Halvorn Ltd "
    "Website\nand  leave File Search and Preview Mode Enabled\n\n         NO :: Return to Main "
    "Screen so I \n             can Select Different Option\n\n             CANCEL :: Quit this "
    "Program\n");

const QString idleLabel1 = QStringLiteral("Select Folder or Directory to Start From Below");

// Creates each relative path below root as an empty file, making directories on the way.
void MakeTree(const QString& root, std::initializer_list<const char*> files) {
    for (const char* relative : files) {
        const QString path = root + u'/' + QString::fromUtf8(relative);
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path())) << path.toStdString();
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    }
}

QColor FontColour(const QLabel* label) {
    return label->palette().color(QPalette::WindowText);
}

class SearchFlowTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        shows = temp.path() + QStringLiteral("/Shows");
        ASSERT_TRUE(QDir().mkpath(shows));
    }

    [[nodiscard]] std::vector<QString> Items() const {
        std::vector<QString> items;
        for (int row = 0; row < window->fl->Count(); ++row)
            items.push_back(window->fl->Item(row));
        return items;
    }

    // Starts from the welcome panel's Search button with the left list on dir and lets the
    // search end.
    void FirstSearchOf(const QString& dir) {
        window->DirectoryListBox1->SetDirectory(dir);
        window->Search->click();
        Settle();
    }

    // Records what the window shows after each of its notification handlers, by wrapping the
    // handlers the window bound. A slow walk enters each directory after the window's paint
    // interval has passed, as a walk through slow directories does.
    void WatchNotifications(bool slowWalk = false) {
        TLMDSearchFileGrep& lf = *window->lf;
        lf.OnDirChange = [this, slowWalk, bound = lf.OnDirChange](QObject* sender,
                                                                  const QString& dir) {
            if (slowWalk)
                QTest::qSleep(static_cast<int>(TConvert::searchPaintInterval) + 5);
            bound(sender, dir);
            dirs.push_back(dir);
            titles.push_back(window->windowTitle());
            statusTexts.push_back(window->RzLabel21->text());
            statusShown.push_back(window->RzLabel21->ShownText());
            statusTips.push_back(window->RzLabel21->PathTip());
            statusColours.push_back(FontColour(window->RzLabel21));
        };
        lf.OnFileChange = [this, bound = lf.OnFileChange](QObject* sender, const QString& name) {
            bound(sender, name);
            fileCaptions.push_back(window->sp1->Caption());
        };
        lf.OnCancel = [this, bound = lf.OnCancel](QObject* sender) {
            ++cancels;
            bound(sender);
        };
        lf.OnFinished = [this, bound = lf.OnFinished](QObject* sender) {
            ++finishes;
            bound(sender);
        };
    }

    void ExpectIdleSearchPanel(bool saveEnabled) const {
        EXPECT_TRUE(window->RzBitBtn1->isEnabled());
        EXPECT_FALSE(window->RzBitBtn3->isEnabled());
        EXPECT_EQ(window->RzBitBtn2->isEnabled(), saveEnabled);
        EXPECT_TRUE(window->RzBitBtn4->isEnabled());
        EXPECT_TRUE(window->RzBitBtn5->isEnabled());
        EXPECT_TRUE(window->RzBitBtn6->isEnabled());
        EXPECT_TRUE(window->DriveComboBox1->isEnabled());
        EXPECT_TRUE(window->RzRadioGroup1->isEnabled());
        EXPECT_TRUE(window->fl->isEnabled());
        EXPECT_TRUE(window->fl->MultiSelect());
        EXPECT_FALSE(window->BitBtn1->isEnabled());
        EXPECT_EQ(window->windowTitle(), StandardTitle());
        EXPECT_EQ(window->RzLabel21->text(), SearchPanelHint());
        EXPECT_EQ(FontColour(window->RzLabel21), QColor(Qt::black));
    }

    QString shows;
    std::vector<QString> dirs;
    std::vector<QString> titles;
    std::vector<QString> statusTexts;
    std::vector<QString> statusShown;
    std::vector<QString> statusTips;
    std::vector<QColor> statusColours;
    std::vector<QString> fileCaptions;
    int cancels = 0;
    int finishes = 0;
};

TEST_F(SearchFlowTest, FirstSearchFromWelcomeSearchesTheIldaDirectoryAndEverythingBelowIt) {
    const QString ilda = window->IldaDirectory();
    MakeTree(ilda, {"intro.ild", "Beams/deep/er/wave.ild", "Beams/notes.txt"});
    // Beside the ILDA directory, not below it.
    MakeTree(baseDir, {"outside.ild"});

    window->Search->click();
    // The start as the click leaves it, before the walk begins on the event loop.
    EXPECT_TRUE(window->lf->IsSearching());
    EXPECT_EQ(window->lf->Dirs(), QDir::cleanPath(ilda));
    EXPECT_TRUE(window->lf->ThreadedSearch());
    EXPECT_EQ(window->lf->ThreadPriority(), tpIdle);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("File Searching Started."));
    EXPECT_EQ(window->sp1->Caption(), QStringLiteral(" Ilda File Search"));
    EXPECT_EQ(window->Label1->text(), QStringLiteral("Drive Volume Indicated Below"));
    EXPECT_FALSE(window->DriveComboBox1->isEnabled());
    EXPECT_TRUE(window->RzPanel3->isHidden());
    // The first start leaves multi-selection as it was.
    EXPECT_TRUE(window->fl->MultiSelect());

    Settle();
    EXPECT_EQ(Items(), (std::vector<QString>{QDir::cleanPath(ilda) + "/Beams/deep/er/wave.ild",
                                             QDir::cleanPath(ilda) + "/intro.ild"}));
    ExpectIdleSearchPanel(true);
    EXPECT_EQ(window->Label1->text(), idleLabel1);
    // The status panel keeps the last name met.
    EXPECT_EQ(window->sp1->Caption(), QStringLiteral("Last File Found   wave.ild"));
    EXPECT_TRUE(dialogs.asked.empty());
}

TEST_F(SearchFlowTest, ListsEveryMatchWithItsFullPathInTheListsSortedOrder) {
    MakeTree(shows, {"a.ild", "B.ILD", "sub/c.ild", "c.ild.bak", "readme.txt", "sub/d.scn"});
    FirstSearchOf(shows);
    const std::vector<QString> expected = {shows + "/a.ild", shows + "/B.ILD",
                                           shows + "/sub/c.ild"};
    EXPECT_EQ(Items(), expected);
    EXPECT_TRUE(std::is_sorted(expected.begin(), expected.end(), &FoundOrderLess));
}

// A fast walk: every directory changes the status text, while the window system is handed a
// new caption only at the window's paint pace, each naming the directory entered then.
TEST_F(SearchFlowTest, AFastWalkHandsTheCaptionToTheWindowSystemAtThePaintPace) {
    for (int i = 0; i < 600; ++i)
        ASSERT_TRUE(QDir().mkpath(shows + QStringLiteral("/d%1/e").arg(i)));
    WatchNotifications();
    std::vector<QString> handed;
    QObject::connect(window->windowHandle(), &QWindow::windowTitleChanged,
                     [&](const QString& title) { handed.push_back(title); });
    FirstSearchOf(shows);

    ASSERT_EQ(dirs.size(), 1201u);
    for (size_t i = 0; i < dirs.size(); ++i)
        ASSERT_EQ(statusTexts[i], " \n Searching Directories :: \n " + dirs[i]);
    ASSERT_GE(handed.size(), 3u);
    EXPECT_LT(handed.size(), dirs.size() / 4);
    EXPECT_EQ(handed.front(), QStringLiteral("File Searching Started."));
    EXPECT_EQ(handed.back(), StandardTitle());
    for (size_t i = 1; i + 1 < handed.size(); ++i) {
        ASSERT_TRUE(handed[i].startsWith(QStringLiteral("  Searching for Files  ")));
        const QString dir = handed[i].mid(23);
        EXPECT_NE(std::find(dirs.begin(), dirs.end(), dir), dirs.end()) << dir.toStdString();
    }
    // The first directory is named at once.
    EXPECT_EQ(titles.front(), "  Searching for Files  " + dirs.front());
}

TEST_F(SearchFlowTest, CaseVariantsOfOneNameListLowerCaseFirst) {
    MakeTree(shows, {"Laser.ild", "laser.ild", "LASER.ILD", "zoom.ild"});
    FirstSearchOf(shows);
    EXPECT_EQ(Items(), (std::vector<QString>{shows + "/laser.ild", shows + "/Laser.ild",
                                             shows + "/LASER.ILD", shows + "/zoom.ild"}));
}

TEST_F(SearchFlowTest, WhileSearchingTheCaptionAndStatusNameTheDirectoryEntered) {
    MakeTree(shows, {"top.ild", "a/mid.ild", "a/b/low.ild"});
    WatchNotifications(true);
    FirstSearchOf(shows);

    const std::vector<QString> entered = {shows + "/", shows + "/a/", shows + "/a/b/"};
    EXPECT_EQ(dirs, entered);
    ASSERT_EQ(titles.size(), entered.size());
    for (size_t i = 0; i < entered.size(); ++i) {
        EXPECT_EQ(titles[i], "  Searching for Files  " + entered[i]);
        EXPECT_EQ(statusTexts[i], " \n Searching Directories :: \n " + entered[i]);
        EXPECT_EQ(statusColours[i], QColor(Qt::red));
    }
    EXPECT_EQ(fileCaptions,
              (std::vector<QString>{"Last File Found   top.ild", "Last File Found   mid.ild",
                                    "Last File Found   low.ild"}));
    EXPECT_EQ(finishes, 1);
    EXPECT_EQ(cancels, 0);
    EXPECT_EQ(window->windowTitle(), StandardTitle());
}

TEST_F(SearchFlowTest, UnreadableStartDirectoryEndsNormallyWithNothingListed) {
    FirstSearchOf(shows);
    ASSERT_TRUE(QDir(shows).removeRecursively());
    // The list still shows the removed directory; the next start searches it.
    dialogs.confirmAnswers.push_back(TAnswer::No);
    WatchNotifications();
    window->RzBitBtn1->click();
    Settle();
    EXPECT_EQ(window->fl->Count(), 0);
    EXPECT_EQ(finishes, 1);
    ExpectIdleSearchPanel(true);
}

// A later start, from the idle search panel after a first search of three files, with one
// more file put in the tree since. A search lists each file once, also one that a search
// keeping the earlier files meets again; Cancel leaves the panel as it was, the selection and
// Save included.
struct LaterStartCase {
    const char* name;
    TAnswer answer;
    bool searches;
};

class LaterStartTest : public SearchFlowTest,
                       public ::testing::WithParamInterface<LaterStartCase> {};

TEST_P(LaterStartTest, AsksAndActsOnTheAnswer) {
    const LaterStartCase& c = GetParam();
    MakeTree(shows, {"a.ild", "B.ILD", "sub/c.ild"});
    FirstSearchOf(shows);
    ASSERT_EQ(window->fl->Count(), 3);
    window->fl->SetSelected(1, true);
    window->fl->SetSelected(2, true);
    MakeTree(shows, {"sub/d.ild"});
    WatchNotifications();

    dialogs.confirmAnswers.push_back(c.answer);
    window->RzBitBtn1->click();
    ASSERT_EQ(dialogs.Count(Kind::Confirm), 1);
    EXPECT_EQ(dialogs.asked.back().text, laterStartQuestion);
    EXPECT_EQ(dialogs.asked.back().buttons, TConfirmButtons::YesNoCancel);
    // A search turns multi-selection off, which clears the selection; Cancel keeps both.
    EXPECT_EQ(window->fl->SelectedCount(), c.searches ? 0 : 2);

    if (c.searches) {
        // No empties the list before the search; Yes keeps it.
        EXPECT_EQ(window->fl->Count(), c.answer == TAnswer::No ? 0 : 3);
        EXPECT_EQ(window->lf->Dirs(), shows);
        EXPECT_FALSE(window->fl->MultiSelect());
        EXPECT_TRUE(window->RzBitBtn3->isEnabled());
        EXPECT_FALSE(window->RzBitBtn1->isEnabled());
        EXPECT_FALSE(window->RzBitBtn2->isEnabled());
        // A later search leaves the drive selector enabled.
        EXPECT_TRUE(window->DriveComboBox1->isEnabled());
        EXPECT_EQ(window->windowTitle(), QStringLiteral("File Searching Started."));
        EXPECT_EQ(window->RzLabel21->text(),
                  QStringLiteral("\n    File searching Enabled :: Please Wait Searching."));
        EXPECT_EQ(FontColour(window->RzLabel21), QColor(Qt::red));
    } else {
        ExpectIdleSearchPanel(true);
        EXPECT_FALSE(window->RzRadioGroup1->isHidden());
        EXPECT_EQ(window->Label1->text(), idleLabel1);
        // Something else in the caption: the cancel notification that follows restores it.
        window->setWindowTitle(QStringLiteral("elsewhere"));
    }

    Settle();
    std::vector<QString> expected = {shows + "/a.ild", shows + "/B.ILD", shows + "/sub/c.ild"};
    if (c.searches)
        expected.push_back(shows + "/sub/d.ild");
    EXPECT_EQ(Items(), expected);
    EXPECT_EQ(dirs.size(), c.searches ? 2u : 0u);
    EXPECT_EQ(finishes, c.searches ? 1 : 0);
    EXPECT_EQ(cancels, c.searches ? 0 : 1);
    EXPECT_EQ(window->fl->SelectedCount(), c.searches ? 0 : 2);
    ExpectIdleSearchPanel(true);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, LaterStartTest,
    ::testing::Values(LaterStartCase{"YesKeepsTheListAndAddsOnlyNewFiles", TAnswer::Yes, true},
                      LaterStartCase{"NoEmptiesTheListBeforeTheNewSearch", TAnswer::No, true},
                      LaterStartCase{"CancelStartsNoSearchAndKeepsListSelectionAndSave",
                                     TAnswer::Cancel, false}),
    [](const ::testing::TestParamInfo<LaterStartCase>& info) {
        return std::string(info.param.name);
    });

// Escape on the desktop's own question box, with files listed and selected: the selection
// stays and Save is enabled; pressed, it asks where to save them (not "No Files Selected").
TEST_F(SearchFlowTest, EscapeOnTheRealLaterStartQuestionLeavesSaveWorking) {
    window = std::make_unique<TConvert>(nullptr, baseDir);
    window->show();
    MakeTree(shows, {"a.ild", "b.ild", "c.ild"});
    FirstSearchOf(shows);
    ASSERT_EQ(window->fl->Count(), 3);
    window->fl->SetSelected(0, true);
    window->fl->SetSelected(2, true);
    {
        ModalBoxKeys keys({Qt::Key_Escape});
        QTest::mouseClick(window->RzBitBtn1, Qt::LeftButton);
        ASSERT_EQ(keys.seen.size(), 1u);
        EXPECT_EQ(keys.seen[0].text, laterStartQuestion);
    }
    Settle();
    EXPECT_EQ(window->fl->SelectedCount(), 2);
    ExpectIdleSearchPanel(true);
    ModalBoxKeys keys({Qt::Key_Escape});
    QTest::mouseClick(window->RzBitBtn2, Qt::LeftButton);
    ASSERT_EQ(keys.seen.size(), 1u);
    EXPECT_TRUE(
        keys.seen[0].text.startsWith(QStringLiteral("Please Follow the Instructions below")));
}

TEST_F(SearchFlowTest, StopDuringASearchKeepsWhatWasFoundAndReturnsToTheIdlePanel) {
    MakeTree(shows, {"one.ild", "two.ild", "sub1/three.ild", "sub2/four.ild", "sub2/x/five.ild"});
    WatchNotifications();
    // Stop is clicked at the first chance the walk gives once it has entered the start
    // directory: at the entry of the first subdirectory, where it processes pending events.
    bool clicked = false;
    std::vector<bool> enabledAfterStop;
    QTimer clicker;
    clicker.setInterval(0);
    QObject::connect(&clicker, &QTimer::timeout, [&] {
        if (clicked || dirs.empty())
            return;
        clicked = true;
        ASSERT_TRUE(window->RzBitBtn3->isEnabled());
        QTest::mouseClick(window->RzBitBtn3, Qt::LeftButton);
        for (TGlyphButton* button : {window->RzBitBtn2, window->RzBitBtn5, window->RzBitBtn4,
                                     window->RzBitBtn6, window->RzBitBtn1})
            enabledAfterStop.push_back(button->isEnabled());
        // Still inside the walk: the run ends after this handler has returned.
        EXPECT_TRUE(window->lf->IsSearching());
        EXPECT_EQ(window->windowTitle(), StandardTitle());
        EXPECT_EQ(window->RzLabel21->text(), SearchPanelHint());
    });
    clicker.start();
    window->DirectoryListBox1->SetDirectory(shows);
    window->Search->click();
    Settle();
    clicker.stop();

    ASSERT_TRUE(clicked);
    EXPECT_EQ(dialogs.Texts(Kind::Information),
              (std::vector<QString>{QStringLiteral(" File Search Cancelled ")}));
    EXPECT_EQ(enabledAfterStop, (std::vector<bool>{true, true, true, true, true}));
    // The start directory's own files were found before any subdirectory was entered; the walk
    // stopped in the subdirectory it was entering and went no further.
    EXPECT_EQ(Items(), (std::vector<QString>{shows + "/one.ild", shows + "/two.ild"}));
    EXPECT_EQ(dirs.size(), 2u);
    EXPECT_EQ(cancels, 1);
    EXPECT_EQ(finishes, 0);
    ExpectIdleSearchPanel(true);

    // A search after a Stop runs in full.
    dialogs.confirmAnswers.push_back(TAnswer::No);
    window->RzBitBtn1->click();
    Settle();
    EXPECT_EQ(window->fl->Count(), 5);
    EXPECT_EQ(finishes, 1);
}

TEST_F(SearchFlowTest, ConvertFromTheIdlePanelEmptiesTheListAndShowsConvertMode) {
    MakeTree(shows, {"a.ild", "sub/c.ild"});
    FirstSearchOf(shows);
    ASSERT_EQ(window->fl->Count(), 2);
    WatchNotifications();

    window->RzBitBtn4->click();
    Settle();
    EXPECT_EQ(window->fl->Count(), 0);
    EXPECT_TRUE(window->fl->isHidden());
    EXPECT_FALSE(window->PC1->isHidden());
    EXPECT_TRUE(window->PS1->isHidden());
    EXPECT_TRUE(window->sp1->isHidden());
    EXPECT_FALSE(window->FileListBox1->isHidden());
    EXPECT_EQ(window->DirectoryListBox1->height(), 145);
    EXPECT_EQ(window->DirectoryListBox1->Directory(), QDir::cleanPath(window->IldaDirectory()));
    EXPECT_TRUE(window->BitBtn1->isEnabled());
    EXPECT_TRUE(window->RzBitBtn1->isEnabled());
    EXPECT_FALSE(window->RzBitBtn4->isEnabled());
    EXPECT_TRUE(window->RzRadioGroup1->isEnabled());
    // The empty run walked nothing and ended with the cancel notification.
    EXPECT_TRUE(dirs.empty());
    EXPECT_EQ(cancels, 1);
    EXPECT_EQ(window->windowTitle(), StandardTitle());

    // From convert mode the next Start is a first start again: no question.
    window->RzBitBtn1->click();
    Settle();
    EXPECT_EQ(dialogs.Count(Kind::Confirm), 0);
    EXPECT_TRUE(window->PC1->isHidden());
}

TEST_F(SearchFlowTest, WebPromptNoLeavesTheWelcomePanelAndStartsNothing) {
    WatchNotifications();
    dialogs.confirmAnswers.push_back(TAnswer::No);
    window->RzBitBtn15->click();
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].text, webQuestion);
    EXPECT_EQ(dialogs.asked[0].buttons, TConfirmButtons::YesNoCancel);
    EXPECT_FALSE(window->lf->IsSearching());
    Settle();
    EXPECT_FALSE(window->RzPanel3->isHidden());
    EXPECT_TRUE(window->BitBtn1->isEnabled());
    EXPECT_FALSE(window->RzBitBtn3->isEnabled());
    EXPECT_TRUE(dirs.empty());
    EXPECT_EQ(cancels + finishes, 0);
    EXPECT_EQ(dialogs.Count(Kind::OpenUrl), 0);
}

// A directory whose path is wider than the status text shows with the middle of the path left
// out, its start and its own name kept (the text is centred, so cutting it would lose both
// ends); the whole path is the tooltip. The found file's name in sp1 keeps its extension.
TEST_F(SearchFlowTest, ALongPathShowsItsStartAndItsNameWhileSearching) {
    const QString deep = QStringLiteral(
        "festival-2026-main-stage-night-two-final-cut/laser-content-library-archive-backup/"
        "customer-deliveries-approved-versions/last-directory-name");
    const QString file = QStringLiteral(
        "j4cdac__rainbowcircle_tunnel_with_beam_effects_and_a_very_long_name_final_version.ild");
    MakeTree(shows, {(deep + u'/' + file).toUtf8().constData()});
    WatchNotifications();
    FirstSearchOf(shows);
    ASSERT_EQ(Items().size(), 1u);

    const QString dir = shows + u'/' + deep + u'/';
    const auto entered = std::find(dirs.begin(), dirs.end(), dir);
    ASSERT_NE(entered, dirs.end());
    const size_t i = static_cast<size_t>(entered - dirs.begin());
    const QString prefix = QStringLiteral(" \n Searching Directories :: \n ");
    EXPECT_EQ(statusTexts[i], prefix + dir);
    ASSERT_TRUE(statusShown[i].startsWith(prefix)) << statusShown[i].toStdString();
    const QString shown = statusShown[i].mid(prefix.size());
    EXPECT_TRUE(shown.startsWith(shows.left(5))) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(QStringLiteral("/last-directory-name/"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();
    EXPECT_LE(window->RzLabel21->fontMetrics().horizontalAdvance(u' ' + shown),
              window->RzLabel21->width());
    EXPECT_EQ(statusTips[i], dir);

    const QString caption = window->sp1->ShownCaption();
    EXPECT_TRUE(caption.endsWith(QStringLiteral(".ild"))) << caption.toStdString();
    EXPECT_TRUE(caption.contains(QStringLiteral("j4cdac"))) << caption.toStdString();
    EXPECT_EQ(window->sp1->PathTip(), file);
    // Idle again, the hint carries no tooltip of a path.
    EXPECT_EQ(window->RzLabel21->PathTip(), QString());
    EXPECT_EQ(window->RzLabel21->ShownText(), SearchPanelHint());
}

// Without a web browser the visit cannot happen: the window says so and gives the address;
// the search the answer starts goes on.
TEST_F(SearchFlowTest, WebPromptYesWithoutABrowserSaysSoAndGivesTheAddress) {
    MakeTree(shows, {"a.ild"});
    window->DirectoryListBox1->SetDirectory(shows);
    dialogs.confirmAnswers.push_back(TAnswer::Yes);
    dialogs.openUrlAnswers.push_back(false);
    window->RzBitBtn15->click();
    ASSERT_EQ(dialogs.asked.size(), 3u);
    EXPECT_EQ(dialogs.asked[1].kind, Kind::OpenUrl);
    EXPECT_EQ(dialogs.asked[2].kind, Kind::Information);
    EXPECT_TRUE(dialogs.asked[2].text.startsWith(QStringLiteral("No web browser could be started")))
        << dialogs.asked[2].text.toStdString();
    EXPECT_TRUE(dialogs.asked[2].text.endsWith(WebSiteAddress()))
        << dialogs.asked[2].text.toStdString();
    Settle();
    EXPECT_EQ(Items(), std::vector<QString>{shows + "/a.ild"});
    ExpectIdleSearchPanel(true);
}

TEST_F(SearchFlowTest, WebPromptYesSearchesTheShownDirectoryAndOpensTheWebSite) {
    MakeTree(shows, {"a.ild", "sub/c.ild"});
    window->DirectoryListBox1->SetDirectory(shows);
    dialogs.confirmAnswers.push_back(TAnswer::Yes);
    window->RzBitBtn15->click();
    ASSERT_EQ(dialogs.asked.size(), 2u);
    EXPECT_EQ(dialogs.asked[0].kind, Kind::Confirm);
    EXPECT_EQ(dialogs.asked[1].kind, Kind::OpenUrl);
    EXPECT_EQ(dialogs.asked[1].text, WebSiteAddress());
    EXPECT_TRUE(window->RzPanel3->isHidden());
    EXPECT_TRUE(window->lf->IsSearching());
    EXPECT_EQ(window->lf->Dirs(), shows);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("File Searching Started."));
    Settle();
    EXPECT_EQ(Items(), (std::vector<QString>{shows + "/a.ild", shows + "/sub/c.ild"}));
    ExpectIdleSearchPanel(true);
}

TEST_F(SearchFlowTest, WebPromptCancelEndsTheApplication) {
    WatchNotifications();
    dialogs.confirmAnswers.push_back(TAnswer::Cancel);
    QTimer::singleShot(0, window->RzBitBtn15, [this] { window->RzBitBtn15->click(); });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(-1); });
    guard.start(5000);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_EQ(dialogs.Count(Kind::Confirm), 1);
    EXPECT_FALSE(window->lf->IsSearching());
    EXPECT_TRUE(dirs.empty());
    EXPECT_EQ(dialogs.Count(Kind::OpenUrl), 0);
}

// Red pixels (the searching status text) in the part of a picture of the window that the
// control covers.
int RedPixelsOver(const QImage& picture, const QWidget& control, const QWidget& window) {
    const QRect area(control.mapTo(&window, QPoint(0, 0)) * picture.devicePixelRatio(),
                     control.size() * picture.devicePixelRatio());
    int red = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = picture.pixelColor(x, y);
            red += c.red() > 160 && c.green() < 90 && c.blue() < 90;
        }
    return red;
}

// The search panel as the screen shows it while a search runs (the red status text naming a
// directory) and after it (the hint in black), each picture kept in the test's own directory.
TEST_F(SearchFlowTest, PicturesDuringAndAfterASearch) {
    MakeTree(shows, {"Intro.ild", "beams.ild", "Tour 2024/Opening/Wave.ILD",
                     "Tour 2024/Opening/Finale/fan.ild", "Tour 2024/Opening/Finale/fan2.ild"});
    QImage searching;
    TLMDSearchFileGrep& lf = *window->lf;
    lf.OnDirChange = [&, bound = lf.OnDirChange](QObject* sender, const QString& dir) {
        bound(sender, dir);
        if (searching.isNull() && dir.endsWith(QStringLiteral("/Finale/"))) {
            // What the screen shows: the window's backing store. (Rendering the window afresh
            // would leave out the controls whose paints the search holds between its paced
            // paints.)
            searching = window->QWidget::screen()->grabWindow(window->winId()).toImage();
        }
    };
    FirstSearchOf(shows);
    ASSERT_FALSE(searching.isNull());
    EXPECT_TRUE(searching.save(temp.filePath(QStringLiteral("searchflow-searching.png"))));
    EXPECT_GT(RedPixelsOver(searching, *window->RzLabel21, *window), 50);

    window->fl->SetSelected(1, true);
    QCoreApplication::processEvents();
    const QImage idle = window->grab().toImage();
    EXPECT_TRUE(idle.save(temp.filePath(QStringLiteral("searchflow-idle.png"))));
    EXPECT_EQ(RedPixelsOver(idle, *window->RzLabel21, *window), 0);
    EXPECT_EQ(window->fl->Count(), 5);
}

} // namespace
