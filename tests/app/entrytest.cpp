// The entry point, the event loop and the keys and buttons that end it.

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <stdexcept>

#include "app/entrypoint.h"
#include "app/tapplication.h"
#include "app/tglyphbutton.h"
#include "tests/app/windowfixture.h"
#include "tests/platform/scopedenvironment.h"

namespace {

using Kind = ScriptedUserDialogs::Kind;

TApplication& App() {
    return *static_cast<TApplication*>(QCoreApplication::instance());
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
    bool guardFired = false;
    QTimer::singleShot(5000, [&] {
        guardFired = true;
        QCoreApplication::exit(-1);
    });
    QTimer::singleShot(0, [&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* window = qobject_cast<TConvert*>(top); window && window->isVisible()) {
                title = window->windowTitle();
                window->RzBitBtn16->click();
                return;
            }
        }
        QCoreApplication::exit(-1);
    });
    EXPECT_EQ(RunTrellion(App(), &dialogs, temp.path()), 0);
    EXPECT_EQ(title, StartTitle());
    EXPECT_FALSE(guardFired);
    EXPECT_TRUE(dialogs.asked.empty());
    QDir::setCurrent(previousCurrent);
}

} // namespace
