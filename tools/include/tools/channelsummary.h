#pragma once

#include <cstdint>
#include <optional>
#include <string>

class CChannel;
class CFrame;

// The figures an operator checks before a show, taken from a channel as the ILDA reader loaded
// it (whole-number coordinates from -2048 to 2047).

struct PointCounts {
    long long points = 0;
    long long lit = 0;     // beam on
    long long blanked = 0; // beam off while moving there
};

// The points of a frame: every thing's free vertices and the vertices of its polys.
[[nodiscard]] PointCounts CountPoints(const CFrame& frame);
// The points of every frame of the channel.
[[nodiscard]] PointCounts CountPoints(const CChannel& channel);

// A file that loads yet gives no point at all (empty, not ILDA, or only sections the reader
// passes over) still counts as loaded, as one empty frame. For such a file the commands print
// the one line "trellion-cli COMMAND: FILE: holds no points this reader takes" on standard
// error, so that a script sees its content was not taken.
void ReportNoPoints(const char* command, const std::string& file);

// A box in ILDA coordinates: the model keeps a loaded coordinate divided by 16, so the box is
// that times 16 (-32768 to 32752), whatever the file's low 4 bits held.
struct IldaBox {
    int minX = 0, maxX = 0;
    int minY = 0, maxY = 0;
    int minZ = 0, maxZ = 0;
};

struct ChannelSummary {
    int frames = 0;
    PointCounts counts;
    // Of every point, blanked ones included, since the scanners travel there too; none when the
    // channel holds no point.
    std::optional<IldaBox> box;
    // Distinct colours of the lit points, as the palette gave them.
    long long colours = 0;

    // lit / points, 0 without points.
    [[nodiscard]] double LitShare() const;
    // Playing time of one pass at `pointsPerSecond` (> 0): points / rate.
    [[nodiscard]] double Seconds(long long pointsPerSecond) const;
    // Frames shown per second at that rate; none without points.
    [[nodiscard]] std::optional<double> FramesPerSecond(long long pointsPerSecond) const;
};

[[nodiscard]] ChannelSummary SummariseChannel(const CChannel& channel);
