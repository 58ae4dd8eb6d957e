#pragma once

#include <QString>

#include <optional>
#include <string>

// Answers of a confirmation box. Closing a box without a button (Escape or the close box)
// answers Cancel, also when the box offers only Yes and No.
enum class TAnswer { Yes, No, Cancel };

// The button sets a confirmation box offers.
enum class TConfirmButtons { YesNo, YesNoCancel };

// What the save-file dialog is asked to show (the save dialog component's properties).
struct TSaveFileRequest {
    QString title;
    // Filter in the toolkit's "description|pattern" form, e.g. "Ilda File(.ild)|*.ild".
    QString filter;
    // Appended to a typed name without an extension; with or without its dot (".ild").
    QString defaultExt;
    QString initialDir;
    QString fileName;
    bool overwritePrompt = true;
    bool hideReadOnly = true;
    bool resizable = true;
};

// Every question and message the main window puts to its user, and the one request it makes of
// the desktop shell. The window gets one implementation at construction: QtUserDialogs on the
// desktop, a scripted one in tests (so that no modal box is ever left waiting).
class IUserDialogs {
public:
    virtual ~IUserDialogs() = default;

    // The plain information box: the text and an OK button; returns when it is closed.
    virtual void Information(const QString& text) = 0;

    // The application's standard exception display: a box with the message and an OK button.
    virtual void ShowError(const QString& message) = 0;

    // A confirmation box with the question icon and the given buttons; Enter presses the
    // default button (Yes or No).
    [[nodiscard]] virtual TAnswer Confirm(const QString& text, TConfirmButtons buttons,
                                          TAnswer defaultButton = TAnswer::Yes) = 0;

    // The file code's themed message box (TMsgDlgType type, TMsgDlgBtn bits); returns the
    // TModalResult of the pressed button. The window binds ShowThemedMessage to this while it
    // lives.
    virtual int ThemedMessage(const std::string& text, int type, unsigned buttons) = 0;

    // The save-file dialog; returns the chosen path, or nothing when the user cancelled.
    [[nodiscard]] virtual std::optional<QString> SaveFileName(const TSaveFileRequest& request) = 0;

    // Asks the desktop shell to open an address; false when no program (no web browser)
    // could be started for it. The failure is not reported here.
    [[nodiscard]] virtual bool OpenUrl(const QString& address) = 0;
};
