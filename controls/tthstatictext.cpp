#include "controls/tthstatictext.h"

#include <QPainter>
#include <QStyleOptionFocusRect>

#include "controls/thutils.h"

TThStaticText::TThStaticText(QWidget* parent) : QLabel(parent) {
    setFont(ThemeFont());
    setTextFormat(Qt::PlainText);
}

void TThStaticText::SetLayout(TTextLayout value) {
    if (value == layout)
        return;
    layout = value;
    update();
}

void TThStaticText::paintEvent(QPaintEvent*) {
    QPainter canvas(this);
    canvas.fillRect(rect(), ThColour(thFace));
    canvas.setFont(font());
    canvas.setPen(Qt::black);

    int flags = text().contains(u'\n') ? 0 : Qt::TextSingleLine;
    const Qt::Alignment horizontal = alignment() & Qt::AlignHorizontal_Mask;
    if (horizontal & Qt::AlignRight)
        flags |= Qt::AlignRight;
    else if (horizontal & Qt::AlignHCenter)
        flags |= Qt::AlignHCenter;
    else
        flags |= Qt::AlignLeft;
    if (layout == tlCenter)
        flags |= Qt::AlignVCenter;
    else if (layout == tlBottom)
        flags |= Qt::AlignBottom;
    else
        flags |= Qt::AlignTop;
    canvas.drawText(rect(), flags, text());

    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.backgroundColor = ThColour(thFace);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &canvas, this);
    }
}
