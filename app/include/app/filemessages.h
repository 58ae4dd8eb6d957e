#pragma once

#include <QString>

#include "search/filenamecodec.h"

// What the window shows when memory ran out while it loaded (action "load") or saved ("save")
// a file, the file's path as the lists show it: memory, not the file, is at fault, so the
// corrupt-file message would mislead.
inline QString NotEnoughMemoryMessage(const char* action, const QString& file) {
    return QStringLiteral("not enough memory to %1 %2")
        .arg(QLatin1String(action), DisplayedFileName(file));
}
