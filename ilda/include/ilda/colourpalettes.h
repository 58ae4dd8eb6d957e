#pragma once

#include <array>
#include <cstdint>

// The three fixed 256-entry colour palettes through which ILDA colour indices become model
// colours and back. Palette 0 is "Pangolin", 1 "Ilda", 2 "X29"; the palette index is the item
// index of the window's palette group.

struct PaletteEntry {
    int red = 0;
    int green = 0;
    int blue = 0;
};

using Palette = std::array<PaletteEntry, 256>;

inline constexpr int PaletteCount = 3;

extern const std::array<Palette, PaletteCount> ColourPalettes;

// The colour of entry colourIndex of palette paletteIndex as 0x00BBGGRR. Callers pass a palette
// index of 0-2 and a colour index of 0-255; as a guard against reading past the tables, another
// palette index is clamped into 0-2 and a colour index is taken by its low byte.
[[nodiscard]] uint32_t PaletteColour(int paletteIndex, int colourIndex);

// All 256 colours of palette paletteIndex as 0x00BBGGRR, for look-ups point by point; the
// palette index is clamped into 0-2 as above.
[[nodiscard]] const std::array<uint32_t, 256>& PaletteColours(int paletteIndex);

// The index of the entry of palette paletteIndex nearest to colour (0x00BBGGRR; the top byte is
// ignored) by the sum of absolute channel differences. Ties go to the lowest index. The palette
// index is clamped into 0-2 as above.
[[nodiscard]] int NearestColourIndex(int paletteIndex, uint32_t colour);
