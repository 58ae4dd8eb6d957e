#include "widgets/glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

// Colours of one rendering; the disabled rendering paints every part with one ink.
struct Inks {
    QColor green{0, 150, 0};
    QColor red{200, 0, 0};
    QColor blue{0, 70, 180};
    QColor dark{40, 40, 40};
    QColor brown{150, 90, 30};
    QColor light{255, 255, 255};
    QColor grey{128, 128, 128};
    QColor yellow{230, 200, 40};
};

// One ink for every coloured part; the light details (a cross on a disc, a window of a
// screen) keep their own ink so that they still show on the grey shape.
Inks SingleInk(const QColor& ink, const QColor& light) {
    Inks inks;
    inks.green = inks.red = inks.blue = inks.dark = inks.brown = inks.grey = inks.yellow = ink;
    inks.light = light;
    return inks;
}

QPolygonF Triangle(qreal left, qreal top, qreal right, qreal bottom, bool pointsRight) {
    const qreal middle = (top + bottom) / 2;
    if (pointsRight)
        return QPolygonF({QPointF(left, top), QPointF(right, middle), QPointF(left, bottom)});
    return QPolygonF({QPointF(right, top), QPointF(left, middle), QPointF(right, bottom)});
}

void Draw(QPainter& p, TGlyph glyph, const Inks& ink) {
    p.setRenderHint(QPainter::Antialiasing, true);
    switch (glyph) {
    case TGlyph::Start: {
        p.setPen(Qt::NoPen);
        p.setBrush(ink.green);
        p.drawRect(QRectF(1, 6, 8, 4));
        p.drawPolygon(Triangle(8, 2, 15, 14, true));
        break;
    }
    case TGlyph::Play:
        p.setPen(Qt::NoPen);
        p.setBrush(ink.green);
        p.drawPolygon(Triangle(3, 1, 14, 15, true));
        break;
    case TGlyph::Stop:
        p.setPen(Qt::NoPen);
        p.setBrush(ink.red);
        p.drawRect(QRectF(3, 3, 10, 10));
        break;
    case TGlyph::Cancel: {
        QPen pen(ink.red, 2.6, Qt::SolidLine, Qt::RoundCap);
        p.setPen(pen);
        p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
        p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
        break;
    }
    case TGlyph::Quit: {
        p.setPen(Qt::NoPen);
        p.setBrush(ink.red);
        p.drawEllipse(QRectF(1, 1, 14, 14));
        QPen pen(ink.light, 2.0, Qt::SolidLine, Qt::RoundCap);
        p.setPen(pen);
        p.drawLine(QPointF(5.5, 5.5), QPointF(10.5, 10.5));
        p.drawLine(QPointF(10.5, 5.5), QPointF(5.5, 10.5));
        break;
    }
    case TGlyph::Close: {
        p.setPen(QPen(ink.dark, 1));
        p.setBrush(ink.brown);
        p.drawRect(QRectF(2.5, 1.5, 7, 13));
        p.setBrush(ink.yellow);
        p.drawEllipse(QRectF(7, 7.5, 1.5, 1.5));
        QPen arrow(ink.green, 2.0, Qt::SolidLine, Qt::RoundCap);
        p.setPen(arrow);
        p.drawLine(QPointF(9, 8), QPointF(13, 8));
        p.setPen(Qt::NoPen);
        p.setBrush(ink.green);
        p.drawPolygon(Triangle(12, 4.5, 15.5, 11.5, true));
        break;
    }
    case TGlyph::Search: {
        p.setPen(QPen(ink.dark, 2));
        p.setBrush(ink.light);
        p.drawEllipse(QRectF(2, 2, 8, 8));
        QPen handle(ink.brown, 3, Qt::SolidLine, Qt::RoundCap);
        p.setPen(handle);
        p.drawLine(QPointF(9.5, 9.5), QPointF(14, 14));
        break;
    }
    case TGlyph::Save: {
        p.setPen(Qt::NoPen);
        p.setBrush(ink.blue);
        p.drawRoundedRect(QRectF(1, 1, 14, 14), 1.5, 1.5);
        p.setBrush(ink.light);
        p.drawRect(QRectF(4, 2, 8, 5));
        p.setBrush(ink.grey);
        p.drawRect(QRectF(4, 10, 8, 5));
        break;
    }
    case TGlyph::Convert: {
        p.setPen(QPen(ink.dark, 1));
        p.setBrush(ink.light);
        p.drawRect(QRectF(0.5, 1.5, 6, 8));
        p.drawRect(QRectF(9.5, 6.5, 6, 8));
        QPen arrow(ink.green, 2.0, Qt::SolidLine, Qt::RoundCap);
        p.setPen(arrow);
        p.drawLine(QPointF(4, 12), QPointF(7, 12));
        p.setPen(Qt::NoPen);
        p.setBrush(ink.green);
        p.drawPolygon(Triangle(6.5, 9, 10, 15, true));
        break;
    }
    case TGlyph::Preview: {
        p.setPen(QPen(ink.dark, 1));
        p.setBrush(ink.dark);
        p.drawRect(QRectF(0.5, 1.5, 15, 11));
        p.drawRect(QRectF(5.5, 13.5, 5, 1));
        QPen beam(ink.green, 1.4);
        p.setPen(beam);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(4, 4, 8, 6));
        p.setPen(QPen(ink.red, 1.4));
        p.drawLine(QPointF(3, 10), QPointF(13, 4));
        break;
    }
    case TGlyph::Next:
        p.setPen(Qt::NoPen);
        p.setBrush(ink.blue);
        p.drawPolygon(Triangle(2, 2, 11, 14, true));
        p.drawRect(QRectF(11, 2, 3, 12));
        break;
    case TGlyph::Prev:
        p.setPen(Qt::NoPen);
        p.setBrush(ink.blue);
        p.drawRect(QRectF(2, 2, 3, 12));
        p.drawPolygon(Triangle(5, 2, 14, 14, false));
        break;
    case TGlyph::Web: {
        p.setPen(QPen(ink.blue, 1.2));
        p.setBrush(ink.light);
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(5, 1.5, 6, 13));
        p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
        p.drawLine(QPointF(8, 1.5), QPointF(8, 14.5));
        break;
    }
    }
}

} // namespace

QImage GlyphImage(TGlyph glyph, bool enabled) {
    QImage image(glyphSize, glyphSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    if (enabled) {
        Draw(p, glyph, Inks{});
    } else {
        // The toolkit's disabled look: a white copy one pixel down and right under a grey one.
        p.save();
        p.translate(1, 1);
        Draw(p, glyph, SingleInk(Qt::white, Qt::transparent));
        p.restore();
        Draw(p, glyph, SingleInk(QColor(128, 128, 128), Qt::white));
    }
    return image;
}

QIcon GlyphIcon(TGlyph glyph) {
    QIcon icon;
    const QPixmap normal = QPixmap::fromImage(GlyphImage(glyph, true));
    const QPixmap disabled = QPixmap::fromImage(GlyphImage(glyph, false));
    for (QIcon::State state : {QIcon::Off, QIcon::On}) {
        icon.addPixmap(normal, QIcon::Normal, state);
        icon.addPixmap(normal, QIcon::Active, state);
        icon.addPixmap(normal, QIcon::Selected, state);
        icon.addPixmap(disabled, QIcon::Disabled, state);
    }
    return icon;
}
