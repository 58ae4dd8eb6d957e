#include "tests/render/rendertestsupport.h"

#include <QGuiApplication>
#include <QImage>

#include "render/cscreen.h"

void EnsureGuiApplication() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr)
        return;
    static int argc = 1;
    static char name[] = "render_tests";
    static char* argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}

CVector ProjectedPoint(float x, float y, uint32_t colour, uint8_t blank) {
    CVector p;
    p.view_x = x;
    p.view_y = y;
    p.colour = colour;
    p.cycle_colour = colour;
    p.blank = blank;
    return p;
}

uint32_t PixelAt(const CScreen& screen, int x, int y) {
    const QImage& image = *screen.Image();
    const auto* line =
        reinterpret_cast<const uint32_t*>(image.constScanLine(image.height() - 1 - y));
    return line[x];
}

std::vector<std::pair<int, int>> LitPixels(const CScreen& screen) {
    std::vector<std::pair<int, int>> lit;
    const QImage& image = *screen.Image();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (PixelAt(screen, x, y) != 0)
                lit.emplace_back(x, y);
    return lit;
}
