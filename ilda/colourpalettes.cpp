#include "ilda/colourpalettes.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr PaletteEntry Rgb(uint32_t rrggbb) {
    return {static_cast<int>((rrggbb >> 16) & 0xFF), static_cast<int>((rrggbb >> 8) & 0xFF),
            static_cast<int>(rrggbb & 0xFF)};
}

// floor(k * top / 11 + 0.5) in integers: the eleven steps of one leg of a hue circle.
constexpr int Step(int k, int top) {
    return (2 * k * top + 11) / 22;
}

// Six legs of eleven entries each, going red -> yellow -> green -> cyan -> blue -> magenta and
// back towards red. Each leg moves one channel: rising legs take low + step(k), falling legs
// low + step(11 - k), k = 0 ... 10.
constexpr void FillHueCircle(Palette& palette, int first, int low, int range) {
    // Per leg: which channel moves (0 red, 1 green, 2 blue), whether it rises, and the fixed
    // high/low state of the three channels at the leg's start.
    struct Leg {
        int channel;
        bool rising;
        bool high[3];
    };
    constexpr Leg legs[6] = {
        {1, true, {true, false, false}}, {0, false, {true, true, false}},
        {2, true, {false, true, false}}, {1, false, {false, true, true}},
        {0, true, {false, false, true}}, {2, false, {true, false, true}},
    };
    int entry = first;
    for (const Leg& leg : legs) {
        for (int k = 0; k <= 10; ++k) {
            int rgb[3];
            for (int c = 0; c < 3; ++c)
                rgb[c] = leg.high[c] ? low + range : low;
            rgb[leg.channel] = low + Step(leg.rising ? k : 11 - k, range);
            palette[static_cast<size_t>(entry++)] = {rgb[0], rgb[1], rgb[2]};
        }
    }
}

constexpr Palette MakePangolin() {
    Palette p{};
    constexpr uint32_t basics[8] = {0x000000, 0xFFFFFF, 0xFF0000, 0xFFFF00,
                                    0x00FF00, 0x00FFFF, 0x0000FF, 0xFF00FF};
    for (int i = 0; i < 8; ++i)
        p[static_cast<size_t>(i)] = Rgb(basics[i]);
    FillHueCircle(p, 8, 128, 127); // light: 128 ... 255
    FillHueCircle(p, 74, 0, 255);  // full: 0 ... 255
    FillHueCircle(p, 140, 0, 128); // half: 0 ... 128
    // Light, medium, dark and darkest shades of the six basic hues.
    constexpr bool hues[6][3] = {{true, false, false}, {true, true, false},  {false, true, false},
                                 {false, true, true},  {false, false, true}, {true, false, true}};
    constexpr int on[4] = {255, 255, 192, 64};
    constexpr int off[4] = {192, 64, 0, 0};
    int entry = 206;
    for (const auto& hue : hues) {
        for (int shade = 0; shade < 4; ++shade) {
            int rgb[3];
            for (int c = 0; c < 3; ++c)
                rgb[c] = hue[c] ? on[shade] : off[shade];
            p[static_cast<size_t>(entry++)] = {rgb[0], rgb[1], rgb[2]};
        }
    }
    p[230] = Rgb(0xFF6060);
    // Greys min(255, floor(256 - k * 256 / 24 + 0.5)), k = 0 ... 24, white down to black.
    for (int k = 0; k <= 24; ++k) {
        const int g = std::min(255, (2 * (256 * 24 - 256 * k) + 24) / 48);
        p[static_cast<size_t>(231 + k)] = {g, g, g};
    }
    return p;
}

constexpr Palette MakeIlda() {
    constexpr uint32_t first64[64] = {
        0xFF0000, 0xFF1000, 0xFF2000, 0xFF3000, 0xFF4000, 0xFF5000, 0xFF6000, 0xFF7000,
        0xFF8000, 0xFF9000, 0xFFA000, 0xFFB000, 0xFFC000, 0xFFD000, 0xFFE000, 0xFFF000,
        0xFFFF00, 0xE0FF00, 0xC0FF00, 0xA0FF00, 0x80FF00, 0x60FF00, 0x40FF00, 0x20FF00,
        0x00FF00, 0x00FF20, 0x00FF40, 0x00FF60, 0x00FF80, 0x00FFA0, 0x00FFC0, 0x00FFE0,
        0x0082FF, 0x0072FF, 0x0068FF, 0x0A60FF, 0x0052FF, 0x004AFF, 0x0040FF, 0x0020FF,
        0x0000FF, 0x2000FF, 0x4000FF, 0x6000FF, 0x8000FF, 0xA000FF, 0xC000FF, 0xE000FF,
        0xFF00FF, 0xFF20FF, 0xFF40FF, 0xFF60FF, 0xFF80FF, 0xFFA0FF, 0xFFC0FF, 0xFFE0FF,
        0xFFFFFF, 0xFFE0E0, 0xFFFFFF, 0xFFA0A0, 0xFF8080, 0xFF6060, 0xFF4040, 0xFF2020,
    };
    Palette p{};
    for (size_t i = 0; i < p.size(); ++i)
        p[i] = Rgb(first64[std::min<size_t>(i, 63)]);
    return p;
}

constexpr Palette MakeX29() {
    struct Run {
        int last;
        uint32_t colour;
    };
    constexpr Run runs[] = {{1, 0x000000},  {3, 0xFF0000},  {5, 0xFFFF00},  {7, 0x00FF00},
                            {9, 0x808000},  {11, 0x0000FF}, {13, 0xFF00FF}, {15, 0xFFFFFF},
                            {19, 0x00FFFF}, {255, 0xFF0000}};
    Palette p{};
    int entry = 0;
    for (const Run& run : runs)
        for (; entry <= run.last; ++entry)
            p[static_cast<size_t>(entry)] = Rgb(run.colour);
    return p;
}

constexpr uint32_t Pack(const PaletteEntry& e) {
    return static_cast<uint32_t>(e.red) | static_cast<uint32_t>(e.green) << 8 |
           static_cast<uint32_t>(e.blue) << 16;
}

constexpr std::array<Palette, PaletteCount> palettes = {MakePangolin(), MakeIlda(), MakeX29()};

// The same palettes packed as 0x00BBGGRR, for the reader's per-point look-up.
constexpr std::array<std::array<uint32_t, 256>, PaletteCount> MakePacked() {
    std::array<std::array<uint32_t, 256>, PaletteCount> packed{};
    for (size_t p = 0; p < palettes.size(); ++p)
        for (size_t i = 0; i < 256; ++i)
            packed[p][i] = Pack(palettes[p][i]);
    return packed;
}

constexpr auto packedPalettes = MakePacked();

constexpr size_t ClampPalette(int paletteIndex) {
    return static_cast<size_t>(std::clamp(paletteIndex, 0, PaletteCount - 1));
}

} // namespace

const std::array<Palette, PaletteCount> ColourPalettes = palettes;

uint32_t PaletteColour(int paletteIndex, int colourIndex) {
    return packedPalettes[ClampPalette(paletteIndex)][static_cast<size_t>(colourIndex & 0xFF)];
}

const std::array<uint32_t, 256>& PaletteColours(int paletteIndex) {
    return packedPalettes[ClampPalette(paletteIndex)];
}

int NearestColourIndex(int paletteIndex, uint32_t colour) {
    const int r = static_cast<int>(colour & 0xFF);
    const int g = static_cast<int>((colour >> 8) & 0xFF);
    const int b = static_cast<int>((colour >> 16) & 0xFF);
    const Palette& palette = palettes[ClampPalette(paletteIndex)];
    int best = 765;
    int result = 0;
    for (int i = 0; i < 256; ++i) {
        const PaletteEntry& e = palette[static_cast<size_t>(i)];
        const int d = std::abs(r - e.red) + std::abs(g - e.green) + std::abs(b - e.blue);
        if (d < best) {
            if (d == 0)
                return i;
            best = d;
            result = i;
        }
    }
    return result;
}
