#pragma once

#include "app/userdialogs.h"

// The desktop's dialogs: Qt message boxes titled with the application name, the themed
// message box for the file code, QFileDialog and QDesktopServices. Needs a QApplication.
class QtUserDialogs : public IUserDialogs {
public:
    void Information(const QString& text) override;
    void ShowError(const QString& message) override;
    [[nodiscard]] TAnswer Confirm(const QString& text, TConfirmButtons buttons,
                                  TAnswer defaultButton) override;
    int ThemedMessage(const std::string& text, int type, unsigned buttons) override;
    [[nodiscard]] std::optional<QString> SaveFileName(const TSaveFileRequest& request) override;
    [[nodiscard]] bool OpenUrl(const QString& address) override;
};
