#include "app/tstatuspanel.h"

#include <QPainter>

namespace {
constexpr int grooveWidth = 2;
constexpr int textMargin = 4;
} // namespace

TStatusPanel::TStatusPanel(const QString& caption, QColor borderColour, QWidget* parent)
    : QWidget(parent), caption(caption), borderColour(borderColour) {
    setAutoFillBackground(true);
}

void TStatusPanel::SetCaption(const QString& text) {
    if (text == caption)
        return;
    caption = text;
    update();
}

void TStatusPanel::SetFontColour(QColor colour) {
    if (colour == fontColour)
        return;
    fontColour = colour;
    update();
}

void TStatusPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    // The groove: a dark line inside a light one, both tinted with the border colour.
    const QRect outer = rect().adjusted(0, 0, -1, -1);
    p.setPen(borderColour.darker(160));
    p.drawRect(outer.adjusted(0, 0, -1, -1));
    p.setPen(borderColour);
    p.drawRect(outer.adjusted(1, 1, 0, 0));

    const QRect textArea = rect().adjusted(grooveWidth + textMargin, grooveWidth,
                                           -(grooveWidth + textMargin), -grooveWidth);
    p.setPen(fontColour);
    p.setClipRect(textArea);
    p.drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, caption);
}
