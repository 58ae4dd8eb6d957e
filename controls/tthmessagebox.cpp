#include "controls/tthmessagebox.h"

#include <QDialog>
#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QTextLayout>

#include <algorithm>

#include "controls/themebitmaps.h"
#include "controls/thutils.h"
#include "controls/tthpanel.h"
#include "controls/tthstatictext.h"
#include "platform/messagehook.h"

namespace {

struct ButtonRow {
    unsigned member;
    TBitBtnKind kind;
};

// Creation order of the buttons; no-to-all and yes-to-all make none.
constexpr ButtonRow buttonTable[] = {
    {mbYes, bkYes},       {mbNo, bkNo},       {mbOK, bkOK},
    {mbCancel, bkCancel}, {mbAbort, bkAbort}, {mbRetry, bkRetry},
    {mbIgnore, bkIgnore}, {mbAll, bkAll},     {mbHelp, bkHelp},
};

struct TypeRow {
    const char* title;
    const char* bitmap;
};

constexpr TypeRow typeTable[] = {
    {"Warning", "ID_BITMAP_WARNING"},
    {"Error", "ID_BITMAP_ERROR"},
    {"Information", "ID_BITMAP_INFORMATION"},
    {"Confirmation", "ID_BITMAP_CONFIRMATION"},
    {"?", nullptr},
};

constexpr int formWidth = 400;
constexpr int formHeight = 120;
constexpr int titleHeight = 23;
constexpr int buttonPitch = 80;
// The message line's height and its room beside the icon (the window's width less 160).
constexpr int messageHeight = 64;
constexpr int messageMargin = 160;
// The part of the message line above the buttons (they start at 60, the line at 4).
constexpr int messageBand = 52;
// The tallest text that, centred in the message line (its middle at 36), ends above them.
constexpr int centredRoom = 48;

// text with a line break put wherever a line would be wider than width in font: between
// words, or inside a word (a path) that alone is wider. The text's own line breaks stay.
QString WrapText(const QString& text, const QFont& font, int width) {
    QStringList wrapped;
    for (const QString& paragraph : text.split(u'\n')) {
        QTextLayout layout(paragraph, font);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        const qsizetype before = wrapped.size();
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            wrapped << paragraph.mid(line.textStart(), line.textLength()).trimmed();
        }
        layout.endLayout();
        if (wrapped.size() == before)
            wrapped << QString();
    }
    return wrapped.join(u'\n');
}

} // namespace

TThMessageBox::TThMessageBox(QObject* owner) : QObject(owner) {}

TThMessageBox::~TThMessageBox() {
    DestroyForm();
}

TThBitBtn* TThMessageBox::Button(int i) const {
    if (i < 0 || i >= maxButtons)
        return nullptr;
    return buttons[i];
}

int TThMessageBox::ShowMessage(const QString& text, int type, unsigned buttonSet) {
    TThMessageBox box;
    return box.Display(text, type, buttonSet);
}

int TThMessageBox::Display(const QString& text, int type, unsigned buttonSet, int /*helpContext*/) {
    BuildForm(text, type, buttonSet);
    const QPointer<QDialog> guard(form);
    const int result = form->exec();
    if (guard) {
        DestroyForm();
    } else {
        // Something destroyed the window during the modal loop; its children went with it.
        panelHooked = false;
        buttons.fill(nullptr);
        messageText = nullptr;
        icon = nullptr;
        bodyPanel = nullptr;
        titlePanel = nullptr;
        form = nullptr;
    }
    return result;
}

int TThMessageBox::MeasureText(const QString& text) const {
    return QFontMetrics(ThemeFont()).horizontalAdvance(text);
}

void TThMessageBox::BuildForm(const QString& text, int type, unsigned buttonSet) {
    DestroyForm();
    buttons.fill(nullptr);
    buttonCount = 0;

    form = new QDialog(qobject_cast<QWidget*>(parent()), Qt::Dialog | Qt::FramelessWindowHint);
    form->setFont(ThemeFont());
    form->resize(formWidth, formHeight);

    titlePanel = new TThPanel(form);
    titlePanel->setGeometry(0, 0, form->width(), titleHeight);
    titlePanel->setFont(ThemeFont(true));
    titlePanel->SetAlignment(taLeftJustify);

    bodyPanel = new TThPanel(form);
    bodyPanel->setGeometry(0, titleHeight, form->width(), form->height() - titleHeight);
    bodyPanel->setFont(ThemeFont());
    const int bodyHeight = bodyPanel->height();

    icon = new QLabel(bodyPanel);
    icon->setGeometry(24, (bodyHeight - 56) / 2, 32, 32);

    messageText = new TThStaticText(bodyPanel);
    messageText->setAlignment(Qt::AlignHCenter);
    messageText->SetLayout(tlCenter);
    messageText->setGeometry(80, (bodyHeight - 88) / 2, messageText->width(), messageHeight);
    messageText->setFont(ThemeFont());

    for (const ButtonRow& row : buttonTable)
        if (buttonSet & row.member)
            CreateButton(row.kind);

    const int typeIndex = type >= mtWarning && type <= mtCustom ? type : mtCustom;
    titlePanel->SetCaption(QString::fromLatin1(typeTable[typeIndex].title));
    form->setWindowTitle(titlePanel->Caption());
    if (typeTable[typeIndex].bitmap)
        icon->setPixmap(LoadThemeBitmap(QString::fromLatin1(typeTable[typeIndex].bitmap)));

    // The width rule, by the widest of the text's lines.
    const QStringList lines = text.split(u'\n');
    int textWidth = 0;
    for (const QString& line : lines)
        textWidth = std::max(textWidth, MeasureText(line));
    int w = textWidth + 168;
    if (w < buttonCount * buttonPitch + 48)
        w = buttonCount * buttonPitch + 48;
    // Never wider than the screen can show: a longer text is wrapped to the width there is.
    QString shown = text;
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect();
    if (area.isValid() && w > area.width()) {
        w = std::max(area.width(), buttonCount * buttonPitch + 48);
        shown = WrapText(text, messageText->font(), w - messageMargin);
    }
    // Lines more than the band above the buttons holds make the body taller by the
    // difference, within the screen's height; the message then fills the band exactly.
    const int textHeight =
        QFontMetrics(messageText->font())
            .boundingRect(QRect(0, 0, w - messageMargin, area.height() + formHeight),
                          Qt::AlignHCenter, shown)
            .height();
    const bool tall = shown.contains(u'\n') && textHeight > centredRoom;
    int extra = tall ? std::max(0, textHeight - messageBand) : 0;
    if (area.isValid())
        extra = std::min(extra, std::max(0, area.height() - formHeight));
    form->resize(w, formHeight + extra);
    titlePanel->resize(w, titlePanel->height());
    bodyPanel->resize(w, bodyHeight + extra);
    icon->move(icon->x(), (bodyHeight + extra - 56) / 2);
    messageText->resize(w - messageMargin, tall ? messageBand + extra : messageHeight);
    messageText->setText(shown);
    for (TThBitBtn* button : buttons) {
        if (button)
            button->move(button->x(), button->y() + extra);
    }

    int x = (w - buttonCount * buttonPitch + 16) / 2;
    for (TThBitBtn* button : buttons) {
        if (!button)
            continue;
        button->move(x, button->y());
        x += buttonPitch;
    }

    if (area.isValid())
        form->move(area.x() + (area.width() - form->width()) / 2,
                   area.y() + (area.height() - form->height()) / 2);
    if (buttons[0])
        buttons[0]->setFocus();

    titlePanel->installEventFilter(this);
    form->installEventFilter(this);
    panelHooked = true;
}

void TThMessageBox::CreateButton(TBitBtnKind kind) {
    auto* button = new TThBitBtn(bodyPanel);
    buttons[buttonCount] = button;
    button->setGeometry(0, 60, 66, 24);
    button->SetKind(kind);
    QDialog* owner = form;
    connect(button, &QPushButton::clicked, form, [owner, button] {
        if (button->ModalResult() != mrNone)
            owner->done(button->ModalResult());
    });
    ++buttonCount;
}

void TThMessageBox::DestroyForm() {
    if (!form)
        return;
    panelHooked = false;
    form->removeEventFilter(this);
    titlePanel->removeEventFilter(this);
    for (TThBitBtn*& button : buttons) {
        delete button;
        button = nullptr;
    }
    delete messageText;
    messageText = nullptr;
    delete icon;
    icon = nullptr;
    delete bodyPanel;
    bodyPanel = nullptr;
    delete titlePanel;
    titlePanel = nullptr;
    delete form;
    form = nullptr;
}

bool TThMessageBox::eventFilter(QObject* watched, QEvent* event) {
    if (panelHooked && watched == titlePanel)
        return NewPanelWP(event);
    if (panelHooked && watched == form)
        return FormEvent(event);
    return QObject::eventFilter(watched, event);
}

bool TThMessageBox::NewPanelWP(QEvent* event) {
    switch (event->type()) {
    case QEvent::Paint: {
        QPainter canvas(titlePanel);
        canvas.setRenderHint(QPainter::Antialiasing, false);
        const QRect rect = titlePanel->rect();
        GradientFill(canvas, rect, false, thTitleRampStart, thTitleRampEnd);
        canvas.setPen(ThColour(thTitleRampEnd));
        canvas.setBrush(Qt::NoBrush);
        canvas.drawRect(rect.adjusted(0, 0, -1, -1));
        const QFont font = ThemeFont(true);
        canvas.setFont(font);
        canvas.setPen(Qt::black);
        canvas.drawText(QPoint(26, 5 + QFontMetrics(font).ascent()), titlePanel->Caption());
        canvas.drawPixmap(4, 4, LoadThemeBitmap(QStringLiteral("ID_BITMAP_ICON")));
        // The panel's own painting would cover the title bar again.
        return true;
    }
    case QEvent::MouseButtonPress: {
        const QPoint p = static_cast<QMouseEvent*>(event)->position().toPoint();
        Panel1MouseDown(p.x(), p.y());
        return true;
    }
    case QEvent::MouseMove: {
        const QPoint p = static_cast<QMouseEvent*>(event)->position().toPoint();
        Panel1MouseMove(p.x(), p.y());
        return true;
    }
    case QEvent::MouseButtonRelease: {
        const QPoint p = static_cast<QMouseEvent*>(event)->position().toPoint();
        Panel1MouseUp(p.x(), p.y());
        return true;
    }
    default:
        return false;
    }
}

bool TThMessageBox::FormEvent(QEvent* event) {
    if (event->type() == QEvent::Close) {
        if (form->isVisible())
            form->done(mrCancel);
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const auto usable = [](const TThBitBtn* b) { return b && b->isEnabled() && b->isVisible(); };

    if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
        // No and Cancel both carry the Escape role; when both are present Escape cancels.
        TThBitBtn* target = nullptr;
        bool anyCloses = false;
        for (TThBitBtn* b : buttons) {
            if (!b)
                continue;
            anyCloses = anyCloses || b->ModalResult() != mrNone;
            if (usable(b) && b->Cancel() && (!target || b->ModalResult() == mrCancel))
                target = b;
        }
        if (target)
            target->click();
        else if (!anyCloses)
            form->done(mrCancel); // otherwise nothing at all could close the window
        return true;
    }
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        TThBitBtn* target = nullptr;
        for (TThBitBtn* b : buttons)
            if (usable(b) && b == form->focusWidget())
                target = b;
        for (TThBitBtn* b : buttons)
            if (!target && usable(b) && b->isDefault())
                target = b;
        if (target)
            target->click();
        return true;
    }
    return false;
}

void TThMessageBox::Panel1MouseDown(int x, int y) {
    // The form is borderless, so its border width is 0.
    dragX = x;
    dragY = y;
    dragging = true;
}

void TThMessageBox::Panel1MouseMove(int x, int y) {
    if (!dragging || !form || form->isMaximized())
        return;
    const QPoint screenPos = form->mapToGlobal(QPoint(x, y));
    form->move(screenPos.x() - dragX, screenPos.y() - dragY);
}

void TThMessageBox::Panel1MouseUp(int, int) {
    dragging = false;
}
