#include "app/tapplication.h"

#include <exception>

#include "app/qtuserdialogs.h"

TApplication::TApplication(int& argc, char** argv)
    : QApplication(argc, argv), ownDialogs(std::make_unique<QtUserDialogs>()),
      dialogs(ownDialogs.get()) {}

TApplication::~TApplication() = default;

void TApplication::SetDialogs(IUserDialogs* given) {
    dialogs = given ? given : ownDialogs.get();
}

void TApplication::ShowException(const QString& message) {
    dialogs->ShowError(message);
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowException(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        ShowException(QString());
    }
    return false;
}
