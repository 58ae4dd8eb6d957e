#pragma once

#include <cstdint>

// One entry of a channel's beam table. Created here only by the scene reader; its values are
// the show software's and are stored and written back unchanged.
class CBeam {
public:
    int32_t value_a = 0;
    int32_t value_b = 1;
    // 0x00BBGGRR.
    uint32_t beam_colour = 0x00FF00;
};
