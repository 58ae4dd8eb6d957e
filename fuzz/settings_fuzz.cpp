// Settings files of any content: parsing, the 600 lookups and their conversions must neither
// fault nor leave a text field unterminated.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/profilefile.h"
#include "settings/settingkeys.h"
#include "settings/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CProfileFile profile;
    profile.Parse(text);

    static TSettings record;
    LoadSettings(record, profile);
    ForEachSettingSection([](const auto& section) {
        const auto& group = record.*section.group;
        for (const auto& key : section.keys) {
            if (key.kind == SettingKind::Text &&
                std::memchr(group.*std::get<3>(key.field), '\0', kSettingTextSize) == nullptr)
                std::abort();
        }
    });

    // Names taken from the input reach the lookup as well.
    char buffer[kSettingTextSize];
    const size_t count =
        profile.GetString(text.substr(0, std::min<size_t>(size, 24)),
                          text.substr(std::min<size_t>(size, 24), 24), "d", buffer, sizeof buffer);
    if (count >= sizeof buffer || std::strlen(buffer) != count)
        std::abort();
    return 0;
}
