#pragma once

#include "platform/messagehook.h"

// Binds the file code's reporting hook (ShowThemedMessage) to the themed message box, so
// every report is shown modally; returns the previous hook. Needs a QApplication.
MessageHook BindThemedMessageBox();
