#pragma once

#include <cstdint>

class CVector;

// One collected dot of a draw: a projected model point as the surface rasterises it. Plain data
// with trivial construction and destruction, so the process-wide dot buffer costs nothing to
// set up and a draw never allocates.
struct CVertex {
    float x;         // screen column, not truncated
    float y;         // screen row, counted upwards from the bottom row
    uint32_t colour; // the point's display colour, 0x00BBGGRR (dots are drawn white regardless)
    bool blank;      // the point's blanking flag
    uint8_t flag;    // always 0
    CVector* source; // the model point the dot came from
};
