#include "tools/paletteoption.h"

#include <strings.h>

namespace {

// Each palette's name and number, in the order of the window's palette group.
constexpr const char* kNames[3][2] = {{"pangolin", "0"}, {"ilda", "1"}, {"x29", "2"}};

} // namespace

int PaletteIndexOf(const std::string& name) {
    for (int i = 0; i < 3; ++i)
        for (const char* candidate : kNames[i])
            if (strcasecmp(name.c_str(), candidate) == 0)
                return i;
    return -1;
}

std::string PaletteWords() {
    std::string words;
    for (int form = 0; form < 2; ++form)
        for (const auto& names : kNames)
            words += (words.empty() ? "" : " ") + std::string(names[form]);
    return words;
}
