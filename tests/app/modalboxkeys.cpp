#include "tests/app/modalboxkeys.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

ModalBoxKeys::ModalBoxKeys(std::deque<int> keys) : keys(std::move(keys)) {
    QObject::connect(&poll, &QTimer::timeout, [this] { Poll(); });
    poll.start(5);
}

void ModalBoxKeys::Poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || box == answered || !box->isVisible())
        return;
    answered = box;
    Seen shown;
    shown.text = box->text();
    for (QPushButton* button : box->findChildren<QPushButton*>()) {
        if (!button->isVisible())
            continue;
        shown.shownButtons << button->text();
        if (button->isDefault())
            shown.defaultButton = button->text();
    }
    seen.push_back(shown);
    int key = Qt::Key_Escape;
    if (keys.empty()) {
        ADD_FAILURE() << "unscripted box: " << shown.text.toStdString();
    } else {
        key = keys.front();
        keys.pop_front();
    }
    if (key == closeBox)
        box->close();
    else
        QTest::keyClick(box, static_cast<Qt::Key>(key));
}
