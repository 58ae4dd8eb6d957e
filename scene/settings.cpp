#include "scene/settings.h"

// The record is declared first so the scene model can be built against it; the key tables
// and the loader replace these bodies.
TSettings Settings;

std::string DefaultSettingsPath() {
    return {};
}

void LoadSettings() {}

void LoadSettings(const std::string&) {}

void LoadSettings(TSettings&, const std::string&) {}
