#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <vector>

// Answers the real message boxes a workflow opens as a person at the keyboard would: each box
// that becomes the active modal widget gets the next key of the queue (Qt::Key_Escape,
// Qt::Key_Return...), or is closed by its close box for closeBox. Records what each box showed.
// A box met with the queue empty fails the running test and is answered with Escape.
class ModalBoxKeys {
public:
    // Stands for the window system's close box in the queue.
    static constexpr int closeBox = -1;

    struct Seen {
        QString text;
        // The text of the button Enter presses, and of every button shown, in order.
        QString defaultButton;
        QStringList shownButtons;
    };

    explicit ModalBoxKeys(std::deque<int> keys);

    std::vector<Seen> seen;

private:
    void Poll();

    std::deque<int> keys;
    QTimer poll;
    QPointer<QWidget> answered;
};
