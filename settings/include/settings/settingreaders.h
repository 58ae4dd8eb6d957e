#pragma once

#include <cstdint>

#include "platform/scan.h"
#include "settings/settings.h"

class CProfileFile;

// The four readers of the settings file, one per kind of key. Each looks up one key in one
// section of `file` with the key's default text, in a buffer of kSettingTextSize bytes (a
// longer value is cut to kSettingTextSize - 1 characters), and converts what it got:
//
// - ReadSettingText stores the text as found, terminated.
// - ReadSettingHex scans it as C's "%x"; ReadSettingInt as C's "%i". A text that does not
//   begin with a number (an empty value among them) stores nothing: the field keeps its value.
// - ReadSettingFlag stores true for exactly "true", false for anything else.
void ReadSettingText(const CProfileFile& file, const char* section, const char* key,
                     char (&field)[kSettingTextSize], const char* defaultText);
void ReadSettingHex(const CProfileFile& file, const char* section, const char* key, uint32_t& field,
                    const char* defaultText);
void ReadSettingInt(const CProfileFile& file, const char* section, const char* key, int32_t& field,
                    const char* defaultText);
void ReadSettingFlag(const CProfileFile& file, const char* section, const char* key, bool& field,
                     const char* defaultText);

// The conversions of the readers, applied to a text already looked up. constexpr so that the
// defaults of the record are converted at compile time by the same rules.
constexpr void StoreSettingText(char (&field)[kSettingTextSize], const char* text) {
    size_t n = 0;
    for (; n + 1 < kSettingTextSize && text[n] != '\0'; ++n)
        field[n] = text[n];
    field[n] = '\0';
}

constexpr void StoreSettingHex(uint32_t& field, const char* text) {
    uint32_t value = 0;
    if (ScanHex(text, value))
        field = value;
}

constexpr void StoreSettingInt(int32_t& field, const char* text) {
    int32_t value = 0;
    if (ScanInt(text, value))
        field = value;
}

constexpr void StoreSettingFlag(bool& field, const char* text) {
    const char* expected = "true";
    size_t i = 0;
    while (text[i] != '\0' && text[i] == expected[i])
        ++i;
    field = text[i] == '\0' && expected[i] == '\0';
}
