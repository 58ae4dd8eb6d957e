// The ILDA reader and the standard's check over arbitrary bytes, in memory: nothing may crash,
// read outside the data or build a model the writer would misdescribe, and data the check finds
// nothing in is what the section walk takes for whole sections closed by a closing section.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "ilda/cilda.h"
#include "ilda/colourpalettes.h"
#include "ilda/ildacheck.h"
#include "ilda/ildasections.h"
#include "ilda/nearestcolourtable.h"
#include "model/cscene.h"
#include "model/geometry.h"
#include "settings/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool tablesFilled = (FillAngleTables(), true);
    (void)tablesFilled;

    const auto palette = static_cast<int32_t>(size % 3);
    CScene scene(DefaultSettings());
    CChannel* channel = scene.AddChannel();
    CIlda ilda;
    ilda.LoadBytes(data, size, channel, palette);
    const std::array<uint32_t, 256>& colours = PaletteColours(palette);

    // Every frame holds at most one thing of free vertices within the model's range, and no
    // more points than there are bytes for.
    size_t points = 0;
    for (CFrame* frame = channel->FirstFrame(); frame != nullptr; frame = frame->Next(false)) {
        if (frame->ThingCount() > 1)
            std::abort();
        for (CThing* thing = frame->FirstThing(); thing != nullptr; thing = thing->Next(false)) {
            for (const CVector* v = thing->FirstVertex(); v != nullptr; v = v->next) {
                if (v->x < -2048 || v->x > 2047 || v->y < -2048 || v->y > 2047 || v->z < -2048 ||
                    v->z > 2047 || v->blank > 1 || (v->blank == 1 && v->colour != 0))
                    std::abort();
                // Every lit colour comes from the palette, true colours included.
                if (v->blank == 0 &&
                    std::find(colours.begin(), colours.end(), v->colour) == colours.end())
                    std::abort();
                ++points;
            }
        }
        // The writer's count for the frame: its points, or the one blanked point that stands in
        // for none.
        const int32_t vertices = frame->FirstThing() ? frame->FirstThing()->VertexCount() : 0;
        if (frame->PointCount() != (vertices > 0 ? vertices : 1))
            std::abort();
        // A frame without points is only the one a file without points loads as.
        if (vertices == 0 && channel->FrameCount() != 1)
            std::abort();
    }
    if (points * 6 > size || static_cast<size_t>(channel->FrameCount()) > size / 32 + 1)
        std::abort();
    if (ilda.ParsedBytes() > size)
        std::abort();

    // The reader's nearest-colour table against the plain scan, on the first bytes as colours.
    const NearestColourTable& nearest = NearestColourTable::Of(palette);
    for (size_t at = 0; at + 3 <= size && at < 96; at += 3) {
        const uint32_t colour = data[at] | data[at + 1] << 8 | uint32_t{data[at + 2]} << 16;
        if (nearest.IndexOf(colour) != NearestColourIndex(palette, colour))
            std::abort();
    }

    const auto sections = ListIldaSections(data, size);
    if (sections.size() > size / kIldaHeaderSize)
        std::abort();

    const std::vector<IldaDeparture> departures = CheckIlda(data, size);
    for (const IldaDeparture& d : departures)
        if (d.offset > size || d.section > size / kIldaHeaderSize + 1 || d.text.empty())
            std::abort();
    if (departures.empty()) {
        if (sections.empty() || sections.back().header.pointCount != 0)
            std::abort();
        for (const IldaSectionInfo& s : sections)
            if (!s.complete || s.strayBytes != 0)
                std::abort();
    }
    return 0;
}
