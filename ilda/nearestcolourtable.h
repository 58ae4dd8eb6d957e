#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

// NearestColourIndex for one palette without scanning all 256 entries per colour.
//
// True-colour ILDA files hold thousands of distinct colours, so neither a linear scan per point
// nor remembering earlier answers keeps their loading fast. The colour cube is cut into cells;
// each cell lists, in index order, only the entries that can be the nearest to some colour in
// it. A look-up scans that short list with the same distance, the same strict comparison and
// the same start values as NearestColourIndex, so both give the same index for every colour.
class NearestColourTable {
public:
    // Builds the table of palette paletteIndex (clamped into 0-2 as NearestColourIndex does).
    explicit NearestColourTable(int paletteIndex);

    // The table of palette paletteIndex, built on first use and kept for the process.
    [[nodiscard]] static const NearestColourTable& Of(int paletteIndex);

    // The index NearestColourIndex gives for colour (0x00BBGGRR; the top byte is ignored).
    [[nodiscard]] uint8_t IndexOf(uint32_t colour) const {
        const int red = static_cast<int>(colour & 0xFF);
        const int green = static_cast<int>((colour >> 8) & 0xFF);
        const int blue = static_cast<int>((colour >> 16) & 0xFF);
        const size_t cell = CellOf(colour);
        // Distance and index in one key: the smallest key is the nearest entry, and among
        // entries at the same distance the lowest index, without a branch per entry.
        uint32_t best = uint32_t{kFarthest} << 8;
        const Candidate* const last = candidates_.data() + cellStart_[cell + 1];
        for (const Candidate* c = candidates_.data() + cellStart_[cell]; c != last; ++c) {
            const auto d = static_cast<uint32_t>(
                std::abs(red - c->red) + std::abs(green - c->green) + std::abs(blue - c->blue));
            best = std::min(best, d << 8 | c->index);
        }
        // As in the scan, only a distance below the farthest replaces the start's index 0.
        return static_cast<uint8_t>(best);
    }

private:
    static constexpr int kFarthest = 765; // 3 x 255, where NearestColourIndex starts
    // 16 cells of 16 levels along each channel: 4,096 cells.
    static constexpr int kAxisBits = 4;
    static constexpr int kCellWidth = 256 >> kAxisBits;
    static constexpr size_t kCellCount = size_t{1} << 3 * kAxisBits;

    // The cell of a colour: the top kAxisBits of red, green and blue, side by side.
    static size_t CellOf(uint32_t colour) {
        constexpr int drop = 8 - kAxisBits;
        return (colour & 0xFF) >> drop | ((colour >> 8) & 0xFF) >> drop << kAxisBits |
               static_cast<size_t>(((colour >> 16) & 0xFF) >> drop) << 2 * kAxisBits;
    }

    struct Candidate {
        uint8_t red = 0;
        uint8_t green = 0;
        uint8_t blue = 0;
        uint8_t index = 0;
    };

    // candidates_[cellStart_[c] .. cellStart_[c + 1]) are the entries of cell c.
    std::vector<uint32_t> cellStart_;
    std::vector<Candidate> candidates_;
};
