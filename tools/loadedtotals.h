#pragma once

#include <string>

class CChannel;
class CFrame;

// What the reader loaded into a channel: its frames and the free vertices of their things
// (the reader makes no polys), blanked ones counted apart.
struct LoadedTotals {
    int frames = 0;
    long points = 0;
    long blanked = 0;
};

[[nodiscard]] long FramePoints(const CFrame& frame);
[[nodiscard]] LoadedTotals CountLoaded(const CChannel& channel);

// A file that loads yet gives no point at all (empty, not ILDA, or only sections the reader
// passes over) still counts as loaded, as one empty frame. For such a file, prints the one line
// "trellion-cli COMMAND: FILE: holds no points this reader takes" on standard error, so that a
// script sees its content was not taken; otherwise prints nothing.
void ReportIfNoPoints(const char* command, const std::string& file, const LoadedTotals& totals);
