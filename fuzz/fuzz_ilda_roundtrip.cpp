// The ILDA round trip over arbitrary bytes: what the reader makes of them, saved by the writer
// and read again, must be the same frames with the same points, blanking and colours (each
// colour as the palette gives it back; a frame without points comes back as one blanked point
// at the origin), and saving that again must give the same bytes. What the writer wrote has
// nothing to depart from the standard. A frame too large for one section is not written at all.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "ilda/cilda.h"
#include "ilda/colourpalettes.h"
#include "ilda/ildacheck.h"
#include "model/cchannel.h"
#include "model/cframe.h"
#include "model/cscene.h"
#include "model/cthing.h"
#include "model/cvector.h"
#include "model/geometry.h"
#include "settings/settings.h"

namespace {

// The points of every frame in order, free vertices of each thing after its polys' outlines as
// the writer puts them; the reader makes neither polys nor more than one thing per frame.
std::vector<std::vector<const CVector*>> PointsOf(CChannel* channel) {
    std::vector<std::vector<const CVector*>> frames;
    for (CFrame* frame = channel->FirstFrame(); frame != nullptr; frame = frame->Next(false)) {
        std::vector<const CVector*>& points = frames.emplace_back();
        for (CThing* thing = frame->FirstThing(); thing != nullptr; thing = thing->Next(false)) {
            if (thing->FirstPoly() != nullptr)
                std::abort();
            for (const CVector* v = thing->FirstVertex(); v != nullptr; v = v->next)
                points.push_back(v);
        }
    }
    return frames;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool tablesFilled = (FillAngleTables(), true);
    (void)tablesFilled;
    const auto palette = static_cast<int32_t>(size % 3);

    CScene firstScene(DefaultSettings());
    CChannel* first = firstScene.AddChannel();
    CIlda reader;
    reader.LoadBytes(data, size, first, palette);
    const std::vector<uint8_t> saved = CIlda().SaveBytes(first, palette);
    // Only a frame of more points than a section's count holds (read past a count that
    // overflowed) is refused, and nothing is written for it.
    if (saved.empty()) {
        for (CFrame* frame = first->FirstFrame(); frame != nullptr; frame = frame->Next(false))
            if (frame->PointCount() > 65535)
                return 0;
        std::abort();
    }
    if (!CheckIlda(saved.data(), saved.size()).empty())
        std::abort();

    CScene secondScene(DefaultSettings());
    CChannel* second = secondScene.AddChannel();
    CIlda again;
    again.LoadBytes(saved.data(), saved.size(), second, palette);

    const auto before = PointsOf(first);
    const auto after = PointsOf(second);
    if (before.size() != after.size())
        std::abort();
    for (size_t f = 0; f < before.size(); ++f) {
        // A frame without points is saved as one blanked point at the origin, since a section
        // of no records would close the file.
        if (before[f].empty()) {
            if (after[f].size() != 1 || after[f][0]->x != 0 || after[f][0]->y != 0 ||
                after[f][0]->z != 0 || after[f][0]->blank != 1 || after[f][0]->colour != 0)
                std::abort();
            continue;
        }
        if (before[f].size() != after[f].size())
            std::abort();
        for (size_t p = 0; p < before[f].size(); ++p) {
            const CVector& a = *before[f][p];
            const CVector& b = *after[f][p];
            if (a.x != b.x || a.y != b.y || a.z != b.z || a.blank != b.blank)
                std::abort();
            // A lit point's colour is stored as the palette's nearest entry and read back as
            // that entry's colour; a blanked point has colour 0 either way.
            const uint32_t expected =
                a.blank != 0 ? 0u : PaletteColour(palette, NearestColourIndex(palette, a.colour));
            if (b.colour != expected)
                std::abort();
        }
    }
    // The second save has nothing left to change.
    if (CIlda().SaveBytes(second, palette) != saved)
        std::abort();
    return 0;
}
