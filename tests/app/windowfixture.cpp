#include "tests/app/windowfixture.h"

#include <QDir>
#include <QElapsedTimer>

#include "search/tlmdsearchfilegrep.h"

void WindowTest::SetUp() {
    previousCurrentDir = QDir::currentPath();
    ASSERT_TRUE(temp.isValid());
    baseDir = temp.path() + QStringLiteral("/Program Files/Trellion/");
    ASSERT_TRUE(QDir().mkpath(baseDir));
    window = std::make_unique<TConvert>(&dialogs, baseDir);
    window->show();
}

void WindowTest::TearDown() {
    window.reset();
    QDir::setCurrent(previousCurrentDir);
}

void WindowTest::Settle() const {
    QElapsedTimer clock;
    clock.start();
    do {
        QCoreApplication::processEvents();
    } while (window->lf->IsSearching() && clock.elapsed() < 5000);
    QCoreApplication::processEvents();
}

int DifferingPixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size())
        return -1;
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    int differing = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int column = 0; column < x.width(); ++column)
            differing += (x.pixel(column, row) & 0xFFFFFF) != (y.pixel(column, row) & 0xFFFFFF);
    return differing;
}

int LitPixels(const QImage& picture) {
    const QImage x = picture.convertToFormat(QImage::Format_RGB32);
    int lit = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int column = 0; column < x.width(); ++column)
            lit += (x.pixel(column, row) & 0xFFFFFF) != 0;
    return lit;
}
