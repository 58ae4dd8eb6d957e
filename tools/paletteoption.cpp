#include "tools/paletteoption.h"

#include <strings.h>

int PaletteIndexOf(const std::string& name) {
    static const char* const names[3][2] = {{"pangolin", "0"}, {"ilda", "1"}, {"x29", "2"}};
    for (int i = 0; i < 3; ++i)
        for (const char* candidate : names[i])
            if (strcasecmp(name.c_str(), candidate) == 0)
                return i;
    return -1;
}
