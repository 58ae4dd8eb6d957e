#include "widgets/tgradientpanel.h"

#include <QPainter>

#include "controls/thutils.h"

TGradientPanel::TGradientPanel(std::int32_t startColour, std::int32_t endColour,
                               QColor borderColour, QWidget* parent)
    : QWidget(parent), startColour(startColour), endColour(endColour), borderColour(borderColour) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TGradientPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    GradientFill(p, rect(), false, startColour, endColour);
    p.setPen(borderColour);
    p.setBrush(Qt::NoBrush);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}
