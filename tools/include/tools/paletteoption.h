#pragma once

#include <string>

// The palette index for a --palette value: "pangolin", "ilda", "x29" (any case) or "0", "1",
// "2", as the window's palette group numbers them; -1 when the value names none.
[[nodiscard]] int PaletteIndexOf(const std::string& name);

// The --palette values a shell offers, separated by spaces.
[[nodiscard]] std::string PaletteWords();
