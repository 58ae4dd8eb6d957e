#include "widgets/elidedpath.h"

#include <QFontMetrics>

QString ElidedPath(const QString& path, const QFontMetrics& metrics, int width) {
    if (metrics.horizontalAdvance(path) <= width)
        return path;
    // A directory's path ends in its separator; its name is then its last directory.
    const qsizetype searchFrom = path.endsWith(u'/') ? path.size() - 2 : path.size() - 1;
    const qsizetype slash = searchFrom < 0 ? -1 : path.lastIndexOf(u'/', searchFrom);
    const QString name = path.mid(slash + 1);
    const QString ellipsis(QChar(0x2026));
    const int nameWidth = metrics.horizontalAdvance(name);
    if (slash < 0 || nameWidth + metrics.horizontalAdvance(ellipsis + u'/') > width)
        return metrics.elidedText(name, Qt::ElideMiddle, width);
    // elidedText ends the head with the ellipsis itself, and gives nothing when even that
    // does not fit.
    const QString head = metrics.elidedText(path.left(slash), Qt::ElideRight,
                                            width - nameWidth - metrics.horizontalAdvance(u'/'));
    return (head.isEmpty() ? ellipsis : head) + u'/' + name;
}
