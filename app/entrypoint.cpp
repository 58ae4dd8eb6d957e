#include "app/entrypoint.h"

#include <csignal>
#include <exception>
#include <memory>

#include "app/tapplication.h"
#include "app/tconvert.h"

int RunTrellion(TApplication& app, IUserDialogs* dialogs, const QString& baseDir,
                const std::vector<std::string>& names) {
    // The application's title names the task bar entry and the message boxes. It is the
    // application name, not a display name: the window system would append a display name to
    // every caption.
    QApplication::setApplicationName(QStringLiteral("Trellion"));
    // Under a file size limit a write that reaches it fails, and the workflow reports that,
    // instead of the whole window being killed.
    std::signal(SIGXFSZ, SIG_IGN);
    try {
        const auto window = std::make_unique<TConvert>(dialogs, baseDir);
        window->setWindowIconText(QApplication::applicationName());
        window->show();
        // From the event loop, so that the window is on screen behind a message or question.
        if (!names.empty())
            QMetaObject::invokeMethod(
                window.get(), [&window, &names] { window->OpenNames(names); },
                Qt::QueuedConnection);
        QApplication::exec();
    } catch (const std::exception& error) {
        app.ShowException(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        app.ShowException(QString());
    }
    return 0;
}
