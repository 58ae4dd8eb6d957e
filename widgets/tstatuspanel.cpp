#include "widgets/tstatuspanel.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

#include "widgets/elidedpath.h"

namespace {
constexpr int grooveWidth = 2;
constexpr int textMargin = 4;
} // namespace

TStatusPanel::TStatusPanel(const QString& caption, QColor borderColour, QWidget* parent)
    : QWidget(parent), caption(caption), borderColour(borderColour) {
    setAutoFillBackground(true);
}

void TStatusPanel::SetCaption(const QString& text) {
    if (text == caption && pathLength == 0)
        return;
    caption = text;
    pathLength = 0;
    update();
}

void TStatusPanel::SetPathCaption(const QString& prefix, const QString& path) {
    const QString text = prefix + path;
    if (text == caption && pathLength == path.size())
        return;
    caption = text;
    pathLength = path.size();
    update();
}

QString TStatusPanel::PathTip() const {
    return caption.right(pathLength);
}

bool TStatusPanel::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip && pathLength != 0) {
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), PathTip(), this);
        return true;
    }
    return QWidget::event(event);
}

QString TStatusPanel::ShownCaption() const {
    if (pathLength == 0)
        return caption;
    const QFontMetrics metrics = fontMetrics();
    const int room = width() - 2 * (grooveWidth + textMargin);
    if (metrics.horizontalAdvance(caption) <= room)
        return caption;
    // Too long for one line: the path gets a line of its own below the prefix, when two lines
    // fit the panel's height.
    const QString prefix = caption.left(caption.size() - pathLength);
    const QString path = caption.right(pathLength);
    if (2 * metrics.height() <= height() - 2 * grooveWidth)
        return prefix.trimmed() + u'\n' + ElidedPath(path, metrics, room);
    return prefix + ElidedPath(path, metrics, room - metrics.horizontalAdvance(prefix));
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
    const QString shown = ShownCaption();
    const int lines = shown.contains(u'\n') ? 0 : Qt::TextSingleLine;
    p.drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter | lines, shown);
}
