#include "controls/tthbitbtn.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

#include "controls/themebitmaps.h"
#include "controls/thutils.h"
#include "platform/messagehook.h"

namespace {

struct KindTraits {
    const char* caption;
    int modalResult;
    bool isDefault;
    bool isCancel;
};

KindTraits TraitsOf(TBitBtnKind kind) {
    switch (kind) {
    case bkOK:
        return {"OK", mrOk, true, false};
    case bkCancel:
        return {"Cancel", mrCancel, false, true};
    case bkHelp:
        return {"&Help", mrNone, false, false};
    case bkYes:
        return {"&Yes", mrYes, true, false};
    case bkNo:
        return {"&No", mrNo, false, true};
    case bkClose:
        return {"&Close", mrNone, false, false};
    case bkAbort:
        return {"Abort", mrAbort, false, false};
    case bkRetry:
        return {"&Retry", mrRetry, false, false};
    case bkIgnore:
        return {"&Ignore", mrIgnore, false, false};
    case bkAll:
        return {"&All", mrAll, false, false};
    case bkCustom:
        break;
    }
    return {"", mrNone, false, false};
}

} // namespace

TThBitBtn::TThBitBtn(QWidget* parent) : QPushButton(parent) {
    setFont(ThemeFont());
}

void TThBitBtn::SetKind(TBitBtnKind value) {
    kind = value;
    if (value == bkCustom)
        return;
    const KindTraits traits = TraitsOf(value);
    setText(QString::fromLatin1(traits.caption));
    modalResult = traits.modalResult;
    setDefault(traits.isDefault);
    cancel = traits.isCancel;
    glyph = KindGlyph(value);
    numGlyphs = 2;
    update();
}

void TThBitBtn::SetNumGlyphs(int value) {
    numGlyphs = std::clamp(value, 1, 4);
    update();
}

int TThBitBtn::GlyphIndex(int numGlyphs, int s) {
    if (numGlyphs <= 1)
        return 1;
    if (s == 1)
        return 2;
    if (s == 2 && numGlyphs >= 3)
        return 3;
    return 1;
}

QPixmap TThBitBtn::SetBitmap(const QPixmap& strip, int index) const {
    if (strip.isNull())
        return {};
    const int w = strip.width() / numGlyphs;
    const int h = strip.height();
    QPixmap image(w, h);
    image.fill(Qt::transparent);
    QPainter canvas(&image);
    canvas.drawPixmap(QPoint(0, 0), strip, QRect((index - 1) * w, 0, w, h));
    return image;
}

void TThBitBtn::WMDrawItem(bool selected) {
    state = selected ? 2 : 0;
    if (!isEnabled())
        state = 1;
}

void TThBitBtn::paintEvent(QPaintEvent*) {
    // Qt has no owner-draw notification; the pressed state is read when painting instead.
    WMDrawItem(isDown());
    QPainter canvas(this);
    canvas.setRenderHint(QPainter::Antialiasing, false);
    WMPaint(canvas);
}

void TThBitBtn::WMPaint(QPainter& canvas) {
    const int w = width();
    const int h = height();
    const int s = isEnabled() ? state : 1;
    const QPixmap image = SetBitmap(glyph, GlyphIndex(numGlyphs, s));

    canvas.fillRect(rect(), ThColour(thFace));
    canvas.setFont(font());
    if (s == 2)
        GradientFill(canvas, rect().adjusted(1, 1, -1, -1), false, thPressedRampStart,
                     thPressedRampEnd);
    else
        GradientFill(canvas, rect().adjusted(1, 1, -1, -1), false, thButtonRampStart,
                     thButtonRampEnd);

    // The ampersand of a caption marks its keyboard shortcut: it is shown as an underline
    // and takes no width of its own.
    const QSize captionSize =
        QFontMetrics(canvas.font()).size(Qt::TextShowMnemonic | Qt::TextSingleLine, text());
    const int cx = captionSize.width();
    const int cy = captionSize.height();
    const int gw = image.width();
    const int gh = image.height();
    int gx = 0;
    int gy = 0;
    int tx = 0;
    int ty = 0;
    switch (glyphLayout) {
    case blGlyphLeft:
        gx = (w - gw - cx - 4) / 2;
        gy = (h - gh) / 2;
        tx = gx + gw + 4;
        ty = (h - cy) / 2;
        break;
    case blGlyphRight:
        tx = (w - gw - cx - 4) / 2;
        ty = (h - cy) / 2;
        gx = tx + cx + 4;
        gy = (h - gh) / 2;
        break;
    case blGlyphTop:
        gx = (w - gw) / 2;
        gy = (h - gh - cy - 4) / 2;
        tx = (w - cx) / 2;
        ty = gy + gh + 4;
        break;
    case blGlyphBottom:
        tx = (w - cx) / 2;
        ty = (h - gh - cy - 4) / 2;
        gx = (w - gw) / 2;
        gy = ty + cy + 4;
        break;
    }

    canvas.setPen(ThColour(thBorder));
    canvas.setBrush(Qt::NoBrush);
    canvas.drawRoundedRect(QRect(0, 0, w - 1, h - 1), 4, 4);

    canvas.setPen(s == 1 ? ThColour(thHighlight) : QColor(Qt::black));
    canvas.drawText(QRect(tx, ty, cx, cy),
                    Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextShowMnemonic,
                    text());
    if (!image.isNull())
        canvas.drawPixmap(gx, gy, image);
}
