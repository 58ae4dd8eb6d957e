#pragma once

#include <QString>

#include "app/userdialogs.h"

// The window's save-file dialog component: its properties, set by the layout and by the
// workflow, and Execute, which shows the dialog through the window's IUserDialogs.
class TSaveDialog {
public:
    explicit TSaveDialog(IUserDialogs& dialogs) : dialogs(dialogs) {}

    // Every property; fileName is the suggested name before Execute and the chosen full path
    // after a confirmed one.
    [[nodiscard]] TSaveFileRequest& Options() { return options; }
    [[nodiscard]] const TSaveFileRequest& Options() const { return options; }

    [[nodiscard]] QString FileName() const { return options.fileName; }
    void SetFileName(const QString& name) { options.fileName = name; }
    [[nodiscard]] QString InitialDir() const { return options.initialDir; }
    void SetInitialDir(const QString& directory) { options.initialDir = directory; }

    // Shows the dialog; true when the user confirmed a name, which is then in FileName().
    [[nodiscard]] bool Execute();

    // The directory of the last name confirmed in this dialog, as the dialog gave it; empty
    // until one is. Lives as long as the dialog, which is the window's: nothing is kept
    // between runs.
    [[nodiscard]] QString LastDirectory() const { return lastDirectory; }

private:
    IUserDialogs& dialogs;
    TSaveFileRequest options;
    QString lastDirectory;
};
