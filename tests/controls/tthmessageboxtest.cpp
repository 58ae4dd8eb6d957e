#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "controls/bindthemedmessagebox.h"
#include "controls/thutils.h"
#include "controls/tthmessagebox.h"
#include "controls/tthpanel.h"
#include "controls/tthstatictext.h"
#include "platform/messagehook.h"
#include "tests/controls/pixeltools.h"

namespace {

// A box whose message measures a fixed width, so the width rule can be checked with the
// figures of its own contract.
class FixedWidthBox : public TThMessageBox {
public:
    explicit FixedWidthBox(int width) : width(width) {}

protected:
    int MeasureText(const QString&) const override { return width; }

private:
    int width;
};

// Runs `answer` once on the next modal dialog shown. A dialog still open after a few seconds
// is closed with result -1 so a failing test cannot hang.
class ModalAnswerer {
public:
    explicit ModalAnswerer(std::function<void(QDialog&)> answer) : answer(std::move(answer)) {
        poll.setInterval(5);
        QObject::connect(&poll, &QTimer::timeout, [this] { Poll(); });
        poll.start();
        failsafe.setSingleShot(true);
        failsafe.setInterval(5000);
        QObject::connect(&failsafe, &QTimer::timeout, [this] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                timedOut = true;
                dialog->done(-1);
            }
        });
        failsafe.start();
    }

    bool answered = false;
    bool timedOut = false;

private:
    void Poll() {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        poll.stop();
        answered = true;
        answer(*dialog);
    }

    std::function<void(QDialog&)> answer;
    QTimer poll;
    QTimer failsafe;
};

// Where keyboard input of the dialog goes: its focused child, else the dialog itself.
QWidget* KeyTarget(QDialog& dialog) {
    QWidget* focus = dialog.focusWidget();
    return focus ? focus : &dialog;
}

TEST(TThMessageBox, WidthRuleAndButtonRow) {
    struct Row {
        const char* name;
        int textWidth;
        unsigned buttons;
        int width;
        std::vector<int> lefts;
        std::vector<const char*> captions;
        std::vector<int> results;
    };
    const Row rows[] = {
        {"one_ok_text_200", 200, mbOK, 368, {152}, {"OK"}, {mrOk}},
        {"one_ok_minimum", 0, mbOK, 168, {52}, {"OK"}, {mrOk}},
        {"yes_no_cancel_text_50",
         50,
         mbYes | mbNo | mbCancel,
         288,
         {32, 112, 192},
         {"&Yes", "&No", "Cancel"},
         {mrYes, mrNo, mrCancel}},
        {"to_all_members_make_no_button", 0, mbNoToAll | mbYesToAll, 168, {}, {}, {}},
        {"every_button_in_table_order",
         10,
         0x7FF,
         768,
         {32, 112, 192, 272, 352, 432, 512, 592, 672},
         {"&Yes", "&No", "OK", "Cancel", "Abort", "&Retry", "&Ignore", "&All", "&Help"},
         {mrYes, mrNo, mrOk, mrCancel, mrAbort, mrRetry, mrIgnore, mrAll, mrNone}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        FixedWidthBox box(row.textWidth);
        box.BuildForm(QStringLiteral("message"), mtError, row.buttons);
        ASSERT_NE(box.Form(), nullptr);
        EXPECT_EQ(box.Form()->size(), QSize(row.width, 120));
        EXPECT_EQ(box.TitlePanel()->geometry(), QRect(0, 0, row.width, 23));
        EXPECT_EQ(box.BodyPanel()->geometry(), QRect(0, 23, row.width, 97));
        EXPECT_EQ(box.Icon()->geometry(), QRect(24, 20, 32, 32));
        EXPECT_EQ(box.MessageText()->geometry(), QRect(80, 4, row.width - 160, 64));
        EXPECT_EQ(box.MessageText()->text(), QStringLiteral("message"));
        ASSERT_EQ(box.ButtonCount(), static_cast<int>(row.lefts.size()));
        for (int i = 0; i < box.ButtonCount(); ++i) {
            const TThBitBtn* button = box.Button(i);
            ASSERT_NE(button, nullptr);
            EXPECT_EQ(button->geometry(), QRect(row.lefts[i], 60, 66, 24)) << "button " << i;
            EXPECT_EQ(button->text(), QString::fromLatin1(row.captions[i]));
            EXPECT_EQ(button->ModalResult(), row.results[i]);
            EXPECT_EQ(button->parentWidget(), box.BodyPanel());
        }
        EXPECT_EQ(box.Button(box.ButtonCount()), nullptr);
        box.DestroyForm();
        EXPECT_EQ(box.Form(), nullptr);
    }
}

TEST(TThMessageBox, MeasuredTextFitsItsLine) {
    const QString text = QStringLiteral("Cannot open Ilda file.");
    TThMessageBox box;
    box.BuildForm(text, mtError, mbOK);
    const int measured = QFontMetrics(box.MessageText()->font()).horizontalAdvance(text);
    EXPECT_EQ(box.Form()->width(), std::max(measured + 168, 128));
    EXPECT_GE(box.MessageText()->width(), measured);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_NEAR(box.Form()->geometry().center().x(), screen.center().x(), 1);
    EXPECT_NEAR(box.Form()->geometry().center().y(), screen.center().y(), 1);
}

// The box is never wider than the screen's available area: a longer message is wrapped to it,
// keeping its own line breaks, breaking between words or inside a word (a path) too long for a
// line, and the body grows by the extra lines with the buttons below them. A message of lines
// of its own shows each whole.
TEST(TThMessageBox, AMessageWiderThanTheScreenIsWrappedToIt) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QString path = QStringLiteral("/home/op/") + QString(300, u'x') + QStringLiteral(".ild");
    QString words;
    for (int i = 0; i < 60; ++i)
        words += QStringLiteral("word%1 ").arg(i);
    struct Row {
        const char* name;
        QString text;
        unsigned buttons;
        bool widerThanTheScreen = true;
    };
    const Row rows[] = {
        {"WordsOnOneLine", words.trimmed(), mbOK},
        {"LinesOfTheirOwn", QStringLiteral("could not be created:\n\n") + words + u'\n' + path,
         mbOK},
        {"OnePathWithoutBlanks", path + path, mbYes | mbNo | mbCancel},
        {"ShortLinesOfTheirOwn",
         QStringLiteral("could not be created:\n\n/opt/a\n/opt/b\n\nFiles can still be "
                        "searched;\nsaving fails."),
         mbOK, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TThMessageBox box;
        box.BuildForm(row.text, mtWarning, row.buttons);
        const QFontMetrics metrics(box.MessageText()->font());
        if (row.widerThanTheScreen) {
            ASSERT_GT(metrics.horizontalAdvance(row.text), area.width()) << "fits anyway";
        }
        EXPECT_LE(box.Form()->width(), area.width());
        EXPECT_LE(box.Form()->height(), area.height());
        EXPECT_TRUE(area.contains(box.Form()->geometry()));
        EXPECT_EQ(box.BodyPanel()->width(), box.Form()->width());
        EXPECT_EQ(box.BodyPanel()->geometry().bottom(), box.Form()->height() - 1);
        const QString shown = box.MessageText()->text();
        const QStringList lines = shown.split(u'\n');
        for (const QString& line : lines)
            EXPECT_LE(metrics.horizontalAdvance(line), box.MessageText()->width())
                << line.toStdString();
        // No line is cut at the message's top or bottom: its edge rows show only the face.
        const QImage drawn = box.MessageText()->grab().toImage();
        for (const int row : {0, drawn.height() - 1})
            for (int column = 0; column < drawn.width(); ++column)
                ASSERT_EQ(drawn.pixelColor(column, row), ThColour(thFace))
                    << "text in row " << row << ", column " << column;
        // Nothing of the text is lost: only line breaks and the blanks at them differ.
        QString joined = shown;
        QString given = row.text;
        joined.remove(u'\n').remove(u' ');
        given.remove(u'\n').remove(u' ');
        EXPECT_EQ(joined, given);
        // The lines stand centred in the message's height: their last ends above the buttons.
        const QRect message = box.MessageText()->geometry();
        const int textHeight = metrics.boundingRect(message, Qt::AlignHCenter, shown).height();
        const int textBottom = message.top() + (message.height() - textHeight) / 2 + textHeight;
        for (int i = 0; i < box.ButtonCount(); ++i) {
            const QRect button = box.Button(i)->geometry();
            EXPECT_GE(button.top(), textBottom) << "button " << i;
            EXPECT_LE(button.bottom(), box.BodyPanel()->height() - 1) << "button " << i;
            EXPECT_LE(button.right(), box.BodyPanel()->width() - 1) << "button " << i;
        }
    }
}

TEST(TThMessageBox, TypeGivesTitleAndIcon) {
    struct Row {
        int type;
        const char* title;
        bool hasIcon;
    };
    const Row rows[] = {
        {mtWarning, "Warning", true},
        {mtError, "Error", true},
        {mtInformation, "Information", true},
        {mtConfirmation, "Confirmation", true},
        {mtCustom, "?", false},
        {17, "?", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.title);
        TThMessageBox box;
        box.BuildForm(QStringLiteral("text"), row.type, mbOK);
        EXPECT_EQ(box.TitlePanel()->Caption(), QString::fromLatin1(row.title));
        EXPECT_EQ(box.TitlePanel()->Alignment(), taLeftJustify);
        EXPECT_EQ(!box.Icon()->pixmap().isNull(), row.hasIcon);
        if (row.hasIcon) {
            EXPECT_EQ(box.Icon()->pixmap().size(), QSize(32, 32));
        }
    }
}

TEST(TThMessageBox, TitleBarIsTheFramedRampWithIconAndBoldTitle) {
    FixedWidthBox box(200);
    box.BuildForm(QStringLiteral("message"), mtError, mbOK);
    const QImage image = Render(*box.Form());
    const int w = 368;
    QImage ramp(w, 23, QImage::Format_RGB32);
    {
        QPainter canvas(&ramp);
        GradientFill(canvas, QRect(0, 0, w, 23), false, thTitleRampStart, thTitleRampEnd);
    }
    // The ramp inside the frame, away from the icon and the title.
    for (int y = 1; y < 22; ++y)
        ASSERT_EQ(PixelAt(image, 200, y), PixelAt(ramp, 200, y)) << "row " << y;
    for (int x = 0; x < w; ++x) {
        ASSERT_EQ(PixelAt(image, x, 0), thTitleRampEnd) << "top frame at " << x;
        ASSERT_EQ(PixelAt(image, x, 22), thTitleRampEnd) << "bottom frame at " << x;
    }
    EXPECT_EQ(PixelAt(image, 0, 10), thTitleRampEnd);
    EXPECT_EQ(PixelAt(image, w - 1, 10), thTitleRampEnd);
    const QRect title = BoundingBoxOf(image.copy(22, 1, 150, 21), IsDark);
    ASSERT_FALSE(title.isNull()) << "no title text";
    EXPECT_GE(title.left() + 22, 26);
    const QRect icon = BoundingBoxOf(image.copy(0, 1, 22, 21), [](std::int32_t c) {
        return c != thTitleRampEnd && c != thTitleRampStart && IsDark(c);
    });
    EXPECT_FALSE(icon.isNull()) << "no title-bar icon";

    // The body below keeps the themed panel edges.
    EXPECT_EQ(PixelAt(image, 10, 23), thHighlight);
    EXPECT_EQ(PixelAt(image, 10, 119), thBorder);
    EXPECT_EQ(PixelAt(image, w - 1, 60), thBorder);
}

void SendMouse(QWidget* widget, QEvent::Type type, QPoint local) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(local), QPointF(widget->mapToGlobal(local)),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

TEST(TThMessageBox, DraggingTheTitleBarMovesTheWindow) {
    TThMessageBox box;
    box.BuildForm(QStringLiteral("drag me"), mtInformation, mbOK);
    QDialog* form = box.Form();
    form->show();
    form->move(100, 100);
    const QPoint start = form->pos();

    SendMouse(box.TitlePanel(), QEvent::MouseButtonPress, QPoint(10, 10));
    EXPECT_TRUE(box.Dragging());
    SendMouse(box.TitlePanel(), QEvent::MouseMove, QPoint(30, 15));
    EXPECT_EQ(form->pos(), start + QPoint(20, 5));
    SendMouse(box.TitlePanel(), QEvent::MouseMove, QPoint(5, 12));
    EXPECT_EQ(form->pos(), start + QPoint(15, 7));
    SendMouse(box.TitlePanel(), QEvent::MouseButtonRelease, QPoint(5, 12));
    EXPECT_FALSE(box.Dragging());
    SendMouse(box.TitlePanel(), QEvent::MouseMove, QPoint(50, 20));
    EXPECT_EQ(form->pos(), start + QPoint(15, 7));

    form->setWindowState(Qt::WindowMaximized);
    ASSERT_TRUE(form->isMaximized());
    const QPoint maximised = form->pos();
    SendMouse(box.TitlePanel(), QEvent::MouseButtonPress, QPoint(10, 10));
    SendMouse(box.TitlePanel(), QEvent::MouseMove, QPoint(40, 20));
    EXPECT_EQ(form->pos(), maximised);
    SendMouse(box.TitlePanel(), QEvent::MouseButtonRelease, QPoint(40, 20));
    form->hide();
}

TEST(TThMessageBox, KeysAnswerByButtonRole) {
    constexpr int stillOpen = 99;
    struct Row {
        const char* name;
        unsigned buttons;
        int key;
        int result;
    };
    const Row rows[] = {
        {"ok_enter", mbOK, Qt::Key_Return, mrOk},
        {"ok_escape_does_nothing", mbOK, Qt::Key_Escape, stillOpen},
        {"yes_no_enter", mbYes | mbNo, Qt::Key_Return, mrYes},
        {"yes_no_escape", mbYes | mbNo, Qt::Key_Escape, mrNo},
        {"ok_cancel_escape", mbOK | mbCancel, Qt::Key_Escape, mrCancel},
        {"ok_cancel_enter", mbOK | mbCancel, Qt::Key_Enter, mrOk},
        {"yes_no_cancel_enter", mbYes | mbNo | mbCancel, Qt::Key_Return, mrYes},
        {"yes_no_cancel_escape_cancels", mbYes | mbNo | mbCancel, Qt::Key_Escape, mrCancel},
        {"retry_abort_enter_on_focused_first", mbAbort | mbRetry, Qt::Key_Return, mrAbort},
        {"no_buttons_escape_closes", 0, Qt::Key_Escape, mrCancel},
        {"only_to_all_members_escape_closes", mbNoToAll | mbYesToAll, Qt::Key_Escape, mrCancel},
        {"help_only_escape_closes", mbHelp, Qt::Key_Escape, mrCancel},
        {"no_buttons_enter_does_nothing", 0, Qt::Key_Return, stillOpen},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ModalAnswerer answerer([&](QDialog& dialog) {
            QTest::keyClick(KeyTarget(dialog), static_cast<Qt::Key>(row.key));
            if (dialog.isVisible())
                dialog.done(stillOpen);
        });
        TThMessageBox box;
        const int result = box.Display(QStringLiteral("Question?"), mtConfirmation, row.buttons);
        EXPECT_TRUE(answerer.answered);
        EXPECT_FALSE(answerer.timedOut);
        EXPECT_EQ(result, row.result);
        EXPECT_EQ(box.Form(), nullptr) << "window destroyed after Display";
    }
}

TEST(TThMessageBox, ClickingAButtonAnswersItsResultExceptHelp) {
    struct Row {
        const char* caption;
        int result;
    };
    const Row rows[] = {{"&Yes", mrYes},       {"&No", mrNo},      {"OK", mrOk},
                        {"Cancel", mrCancel},  {"Abort", mrAbort}, {"&Retry", mrRetry},
                        {"&Ignore", mrIgnore}, {"&All", mrAll}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.caption);
        bool helpKeptItOpen = false;
        ModalAnswerer answerer([&](QDialog& dialog) {
            for (TThBitBtn* b : dialog.findChildren<TThBitBtn*>())
                if (b->text() == QStringLiteral("&Help"))
                    QTest::mouseClick(b, Qt::LeftButton);
            helpKeptItOpen = dialog.isVisible();
            for (TThBitBtn* b : dialog.findChildren<TThBitBtn*>())
                if (b->text() == QString::fromLatin1(row.caption))
                    QTest::mouseClick(b, Qt::LeftButton);
        });
        const int result = TThMessageBox::ShowMessage(QStringLiteral("Pick"), mtCustom, 0x7FF);
        EXPECT_TRUE(helpKeptItOpen);
        EXPECT_FALSE(answerer.timedOut);
        EXPECT_EQ(result, row.result);
    }
}

TEST(TThMessageBox, ClosingTheWindowAnswersCancel) {
    ModalAnswerer answerer([](QDialog& dialog) { dialog.close(); });
    EXPECT_EQ(TThMessageBox::ShowMessage(QStringLiteral("Close me"), mtWarning, mbYes | mbNo),
              mrCancel);
    EXPECT_FALSE(answerer.timedOut);
}

TEST(TThMessageBox, WindowDestroyedDuringTheModalLoopIsForgotten) {
    TThMessageBox box;
    ModalAnswerer answerer([](QDialog& dialog) { delete &dialog; });
    box.Display(QStringLiteral("Gone"), mtError, mbOK);
    EXPECT_TRUE(answerer.answered);
    EXPECT_EQ(box.Form(), nullptr);
    EXPECT_EQ(box.Button(0), nullptr);
    box.BuildForm(QStringLiteral("Again"), mtError, mbOK);
    EXPECT_EQ(box.ButtonCount(), 1);
}

TEST(BindThemedMessageBox, ReportsThroughTheHookShowTheBox) {
    const MessageHook previous = BindThemedMessageBox();
    QString title;
    QString message;
    ModalAnswerer answerer([&](QDialog& dialog) {
        for (const TThPanel* panel : dialog.findChildren<TThPanel*>())
            if (panel->y() == 0)
                title = panel->Caption();
        if (const auto* text = dialog.findChild<TThStaticText*>())
            message = text->text();
        for (TThBitBtn* b : dialog.findChildren<TThBitBtn*>())
            if (b->text() == QStringLiteral("&No"))
                QTest::mouseClick(b, Qt::LeftButton);
    });
    const int result = ShowThemedMessage("Keep the found files?", mtConfirmation, mbYes | mbNo);
    SetMessageHook(previous);
    EXPECT_FALSE(answerer.timedOut);
    EXPECT_EQ(result, mrNo);
    EXPECT_EQ(title, QStringLiteral("Confirmation"));
    EXPECT_EQ(message, QStringLiteral("Keep the found files?"));
}

} // namespace
