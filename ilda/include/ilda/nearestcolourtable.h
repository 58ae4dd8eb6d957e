#pragma once

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

// NearestColourIndex for one palette without scanning all 256 entries per colour.
//
// True-colour ILDA files hold thousands of distinct colours, so neither a scan per point nor
// remembering earlier answers keeps their loading fast. The colour cube is cut into cells, and
// each cell keeps the few entries that can be the nearest to some colour in it. A look-up
// compares the colour with those entries by the same distance, ties going to the lower index
// and starting from the same values as NearestColourIndex, so both give the same index for
// every colour.
class NearestColourTable {
public:
    // Builds the table of palette paletteIndex (clamped into 0-2 as NearestColourIndex does).
    explicit NearestColourTable(int paletteIndex);

    // The table of palette paletteIndex, built on first use and kept for the process.
    [[nodiscard]] static const NearestColourTable& Of(int paletteIndex);

    // The index NearestColourIndex gives for colour (0x00BBGGRR; the top byte is ignored).
    [[nodiscard]] uint8_t IndexOf(uint32_t colour) const {
        const size_t cell = CellOf(colour);
        if (scanned_[cell])
            return Scan(colour);
        const int red = static_cast<int>(colour & 0xFF);
        const int green = static_cast<int>((colour >> 8) & 0xFF);
        const int blue = static_cast<int>((colour >> 16) & 0xFF);
        // Distance and slot in one key: the smallest key is the nearest entry and, among
        // entries at the same distance, the first slot, which holds the lowest index. A fixed
        // number of slots and no branch per slot (unused slots repeat the first entry), so the
        // comparisons run side by side.
        const Cell& c = cells_[cell];
        int16_t best = INT16_MAX;
        for (size_t slot = 0; slot < kSlots; ++slot) {
            const auto d =
                static_cast<int16_t>(std::abs(red - c.red[slot]) + std::abs(green - c.green[slot]) +
                                     std::abs(blue - c.blue[slot]));
            best =
                std::min(best, static_cast<int16_t>(d << kSlotBits | static_cast<int16_t>(slot)));
        }
        // As in the scan, only a distance below the farthest replaces the start's index 0.
        return (best >> kSlotBits) < kFarthest ? c.index[best & (kSlots - 1)] : 0;
    }

private:
    static constexpr int kFarthest = 765; // 3 x 255, where NearestColourIndex starts
    // 8 cells of 32 levels along each channel: 512 cells.
    static constexpr int kAxisBits = 3;
    static constexpr int kCellWidth = 256 >> kAxisBits;
    static constexpr size_t kCellCount = size_t{1} << 3 * kAxisBits;
    // Entries kept per cell. Every cell of the three palettes needs at most 8; a cell that
    // needs more is answered by the scan.
    static constexpr int kSlotBits = 4;
    static constexpr size_t kSlots = size_t{1} << kSlotBits;

    // The cell of a colour: the top kAxisBits of red, green and blue, side by side.
    static size_t CellOf(uint32_t colour) {
        constexpr int drop = 8 - kAxisBits;
        return (colour & 0xFF) >> drop | ((colour >> 8) & 0xFF) >> drop << kAxisBits |
               static_cast<size_t>(((colour >> 16) & 0xFF) >> drop) << 2 * kAxisBits;
    }

    [[nodiscard]] uint8_t Scan(uint32_t colour) const;

    // A cell's entries in index order, channel by channel.
    struct Cell {
        uint8_t red[kSlots] = {};
        uint8_t green[kSlots] = {};
        uint8_t blue[kSlots] = {};
        uint8_t index[kSlots] = {};
    };

    int palette_ = 0;
    std::vector<Cell> cells_;
    std::vector<bool> scanned_; // cells whose entries did not fit their slots
};
