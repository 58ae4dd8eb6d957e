#pragma once

#include <QString>

#include <string>
#include <vector>

class IUserDialogs;
class TApplication;

// The program's entry after the application object exists: sets the application title
// "Trellion", ignores SIGXFSZ (a file size limit then fails the write, which is reported),
// creates the main window (its working directories beside baseDir, the executable's directory
// when empty, or in the user's data directory; see TConvert) and runs the event loop until the
// application terminates. Once the loop runs, the window opens `names` (absolute names as
// bytes, see CommandLineNames) as TConvert::OpenNames does. A window that cannot be created is
// not shown: the error goes to the standard exception display and the entry ends. Returns the
// exit code, always 0.
int RunTrellion(TApplication& app, IUserDialogs* dialogs = nullptr,
                const QString& baseDir = QString(), const std::vector<std::string>& names = {});
