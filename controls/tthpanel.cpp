#include "controls/tthpanel.h"

#include <QFontMetrics>
#include <QPainter>

#include "controls/thutils.h"

TThPanel::TThPanel(QWidget* parent) : QWidget(parent) {}

void TThPanel::SetCaption(const QString& text) {
    if (text == caption)
        return;
    caption = text;
    update();
}

void TThPanel::SetAlignment(TAlignment value) {
    if (value == alignment)
        return;
    alignment = value;
    update();
}

void TThPanel::SetBorderStyle(TBorderStyle value) {
    if (value == borderStyle)
        return;
    borderStyle = value;
    update();
}

void TThPanel::Paint(QPainter& canvas) {
    const int w = ClientWidth();
    const int h = ClientHeight();
    canvas.fillRect(QRect(0, 0, w, h), ThColour(thFace));

    const QFontMetrics metrics(canvas.font());
    const int textWidth = metrics.horizontalAdvance(caption);
    const int textHeight = metrics.height();
    int x = 1;
    if (alignment == taRightJustify)
        x = w - textWidth - 1;
    else if (alignment == taCenter)
        x = (w - textWidth) / 2;
    const int y = (h - textHeight) >> 1;
    if (!caption.isEmpty()) {
        canvas.setPen(Qt::black);
        canvas.drawText(QPoint(x, y + metrics.ascent()), caption);
    }

    QPen pen(ThColour(thHighlight));
    pen.setWidth(1);
    canvas.setPen(pen);
    DrawLineExcludingEnd(canvas, QPoint(0, h - 1), QPoint(0, 0));
    DrawLineExcludingEnd(canvas, QPoint(0, 0), QPoint(w - 1, 0));
    pen.setColor(ThColour(thBorder));
    canvas.setPen(pen);
    DrawLineExcludingEnd(canvas, QPoint(0, h - 1), QPoint(w - 1, h - 1));
    DrawLineExcludingEnd(canvas, QPoint(w - 1, h - 1), QPoint(w - 1, 0));
}

void TThPanel::paintEvent(QPaintEvent*) {
    QPainter canvas(this);
    canvas.setRenderHint(QPainter::Antialiasing, false);
    canvas.setFont(font());
    const int b = BorderWidth();
    if (b > 0) {
        // The window frame of a single border, drawn as the platform would around the client.
        canvas.setPen(Qt::NoPen);
        canvas.fillRect(rect(), Qt::black);
        canvas.translate(b, b);
        canvas.setClipRect(QRect(0, 0, ClientWidth(), ClientHeight()));
    }
    Paint(canvas);
}
