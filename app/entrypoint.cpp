#include "app/entrypoint.h"

#include <exception>
#include <memory>

#include "app/tapplication.h"
#include "app/tconvert.h"

int RunTrellion(TApplication& app, IUserDialogs* dialogs, const QString& baseDir) {
    QApplication::setApplicationDisplayName(QStringLiteral("Trellion"));
    try {
        const auto window = std::make_unique<TConvert>(dialogs, baseDir);
        window->show();
        QApplication::exec();
    } catch (const std::exception& error) {
        app.ShowException(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        app.ShowException(QString());
    }
    return 0;
}
