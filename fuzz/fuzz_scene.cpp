// The scene file reader over arbitrary bytes: every version its magic names, with and without a
// frame limit. A read must end with true or false, never outside the input or with an
// allocation the input cannot justify.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "model/cscene.h"
#include "model/geometry.h"
#include "scene/scenefile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool tablesFilled = (FillAngleTables(), true);
    (void)tablesFilled;
    const std::span<const uint8_t> bytes(data, size);
    for (int frameLimit : {0, 1}) {
        CScene scene(nullptr, nullptr);
        std::string error;
        if (!LoadSceneFile(bytes, &scene, frameLimit, &error) && error.empty())
            __builtin_trap(); // a failure always says why
    }
    return 0;
}
