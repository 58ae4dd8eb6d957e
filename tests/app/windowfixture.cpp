#include "tests/app/windowfixture.h"

#include <QDir>
#include <QElapsedTimer>

#include "app/search/tlmdsearchfilegrep.h"

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
