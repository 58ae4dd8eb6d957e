#include "app/tsavedialog.h"

#include <QDir>
#include <QFileInfo>

bool TSaveDialog::Execute() {
    const std::optional<QString> chosen = dialogs.SaveFileName(options);
    if (!chosen)
        return false;
    options.fileName = *chosen;
    lastDirectory = QFileInfo(QDir::cleanPath(*chosen)).absolutePath();
    return true;
}
