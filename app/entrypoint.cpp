#include "app/entrypoint.h"

#include <csignal>
#include <exception>
#include <memory>

#include "app/tapplication.h"
#include "app/tconvert.h"

int RunTrellion(TApplication& app, IUserDialogs* dialogs, const QString& baseDir) {
    QApplication::setApplicationDisplayName(QStringLiteral("Trellion"));
    // Under a file size limit a write that reaches it fails, and the workflow reports that,
    // instead of the whole window being killed.
    std::signal(SIGXFSZ, SIG_IGN);
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
