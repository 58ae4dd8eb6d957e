#include "settings/settingreaders.h"

#include "platform/profilefile.h"

void ReadSettingText(const CProfileFile& file, const char* section, const char* key,
                     char (&field)[kSettingTextSize], const char* defaultText) {
    file.GetString(section, key, defaultText, field, kSettingTextSize);
}

void ReadSettingHex(const CProfileFile& file, const char* section, const char* key, uint32_t& field,
                    const char* defaultText) {
    char buffer[kSettingTextSize];
    file.GetString(section, key, defaultText, buffer, sizeof buffer);
    StoreSettingHex(field, buffer);
}

void ReadSettingInt(const CProfileFile& file, const char* section, const char* key, int32_t& field,
                    const char* defaultText) {
    char buffer[kSettingTextSize];
    file.GetString(section, key, defaultText, buffer, sizeof buffer);
    StoreSettingInt(field, buffer);
}

void ReadSettingFlag(const CProfileFile& file, const char* section, const char* key, bool& field,
                     const char* defaultText) {
    char buffer[kSettingTextSize];
    file.GetString(section, key, defaultText, buffer, sizeof buffer);
    StoreSettingFlag(field, buffer);
}
