#include "app/tsavedialog.h"

bool TSaveDialog::Execute() {
    const std::optional<QString> chosen = dialogs.SaveFileName(options);
    if (!chosen)
        return false;
    options.fileName = *chosen;
    return true;
}
