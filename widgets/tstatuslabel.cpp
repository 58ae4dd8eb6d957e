#include "widgets/tstatuslabel.h"

#include <QHelpEvent>
#include <QPainter>
#include <QStyle>
#include <QToolTip>

#include "widgets/elidedpath.h"

void TStatusLabel::SetPathText(const QString& prefix, const QString& shownPath) {
    pathPrefix = prefix;
    path = shownPath;
    setText(prefix + shownPath);
}

bool TStatusLabel::HoldsPath() const {
    const QString current = text();
    return !path.isEmpty() && current.size() == pathPrefix.size() + path.size() &&
           current.startsWith(pathPrefix) && current.endsWith(path);
}

QString TStatusLabel::PathTip() const {
    return HoldsPath() ? path : QString();
}

QString TStatusLabel::ShownText() const {
    if (!HoldsPath())
        return text();
    // The path stands on a line of its own, centred or not: it keeps a blank's width free at
    // each end.
    const QFontMetrics metrics = fontMetrics();
    const int room = contentsRect().width() - 2 * metrics.horizontalAdvance(u' ');
    return pathPrefix + ElidedPath(path, metrics, room);
}

bool TStatusLabel::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip && HoldsPath()) {
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), path, this);
        return true;
    }
    return QLabel::event(event);
}

void TStatusLabel::paintEvent(QPaintEvent* event) {
    if (!HoldsPath()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), static_cast<int>(alignment()), palette(),
                          isEnabled(), ShownText(), foregroundRole());
}
