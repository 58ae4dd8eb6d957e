#pragma once

#include <cstdint>

// One projected line segment collected during a draw. Endpoints are whole pixels of the surface
// (column from the left, row from the bottom); the colour is a model colour (0x00BBGGRR) and is
// converted to a pixel value only when the segment is rasterised.
struct CSegment {
    struct End {
        int32_t x;
        int32_t y;
        uint32_t colour;
        bool blank;
    };
    End start;
    End end;
};
