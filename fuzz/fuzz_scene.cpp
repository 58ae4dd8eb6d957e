// The scene file reader over arbitrary bytes: every version its magic names, with and without a
// frame limit. A read must end with true or false, never outside the input, and never at a
// memory cost beyond a small multiple of the input's size.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "model/cscene.h"
#include "model/geometry.h"
#include "model/vertexpool.h"
#include "scene/scenefile.h"
#include "settings/settings.h"
#include "tests/scene/heapcount.h"

using heapcount::liveHeapBytes;
using heapcount::peakHeapBytes;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool tablesFilled = (FillAngleTables(), true);
    (void)tablesFilled;
    const std::span<const uint8_t> bytes(data, size);
    // What a read may cost: ten model bytes per file byte, a base for the scene and its first
    // channel, and the vertex pool's first blocks (counted twice below).
    const long long bound = 12 * static_cast<long long>(size) + (4 << 20);
    for (int frameLimit : {0, 1}) {
        std::string error;
        const long long before = liveHeapBytes.load();
        peakHeapBytes = before;
        {
            CScene scene(DefaultSettings());
            if (!LoadSceneFile(bytes, &scene, frameLimit, &error) && error.empty())
                __builtin_trap(); // a failure always says why
            // The pool's blocks, mapped or from the heap, stay until the scene goes.
            if (peakHeapBytes.load() - before + static_cast<long long>(VertexPoolHeldBytes()) >
                bound)
                __builtin_trap();
        }
    }
    return 0;
}
