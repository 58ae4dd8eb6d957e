#pragma once

#include <QApplication>
#include <QString>

#include <memory>

class IUserDialogs;

// The application object. An exception that leaves an event handler is caught where the event
// was delivered and shown by the standard exception display (a message box with the
// exception's message; an exception that is not a std::exception shows an empty message); the
// event loop goes on.
class TApplication : public QApplication {
    Q_OBJECT

public:
    TApplication(int& argc, char** argv);
    ~TApplication() override;

    // The dialogs the standard exception display uses; null restores the desktop's.
    void SetDialogs(IUserDialogs* dialogs);

    // The standard exception display.
    void ShowException(const QString& message);

    bool notify(QObject* receiver, QEvent* event) override;

private:
    std::unique_ptr<IUserDialogs> ownDialogs;
    IUserDialogs* dialogs = nullptr;
};
