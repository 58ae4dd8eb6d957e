#include "controls/bindthemedmessagebox.h"

#include <QString>

#include "controls/tthmessagebox.h"

MessageHook BindThemedMessageBox() {
    return SetMessageHook([](const std::string& text, int type, unsigned buttons) {
        return TThMessageBox::ShowMessage(QString::fromStdString(text), type, buttons);
    });
}
