#include "ilda/nearestcolourtable.h"

#include <algorithm>

#include "ilda/colourpalettes.h"

namespace {

// The least and the most an entry's channel value can differ from a channel value in
// [low, high].
int NearestOnAxis(int value, int low, int high) {
    return value < low ? low - value : value > high ? value - high : 0;
}

int FarthestOnAxis(int value, int low, int high) {
    return std::max(std::abs(value - low), std::abs(value - high));
}

} // namespace

NearestColourTable::NearestColourTable(int paletteIndex) {
    const Palette& palette =
        ColourPalettes[static_cast<size_t>(std::clamp(paletteIndex, 0, PaletteCount - 1))];

    // An entry repeating an earlier entry's colour never wins: ties go to the lower index.
    std::vector<Candidate> entries;
    for (size_t i = 0; i < palette.size(); ++i) {
        const PaletteEntry& e = palette[i];
        const auto same = [&](const Candidate& c) {
            return c.red == e.red && c.green == e.green && c.blue == e.blue;
        };
        if (std::none_of(entries.begin(), entries.end(), same))
            entries.push_back({static_cast<uint8_t>(e.red), static_cast<uint8_t>(e.green),
                               static_cast<uint8_t>(e.blue), static_cast<uint8_t>(i)});
    }

    // For every colour of a cell the nearest entry lies no farther than `bound`, the smallest
    // over all entries of the entry's farthest distance to the cell. An entry whose nearest
    // distance to the cell exceeds that bound is strictly farther than the nearest entry from
    // every colour of the cell, so it can be neither the result nor a tie.
    cellStart_.reserve(kCellCount + 1);
    cellStart_.push_back(0);
    std::vector<int> nearest(entries.size());
    for (size_t cell = 0; cell < kCellCount; ++cell) {
        int low[3];
        for (int axis = 0; axis < 3; ++axis)
            low[axis] =
                static_cast<int>((cell >> (axis * kAxisBits)) % (256 / kCellWidth)) * kCellWidth;
        int bound = kFarthest;
        for (size_t i = 0; i < entries.size(); ++i) {
            const Candidate& e = entries[i];
            const int value[3] = {e.red, e.green, e.blue};
            int near = 0;
            int far = 0;
            for (int axis = 0; axis < 3; ++axis) {
                near += NearestOnAxis(value[axis], low[axis], low[axis] + kCellWidth - 1);
                far += FarthestOnAxis(value[axis], low[axis], low[axis] + kCellWidth - 1);
            }
            nearest[i] = near;
            bound = std::min(bound, far);
        }
        for (size_t i = 0; i < entries.size(); ++i)
            if (nearest[i] <= bound)
                candidates_.push_back(entries[i]);
        cellStart_.push_back(static_cast<uint32_t>(candidates_.size()));
    }
}

const NearestColourTable& NearestColourTable::Of(int paletteIndex) {
    switch (std::clamp(paletteIndex, 0, PaletteCount - 1)) {
    case 0: {
        static const NearestColourTable pangolin(0);
        return pangolin;
    }
    case 1: {
        static const NearestColourTable ilda(1);
        return ilda;
    }
    default: {
        static const NearestColourTable x29(2);
        return x29;
    }
    }
}
