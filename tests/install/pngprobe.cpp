// Prints what the install test needs to know of a PNG picture: "WIDTHxHEIGHT LIT", LIT being
// the number of pixels that are not black. Exit status 1 when the file is no readable picture.
#include <cstdio>

#include <QImage>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: pngprobe FILE.png\n");
        return 2;
    }
    const QImage image(QString::fromLocal8Bit(argv[1]), "PNG");
    if (image.isNull()) {
        std::fprintf(stderr, "pngprobe: %s: no PNG picture\n", argv[1]);
        return 1;
    }
    const QImage pixels = image.convertToFormat(QImage::Format_RGB32);
    long lit = 0;
    for (int y = 0; y < pixels.height(); ++y)
        for (int x = 0; x < pixels.width(); ++x)
            lit += (pixels.pixel(x, y) & 0xFFFFFFu) != 0 ? 1 : 0;
    std::printf("%dx%d %ld\n", pixels.width(), pixels.height(), lit);
    return 0;
}
