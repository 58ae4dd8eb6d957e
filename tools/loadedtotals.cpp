#include "tools/loadedtotals.h"

#include <cstdio>

#include "model/cchannel.h"
#include "model/cframe.h"
#include "model/cthing.h"
#include "model/cvector.h"

long FramePoints(const CFrame& frame) {
    long points = 0;
    for (const CThing* thing = frame.FirstThing(); thing != nullptr; thing = thing->next)
        points += thing->VertexCount();
    return points;
}

LoadedTotals CountLoaded(const CChannel& channel) {
    LoadedTotals totals;
    totals.frames = channel.FrameCount();
    for (const CFrame* frame = channel.FirstFrame(); frame != nullptr; frame = frame->next) {
        for (const CThing* thing = frame->FirstThing(); thing != nullptr; thing = thing->next) {
            for (const CVector* v = thing->FirstVertex(); v != nullptr; v = v->next) {
                ++totals.points;
                totals.blanked += v->blank != 0;
            }
        }
    }
    return totals;
}

void ReportIfNoPoints(const char* command, const std::string& file, const LoadedTotals& totals) {
    if (totals.points == 0)
        std::fprintf(stderr, "trellion-cli %s: %s: holds no points this reader takes\n", command,
                     file.c_str());
}
