#include "controls/thutils.h"

#include <QPainter>
#include <QPen>

QColor ThColour(std::int32_t bbggrr) {
    return QColor(bbggrr & 0xFF, (bbggrr >> 8) & 0xFF, (bbggrr >> 16) & 0xFF);
}

std::int32_t ThColourValue(const QColor& colour) {
    return colour.red() | colour.green() << 8 | colour.blue() << 16;
}

QFont ThemeFont(bool bold) {
    // Liberation Sans has Arial's metrics; 11 pixels is about the size of the 8-point bitmap
    // face at 96 dots per inch.
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    font.setBold(bold);
    return font;
}

void DrawLineExcludingEnd(QPainter& canvas, QPoint from, QPoint to) {
    if (from == to)
        return;
    const int dx = (to.x() > from.x()) - (to.x() < from.x());
    const int dy = (to.y() > from.y()) - (to.y() < from.y());
    const QPoint last = to - QPoint(dx, dy);
    // A square cap makes QPainter include both end points of an aliased line, whatever cap
    // the caller's pen carries.
    const QPen saved = canvas.pen();
    QPen pen = saved;
    pen.setCapStyle(Qt::SquareCap);
    canvas.setPen(pen);
    if (last == from)
        canvas.drawPoint(from);
    else
        canvas.drawLine(from, last);
    canvas.setPen(saved);
}

void GradientFill(QPainter& canvas, const QRect& rect, bool byColumns, std::int32_t startColour,
                  std::int32_t endColour) {
    const QPen savedPen = canvas.pen();
    const QPainter::CompositionMode savedMode = canvas.compositionMode();

    const int count = byColumns ? rect.width() : rect.height();
    if (count > 0) {
        // The steps are computed in extended precision and kept as 32-bit floats; each line's
        // value is evaluated in extended precision from those floats before it is truncated.
        float step[3];
        float base[3];
        for (int c = 0; c < 3; ++c) {
            const int s = (startColour >> (8 * c)) & 0xFF;
            const int e = (endColour >> (8 * c)) & 0xFF;
            step[c] = static_cast<float>(static_cast<long double>(e - s) / count);
            base[c] = static_cast<float>(s);
        }
        const int left = rect.left();
        const int top = rect.top();
        const int right = rect.left() + rect.width();
        const int bottom = rect.top() + rect.height();
        QPen pen = savedPen;
        for (int i = 0; i < count; ++i) {
            std::int32_t colour = 0;
            for (int c = 0; c < 3; ++c) {
                const long double value = static_cast<long double>(i) * step[c] + base[c];
                colour |= (static_cast<std::int32_t>(value) & 0xFF) << (8 * c);
            }
            pen.setColor(ThColour(colour));
            canvas.setPen(pen);
            if (byColumns)
                DrawLineExcludingEnd(canvas, QPoint(left + i, top), QPoint(left + i, bottom));
            else
                DrawLineExcludingEnd(canvas, QPoint(left, top + i), QPoint(right, top + i));
        }
    }

    canvas.setPen(savedPen);
    canvas.setCompositionMode(savedMode);
}
