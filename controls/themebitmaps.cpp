#include "controls/themebitmaps.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace {

QPixmap NewPixmap(int w, int h) {
    QPixmap pixmap(w, h);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void DrawSymbol(QPainter& p, const QRectF& box, const QString& symbol, const QColor& colour,
                int pixelSize) {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(true);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(box, Qt::AlignCenter, symbol);
}

QPixmap WarningIcon() {
    QPixmap pixmap = NewPixmap(32, 32);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QPolygonF triangle({QPointF(16, 2), QPointF(30.5, 29), QPointF(1.5, 29)});
    p.setPen(QPen(QColor(120, 90, 0), 1.5));
    p.setBrush(QColor(255, 204, 0));
    p.drawPolygon(triangle);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawRoundedRect(QRectF(14.5, 10, 3, 11), 1.2, 1.2);
    p.drawEllipse(QRectF(14.4, 22.6, 3.2, 3.2));
    return pixmap;
}

QPixmap RoundIcon(const QColor& fill, const QColor& edge) {
    QPixmap pixmap = NewPixmap(32, 32);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(edge, 1.5));
    p.setBrush(fill);
    p.drawEllipse(QRectF(2, 2, 28, 28));
    return pixmap;
}

QPixmap ErrorIcon() {
    QPixmap pixmap = RoundIcon(QColor(210, 30, 30), QColor(120, 0, 0));
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 3.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10.5, 10.5), QPointF(21.5, 21.5));
    p.drawLine(QPointF(21.5, 10.5), QPointF(10.5, 21.5));
    return pixmap;
}

QPixmap InformationIcon() {
    QPixmap pixmap = RoundIcon(QColor(40, 100, 200), QColor(10, 40, 110));
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(14.2, 7.5, 3.6, 3.6));
    p.drawRoundedRect(QRectF(14.3, 13, 3.4, 12), 1, 1);
    return pixmap;
}

QPixmap ConfirmationIcon() {
    QPixmap pixmap = RoundIcon(QColor(40, 100, 200), QColor(10, 40, 110));
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    DrawSymbol(p, QRectF(2, 2, 28, 28), QStringLiteral("?"), Qt::white, 22);
    return pixmap;
}

// The title-bar icon: a laser fan, a few coloured beams from one source on a dark tile.
QPixmap TitleIcon() {
    QPixmap pixmap = NewPixmap(16, 16);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 60), 1));
    p.setBrush(QColor(20, 20, 40));
    p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 2.5, 2.5);
    const QPointF source(3, 13);
    const QColor colours[] = {QColor(255, 60, 60), QColor(255, 220, 0), QColor(60, 230, 60),
                              QColor(80, 160, 255)};
    const QPointF ends[] = {QPointF(14, 4), QPointF(10, 2), QPointF(14, 9), QPointF(5, 2)};
    for (int i = 0; i < 4; ++i) {
        p.setPen(QPen(colours[i], 1.2));
        p.drawLine(source, ends[i]);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(1.5, 11.5, 3, 3));
    return pixmap;
}

enum class Mark { Check, Cross, Slash, Question, Retry, Ignore, All, Stop, Door };

void DrawMark(QPainter& p, Mark mark, const QColor& colour) {
    p.setRenderHint(QPainter::Antialiasing);
    QPen pen(colour, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    switch (mark) {
    case Mark::Check:
        p.drawPolyline(QPolygonF({QPointF(2.5, 8.5), QPointF(6, 12.5), QPointF(13.5, 3.5)}));
        break;
    case Mark::All:
        pen.setWidthF(1.8);
        p.setPen(pen);
        p.drawPolyline(QPolygonF({QPointF(1.5, 8.5), QPointF(4.5, 12), QPointF(10, 4)}));
        p.drawPolyline(QPolygonF({QPointF(6.5, 10), QPointF(8.5, 12), QPointF(14.5, 4)}));
        break;
    case Mark::Cross:
        p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
        p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
        break;
    case Mark::Slash:
        pen.setWidthF(1.8);
        p.setPen(pen);
        p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
        p.drawLine(QPointF(4.5, 11.5), QPointF(11.5, 4.5));
        break;
    case Mark::Question:
        DrawSymbol(p, QRectF(0, 0, 16, 16), QStringLiteral("?"), colour, 15);
        break;
    case Mark::Retry: {
        pen.setWidthF(1.8);
        p.setPen(pen);
        p.drawArc(QRectF(3, 3, 10, 10), 60 * 16, 280 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawPolygon(QPolygonF({QPointF(9, 1), QPointF(14, 4), QPointF(9, 7)}));
        break;
    }
    case Mark::Ignore:
        pen.setWidthF(1.8);
        p.setPen(pen);
        p.drawLine(QPointF(2.5, 8), QPointF(11.5, 8));
        p.drawPolyline(QPolygonF({QPointF(8.5, 4.5), QPointF(12.5, 8), QPointF(8.5, 11.5)}));
        break;
    case Mark::Stop:
        p.setPen(QPen(colour, 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawPolygon(QPolygonF({QPointF(5.5, 1.5), QPointF(10.5, 1.5), QPointF(14.5, 5.5),
                                 QPointF(14.5, 10.5), QPointF(10.5, 14.5), QPointF(5.5, 14.5),
                                 QPointF(1.5, 10.5), QPointF(1.5, 5.5)}));
        p.setPen(QPen(colour, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(5.5, 8), QPointF(10.5, 8));
        break;
    case Mark::Door:
        pen.setWidthF(1.4);
        p.setPen(pen);
        p.drawRect(QRectF(3.5, 1.5, 9, 13));
        p.drawPoint(QPointF(10, 8.5));
        break;
    }
}

QPixmap GlyphStrip(Mark mark, const QColor& colour) {
    QPixmap strip = NewPixmap(32, 16);
    QPainter p(&strip);
    DrawMark(p, mark, colour);
    // The disabled image: the same mark embossed in greys.
    p.translate(17, 1);
    DrawMark(p, mark, QColor(255, 255, 255));
    p.translate(-1, -1);
    DrawMark(p, mark, QColor(128, 128, 128));
    return strip;
}

} // namespace

QPixmap LoadThemeBitmap(const QString& name) {
    if (name == QLatin1String("ID_BITMAP_WARNING"))
        return WarningIcon();
    if (name == QLatin1String("ID_BITMAP_ERROR"))
        return ErrorIcon();
    if (name == QLatin1String("ID_BITMAP_INFORMATION"))
        return InformationIcon();
    if (name == QLatin1String("ID_BITMAP_CONFIRMATION"))
        return ConfirmationIcon();
    if (name == QLatin1String("ID_BITMAP_ICON"))
        return TitleIcon();
    return {};
}

QPixmap KindGlyph(TBitBtnKind kind) {
    switch (kind) {
    case bkOK:
        return GlyphStrip(Mark::Check, QColor(0, 140, 0));
    case bkYes:
        return GlyphStrip(Mark::Check, QColor(0, 140, 0));
    case bkCancel:
        return GlyphStrip(Mark::Cross, QColor(200, 0, 0));
    case bkNo:
        return GlyphStrip(Mark::Slash, QColor(200, 0, 0));
    case bkHelp:
        return GlyphStrip(Mark::Question, QColor(0, 60, 180));
    case bkAbort:
        return GlyphStrip(Mark::Stop, QColor(200, 0, 0));
    case bkRetry:
        return GlyphStrip(Mark::Retry, QColor(0, 100, 0));
    case bkIgnore:
        return GlyphStrip(Mark::Ignore, QColor(0, 60, 180));
    case bkAll:
        return GlyphStrip(Mark::All, QColor(0, 140, 0));
    case bkClose:
        return GlyphStrip(Mark::Door, QColor(120, 80, 0));
    case bkCustom:
        break;
    }
    return {};
}
