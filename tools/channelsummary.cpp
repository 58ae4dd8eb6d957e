#include "tools/channelsummary.h"

#include <algorithm>
#include <cstdio>
#include <unordered_set>

#include "model/cchannel.h"
#include "model/cframe.h"
#include "model/cpoly.h"
#include "model/cthing.h"
#include "model/cvector.h"

namespace {

template <class Visit> void ForEachPoint(const CFrame& frame, Visit&& visit) {
    for (CThing* thing = frame.FirstThing(); thing != nullptr; thing = thing->Next(false)) {
        for (CPoly* poly = thing->FirstPoly(); poly != nullptr; poly = poly->Next(false))
            for (const CVector* v = poly->FirstVertex(); v != nullptr; v = v->next)
                visit(*v);
        for (const CVector* v = thing->FirstVertex(); v != nullptr; v = v->next)
            visit(*v);
    }
}

// The reader stores whole numbers from -2048 to 2047.
int ToIlda(float modelCoordinate) {
    return static_cast<int>(modelCoordinate) * 16;
}

} // namespace

PointCounts CountPoints(const CFrame& frame) {
    PointCounts counts;
    ForEachPoint(frame, [&](const CVector& v) {
        ++counts.points;
        ++(v.blank != 0 ? counts.blanked : counts.lit);
    });
    return counts;
}

PointCounts CountPoints(const CChannel& channel) {
    PointCounts counts;
    for (CFrame* frame = channel.FirstFrame(); frame != nullptr; frame = frame->Next(false)) {
        const PointCounts frameCounts = CountPoints(*frame);
        counts.points += frameCounts.points;
        counts.lit += frameCounts.lit;
        counts.blanked += frameCounts.blanked;
    }
    return counts;
}

void ReportNoPoints(const char* command, const std::string& file) {
    std::fprintf(stderr, "trellion-cli %s: %s: holds no points this reader takes\n", command,
                 file.c_str());
}

double ChannelSummary::LitShare() const {
    return counts.points == 0
               ? 0.0
               : static_cast<double>(counts.lit) / static_cast<double>(counts.points);
}

double ChannelSummary::Seconds(long long pointsPerSecond) const {
    return static_cast<double>(counts.points) / static_cast<double>(pointsPerSecond);
}

std::optional<double> ChannelSummary::FramesPerSecond(long long pointsPerSecond) const {
    if (counts.points == 0)
        return std::nullopt;
    // frames / (points / rate), in the order that keeps whole results whole.
    return static_cast<double>(frames) * static_cast<double>(pointsPerSecond) /
           static_cast<double>(counts.points);
}

ChannelSummary SummariseChannel(const CChannel& channel) {
    ChannelSummary summary;
    summary.frames = channel.FrameCount();
    std::unordered_set<uint32_t> colours;
    for (CFrame* frame = channel.FirstFrame(); frame != nullptr; frame = frame->Next(false)) {
        ForEachPoint(*frame, [&](const CVector& v) {
            ++summary.counts.points;
            if (v.blank != 0) {
                ++summary.counts.blanked;
            } else {
                ++summary.counts.lit;
                colours.insert(v.colour);
            }
            const int x = ToIlda(v.x);
            const int y = ToIlda(v.y);
            const int z = ToIlda(v.z);
            if (!summary.box) {
                summary.box = IldaBox{x, x, y, y, z, z};
                return;
            }
            IldaBox& b = *summary.box;
            b.minX = std::min(b.minX, x);
            b.maxX = std::max(b.maxX, x);
            b.minY = std::min(b.minY, y);
            b.maxY = std::max(b.maxY, y);
            b.minZ = std::min(b.minZ, z);
            b.maxZ = std::max(b.maxZ, z);
        });
    }
    summary.colours = static_cast<long long>(colours.size());
    return summary;
}
