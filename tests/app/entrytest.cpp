// The entry point, the event loop and the keys and buttons that end it.

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <csignal>
#include <functional>
#include <stdexcept>

#include "app/entrypoint.h"
#include "app/tapplication.h"
#include "tests/app/windowfixture.h"
#include "tests/platform/scopedenvironment.h"
#include "widgets/tglyphbutton.h"

namespace {

using Kind = ScriptedUserDialogs::Kind;

TApplication& App() {
    return *static_cast<TApplication*>(QCoreApplication::instance());
}

// The caption the window system shows for a window: the desktop platforms (xcb, wayland,
// windows) give it the QWindow's title followed by " \u2014 " and the application's display
// name, unless no display name was set or the title already ends in it.
QString PlatformCaption(const QWindow& window) {
    const QString title = window.title();
    // An unset display name follows the application name.
    const QString name = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(name + QStringLiteral("-probe"));
    const QString displayName = QGuiApplication::applicationDisplayName();
    QCoreApplication::setApplicationName(name);
    if (displayName == name + QStringLiteral("-probe") || title.endsWith(displayName))
        return title;
    return title + QStringLiteral(" \u2014 ") + displayName;
}

// Runs the event loop with `action` as its first event; returns the loop's exit code, or -1
// when the loop was still running after a few seconds (and was ended by force).
int RunLoopWith(const std::function<void()>& action) {
    QTimer::singleShot(0, action);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(-1); });
    guard.start(5000);
    return QApplication::exec();
}

class EventLoopTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        App().SetDialogs(&dialogs);
        window->activateWindow();
    }
    void TearDown() override {
        App().SetDialogs(nullptr);
        WindowTest::TearDown();
    }
};

struct QuitCase {
    const char* name;
    const char* button;
};

class QuitButtonTest : public EventLoopTest, public ::testing::WithParamInterface<QuitCase> {};

TEST_P(QuitButtonTest, EndsTheEventLoopWithoutAQuestion) {
    auto* button = Control<QAbstractButton>(GetParam().button);
    ASSERT_NE(button, nullptr);
    button->setEnabled(true);
    EXPECT_EQ(RunLoopWith([button] { button->click(); }), 0);
    EXPECT_TRUE(dialogs.asked.empty());
}

INSTANTIATE_TEST_SUITE_P(Buttons, QuitButtonTest,
                         ::testing::Values(QuitCase{"WelcomeQuit", "RzBitBtn16"},
                                           QuitCase{"SearchPanelQuit", "RzBitBtn6"},
                                           QuitCase{"PreviewPanelQuit", "RzBitBtn12"},
                                           QuitCase{"ConversionRowClose", "BitBtn2"}),
                         [](const ::testing::TestParamInfo<QuitCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(EventLoopTest, EnterInConvertModeClosesThroughTheDefaultButton) {
    window->Convert->click();
    Settle();
    QSignalSpy closeClicks(window->BitBtn2, &QAbstractButton::clicked);
    window->Edit1->setFocus();
    const int code = RunLoopWith([this] { QTest::keyClick(window->Edit1, Qt::Key_Return); });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(closeClicks.count(), 1);
}

// A list keeps Enter: the directory lists open the current directory, the file lists choose
// the current file; neither passes the key on to the default button.
struct EnterOnListCase {
    const char* name;
    const char* list;
    // Checks what Enter did in the list; the current row was set to `row` before.
    std::function<void(TConvert&, const QString& ildaSub)> check;
};

class EnterOnListTest : public EventLoopTest,
                        public ::testing::WithParamInterface<EnterOnListCase> {};

TEST_P(EnterOnListTest, IsKeptByTheListAndDoesNotClose) {
    const QString ildaSub = window->IldaDirectory() + QStringLiteral("/Shows");
    ASSERT_TRUE(QDir().mkpath(ildaSub));
    QFile file(window->IldaDirectory() + QStringLiteral("/laser.ild"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    window->Convert->click();
    Settle();
    ASSERT_TRUE(window->BitBtn2->isVisible() && window->BitBtn2->isEnabled());

    auto* list = Control<QListWidget>(GetParam().list);
    ASSERT_NE(list, nullptr);
    // The last row: the subdirectory in a directory list, the file in the ILDA file list.
    list->setCurrentRow(list->count() - 1);
    list->setFocus();
    QSignalSpy closeClicks(window->BitBtn2, &QAbstractButton::clicked);
    QTest::keyClick(list, Qt::Key_Return);
    QTest::keyClick(list, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(closeClicks.count(), 0);
    GetParam().check(*window, ildaSub);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, EnterOnListTest,
    ::testing::Values(EnterOnListCase{"DirectoryListOpensTheDirectory", "DirectoryListBox1",
                                      [](TConvert& window, const QString& ildaSub) {
                                          EXPECT_EQ(window.DirectoryListBox1->Directory(),
                                                    QDir::cleanPath(ildaSub));
                                      }},
                      EnterOnListCase{"FileListChoosesTheFile", "FileListBox1",
                                      [](TConvert& window, const QString&) {
                                          EXPECT_EQ(window.Edit1->text(),
                                                    QStringLiteral("laser.ild"));
                                      }},
                      EnterOnListCase{"SceneDirectoryList", "DirectoryListBox2",
                                      [](TConvert& window, const QString&) {
                                          EXPECT_EQ(window.DirectoryListBox2->Directory(),
                                                    QDir::cleanPath(window.SceneDirectory()));
                                      }},
                      EnterOnListCase{"SceneFileList", "FileListBox2",
                                      [](TConvert&, const QString&) {}}),
    [](const ::testing::TestParamInfo<EnterOnListCase>& info) {
        return std::string(info.param.name);
    });

TEST_F(EventLoopTest, EnterOnTheFoundListDoesNotClose) {
    window->Convert->click();
    Settle();
    window->fl->Add(QStringLiteral("/shows/a.ild"));
    window->fl->show();
    window->fl->SetSelected(0, true);
    window->fl->setCurrentIndex(window->fl->model()->index(0, 0));
    window->fl->setFocus();
    QSignalSpy closeClicks(window->BitBtn2, &QAbstractButton::clicked);
    QTest::keyClick(window->fl, Qt::Key_Return);
    EXPECT_EQ(closeClicks.count(), 0);
}

// Keys typed after the welcome panel's Search reach no hidden or covered control: the mask
// fields, hidden in search mode, still hold their masks when convert mode shows them again.
TEST_F(EventLoopTest, TypingAfterSearchReachesNoHiddenControl) {
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    window->Search->click();
    Settle();
    QTest::keyClick(window->windowHandle(), 'Q');
    QTest::keyClick(window->windowHandle(), 'Q');
    const QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    EXPECT_TRUE(focus->isVisible()) << focus->objectName().toStdString();
    window->RzBitBtn4->click();
    Settle();
    EXPECT_EQ(window->Edit1->text(), QStringLiteral("*.ild"));
    EXPECT_EQ(window->Edit2->text(), QStringLiteral("*.scn"));
}

// Tab and Backtab on the welcome panel stay on its own buttons; the conversion row beneath it
// (its Close button included) is neither reached nor pressed by Enter.
TEST_F(EventLoopTest, TabAndEnterOnTheWelcomePanelReachNoCoveredControl) {
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QSignalSpy closeClicks(window->BitBtn2, &QAbstractButton::clicked);
    const QList<QWidget*> own = {window->Search, window->Convert, window->RzBitBtn15,
                                 window->RzBitBtn16};
    for (const Qt::Key key : {Qt::Key_Tab, Qt::Key_Backtab}) {
        for (int press = 0; press < 12; ++press) {
            QWidget* focus = QApplication::focusWidget();
            ASSERT_NE(focus, nullptr);
            QTest::keyClick(focus, key);
            focus = QApplication::focusWidget();
            ASSERT_NE(focus, nullptr);
            EXPECT_TRUE(own.contains(focus)) << focus->objectName().toStdString();
        }
    }
    window->Search->setFocus();
    QTest::keyClick(window->Search, Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    Settle();
    EXPECT_EQ(closeClicks.count(), 0);
}

TEST_F(EventLoopTest, EnterOnAFocusedButtonClicksThatButtonInstead) {
    window->Convert->click();
    Settle();
    QSignalSpy closeClicks(window->BitBtn2, &QAbstractButton::clicked);
    QSignalSpy searchClicks(window->RzBitBtn1, &QAbstractButton::clicked);
    window->RzBitBtn1->setFocus();
    QTest::keyClick(window->RzBitBtn1, Qt::Key_Return);
    EXPECT_EQ(searchClicks.count(), 1);
    EXPECT_EQ(closeClicks.count(), 0);
}

TEST_F(EventLoopTest, EscapeClicksTheStopButtonOnlyWhileItIsEnabled) {
    window->Convert->click();
    Settle();
    QSignalSpy stopClicks(window->BitBtn3, &QAbstractButton::clicked);
    window->Edit1->setFocus();
    QTest::keyClick(window->Edit1, Qt::Key_Escape);
    EXPECT_EQ(stopClicks.count(), 0);
    window->BitBtn3->setEnabled(true); // as during a conversion
    QTest::keyClick(window->Edit1, Qt::Key_Escape);
    EXPECT_EQ(stopClicks.count(), 1);
}

TEST_F(EventLoopTest, AnExceptionLeavingAHandlerIsShownAndTheLoopGoesOn) {
    bool ranAfter = false;
    const int code = RunLoopWith([&] {
        QTimer::singleShot(0, [] { throw std::runtime_error("I/O error 32"); });
        QTimer::singleShot(0, [] { throw 42; });
        QTimer::singleShot(10, [&] {
            ranAfter = true;
            window->BitBtn2->click();
        });
    });
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(ranAfter);
    EXPECT_EQ(dialogs.Texts(Kind::Error),
              (std::vector<QString>{QStringLiteral("I/O error 32"), QString()}));
}

// Dialogs whose themed box fails, as a toolkit error would: the window's start-up warning
// then leaves its constructor.
class FailingThemedDialogs : public ScriptedUserDialogs {
public:
    int ThemedMessage(const std::string& text, int type, unsigned buttons) override {
        ScriptedUserDialogs::ThemedMessage(text, type, buttons);
        throw std::runtime_error("the message box cannot be shown");
    }
};

TEST(Entry, WindowThatCannotBeCreatedIsReportedAndTheEntryEnds) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString previousCurrent = QDir::currentPath();
    // Neither working directory place can be made, so the window warns at start.
    QFile file(temp.path() + QStringLiteral("/file"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const ScopedEnvironment dataHome("XDG_DATA_HOME", (temp.path() + "/file/data").toStdString());
    FailingThemedDialogs dialogs;
    App().SetDialogs(&dialogs);
    bool loopRan = false;
    QTimer::singleShot(0, [&] {
        loopRan = true;
        QCoreApplication::exit(-1);
    });
    const int code = RunTrellion(App(), &dialogs, temp.path() + QStringLiteral("/missing/"));
    App().SetDialogs(nullptr);
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(loopRan);
    EXPECT_EQ(dialogs.Count(Kind::Themed), 1);
    EXPECT_EQ(dialogs.Texts(Kind::Error),
              std::vector<QString>{QStringLiteral("the message box cannot be shown")});
    for (QWidget* top : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<TConvert*>(top), nullptr);
    EXPECT_EQ(QApplication::applicationDisplayName(), QStringLiteral("Trellion"));
    QCoreApplication::processEvents(); // the pending singleShot
    QDir::setCurrent(previousCurrent);
}

TEST(Entry, RunsTheWindowUntilQuitAndReturnsZero) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString previousCurrent = QDir::currentPath();
    ScriptedUserDialogs dialogs;
    QString title;
    QString caption;
    QString convertCaption;
    QString iconText;
    bool guardFired = false;
    QTimer::singleShot(5000, [&] {
        guardFired = true;
        QCoreApplication::exit(-1);
    });
    QTimer::singleShot(0, [&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* window = qobject_cast<TConvert*>(top); window && window->isVisible()) {
                title = window->windowTitle();
                caption = PlatformCaption(*window->windowHandle());
                iconText = window->windowIconText();
                window->Convert->click();
                convertCaption = PlatformCaption(*window->windowHandle());
                window->BitBtn2->click();
                return;
            }
        }
        QCoreApplication::exit(-1);
    });
    // A file size limit must fail a write, not kill the window: the entry ignores SIGXFSZ.
    const auto previousHandler = std::signal(SIGXFSZ, SIG_DFL);
    EXPECT_EQ(RunTrellion(App(), &dialogs, temp.path()), 0);
    EXPECT_EQ(std::signal(SIGXFSZ, previousHandler), SIG_IGN);
    EXPECT_EQ(title, StartTitle());
    // The caption is the window's text alone; the application's title names the task bar entry.
    EXPECT_EQ(caption, StartTitle());
    EXPECT_EQ(convertCaption, StandardTitle());
    EXPECT_EQ(iconText, QStringLiteral("Trellion"));
    EXPECT_FALSE(guardFired);
    EXPECT_TRUE(dialogs.asked.empty());
    QDir::setCurrent(previousCurrent);
}

} // namespace
