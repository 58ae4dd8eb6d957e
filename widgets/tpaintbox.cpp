#include "widgets/tpaintbox.h"

#include <QPainter>

TPaintBox::TPaintBox(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::black);
    setPalette(colours);
}

void TPaintBox::Present() {
    presentOnly = true;
    update();
}

void TPaintBox::paintEvent(QPaintEvent*) {
    const bool notify = !presentOnly;
    presentOnly = false;
    if (notify && OnPaint)
        OnPaint();
    QPainter p(this);
    p.drawImage(0, 0, canvas);
}

void TPaintBox::resizeEvent(QResizeEvent*) {
    if (canvas.size() == size())
        return;
    QImage resized(size(), QImage::Format_RGB32);
    resized.fill(palette().color(QPalette::Window));
    if (!canvas.isNull()) {
        QPainter p(&resized);
        p.drawImage(0, 0, canvas);
    }
    canvas = resized;
}
