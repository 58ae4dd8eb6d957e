#include "widgets/tborder.h"

#include <QPainter>

TBorder::TBorder(QWidget* parent, QColor colour) : QWidget(parent), colour(colour) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
}

void TBorder::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect outer = rect().adjusted(0, 0, -1, -1);
    if (colour.isValid()) {
        p.setPen(colour);
        p.drawRect(outer);
        return;
    }
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(outer.adjusted(0, 0, -1, -1));
    p.setPen(palette().color(QPalette::Light));
    p.drawRect(outer.adjusted(1, 1, 0, 0));
}
