#include "ilda/nearestcolourtable.h"

#include "ilda/colourpalettes.h"

namespace {

struct Entry {
    int value[3];
    int index;
};

// Over channel values c in [low, high]: the least and the most |c - value|.
int NearestOnAxis(int value, int low, int high) {
    return value < low ? low - value : value > high ? value - high : 0;
}

int FarthestOnAxis(int value, int low, int high) {
    return std::max(std::abs(value - low), std::abs(value - high));
}

// Over channel values c in [low, high]: the most |c - better| - |c - worse|. The difference is
// piecewise linear in c with its bends at the two values, so its largest value lies at an end
// of the range or at one of them.
int LargestLeadOnAxis(int better, int worse, int low, int high) {
    int largest = -256;
    for (int c : {low, high, std::clamp(better, low, high), std::clamp(worse, low, high)})
        largest = std::max(largest, std::abs(c - better) - std::abs(c - worse));
    return largest;
}

} // namespace

NearestColourTable::NearestColourTable(int paletteIndex)
    : palette_(std::clamp(paletteIndex, 0, PaletteCount - 1)), cells_(kCellCount),
      scanned_(kCellCount, false) {
    // An entry repeating an earlier entry's colour never wins: ties go to the lower index.
    const Palette& palette = ColourPalettes[static_cast<size_t>(palette_)];
    std::vector<Entry> entries;
    for (size_t i = 0; i < palette.size(); ++i) {
        const Entry entry{{palette[i].red, palette[i].green, palette[i].blue}, static_cast<int>(i)};
        const auto same = [&](const Entry& other) {
            return std::equal(other.value, other.value + 3, entry.value);
        };
        if (std::none_of(entries.begin(), entries.end(), same))
            entries.push_back(entry);
    }

    std::vector<Entry> near;
    std::vector<Entry> kept;
    for (size_t cell = 0; cell < kCellCount; ++cell) {
        int low[3];
        int high[3];
        for (int axis = 0; axis < 3; ++axis) {
            low[axis] =
                static_cast<int>((cell >> (axis * kAxisBits)) % (256 / kCellWidth)) * kCellWidth;
            high[axis] = low[axis] + kCellWidth - 1;
        }
        // For every colour of the cell the nearest entry lies no farther than the smallest, over
        // all entries, of an entry's farthest distance to the cell; an entry nearer to no colour
        // of the cell than that is never the result.
        int bound = kFarthest;
        for (const Entry& e : entries) {
            int far = 0;
            for (int axis = 0; axis < 3; ++axis)
                far += FarthestOnAxis(e.value[axis], low[axis], high[axis]);
            bound = std::min(bound, far);
        }
        near.clear();
        for (const Entry& e : entries) {
            int closest = 0;
            for (int axis = 0; axis < 3; ++axis)
                closest += NearestOnAxis(e.value[axis], low[axis], high[axis]);
            if (closest <= bound)
                near.push_back(e);
        }
        // Of the rest, an entry that another beats at every colour of the cell (nearer, or as
        // near with a lower index) is never the result either. The distance is a sum over the
        // channels, so the largest lead over the cell is the sum of the largest leads per
        // channel.
        kept.clear();
        for (const Entry& e : near) {
            const auto beaten = [&](const Entry& other) {
                if (other.index == e.index)
                    return false;
                int lead = 0;
                for (int axis = 0; axis < 3; ++axis)
                    lead +=
                        LargestLeadOnAxis(other.value[axis], e.value[axis], low[axis], high[axis]);
                return lead < 0 || (lead == 0 && other.index < e.index);
            };
            if (std::none_of(near.begin(), near.end(), beaten))
                kept.push_back(e);
        }
        if (kept.empty() || kept.size() > kSlots) {
            scanned_[cell] = true;
            continue;
        }
        Cell& slots = cells_[cell];
        for (size_t slot = 0; slot < kSlots; ++slot) {
            const Entry& e = kept[slot < kept.size() ? slot : 0];
            slots.red[slot] = static_cast<uint8_t>(e.value[0]);
            slots.green[slot] = static_cast<uint8_t>(e.value[1]);
            slots.blue[slot] = static_cast<uint8_t>(e.value[2]);
            slots.index[slot] = static_cast<uint8_t>(e.index);
        }
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

uint8_t NearestColourTable::Scan(uint32_t colour) const {
    return static_cast<uint8_t>(NearestColourIndex(palette_, colour));
}
