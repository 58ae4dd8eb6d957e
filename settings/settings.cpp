#include "settings/settings.h"

#include "platform/profilefile.h"
#include "platform/userdirectories.h"
#include "settings/settingkeys.h"
#include "settings/settingreaders.h"

namespace {

// What loading gives without a settings file: a zeroed record with every default converted
// by the readers' own rules.
constexpr TSettings MakeDefaultSettings() {
    TSettings record{};
    ForEachSettingSection([&record](const auto& section) {
        auto& group = record.*section.group;
        for (const auto& key : section.keys) {
            switch (key.kind) {
            case SettingKind::Colour:
                StoreSettingHex(group.*std::get<0>(key.field), key.defaultText);
                break;
            case SettingKind::Integer:
                StoreSettingInt(group.*std::get<1>(key.field), key.defaultText);
                break;
            case SettingKind::Flag:
                StoreSettingFlag(group.*std::get<2>(key.field), key.defaultText);
                break;
            case SettingKind::Text:
                StoreSettingText(group.*std::get<3>(key.field), key.defaultText);
                break;
            }
        }
    });
    return record;
}

constexpr TSettings kDefaultSettings = MakeDefaultSettings();

} // namespace

constinit TSettings Settings = kDefaultSettings;

const TSettings& DefaultSettings() {
    return kDefaultSettings;
}

std::string DefaultSettingsPath() {
    const std::string prefix = WinePrefix();
    if (prefix.empty())
        return {};
    return (prefix == "/" ? "" : prefix) + "/drive_c/windows/Tarvexa.ini";
}

void LoadSettings() {
    LoadSettings(Settings, DefaultSettingsPath());
}

void LoadSettings(const std::string& path) {
    LoadSettings(Settings, path);
}

void LoadSettings(TSettings& record, const std::string& path) {
    // Parsed once; every key is then looked up in memory. A file that cannot be read leaves the
    // profile empty, so every key gets its default.
    CProfileFile file;
    file.Load(path);
    LoadSettings(record, file);
}

void LoadSettings(TSettings& record, const CProfileFile& file) {
    // The readers store nothing for a value that is not a number, and loading happens on a
    // zeroed record, so such a value reads as 0 rather than as the default.
    record = TSettings{};
    ForEachSettingSection([&](const auto& section) {
        auto& group = record.*section.group;
        for (const auto& key : section.keys) {
            switch (key.kind) {
            case SettingKind::Colour:
                ReadSettingHex(file, section.name, key.key, group.*std::get<0>(key.field),
                               key.defaultText);
                break;
            case SettingKind::Integer:
                ReadSettingInt(file, section.name, key.key, group.*std::get<1>(key.field),
                               key.defaultText);
                break;
            case SettingKind::Flag:
                ReadSettingFlag(file, section.name, key.key, group.*std::get<2>(key.field),
                                key.defaultText);
                break;
            case SettingKind::Text:
                ReadSettingText(file, section.name, key.key, group.*std::get<3>(key.field),
                                key.defaultText);
                break;
            }
        }
    });
}
