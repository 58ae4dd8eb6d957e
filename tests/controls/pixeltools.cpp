#include "tests/controls/pixeltools.h"

#include <QPixmap>

std::int32_t PixelAt(const QImage& image, int x, int y) {
    const QRgb p = image.pixel(x, y);
    return qRed(p) | qGreen(p) << 8 | qBlue(p) << 16;
}

QImage Render(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QRect BoundingBoxOf(const QImage& image, const std::function<bool(std::int32_t)>& keep) {
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (keep(PixelAt(image, x, y)))
                box |= QRect(x, y, 1, 1);
    return box;
}

bool IsDark(std::int32_t colour) {
    return (colour & 0xFF) < 0x60 && ((colour >> 8) & 0xFF) < 0x60 &&
           ((colour >> 16) & 0xFF) < 0x60;
}
