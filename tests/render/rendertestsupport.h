#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "model/cvector.h"

class CScreen;

// Shared pieces of the renderer tests.

// A QGuiApplication for the tests that draw text; created once per process.
void EnsureGuiApplication();

// A free-standing point whose projected position is (x, y), as AddSegment and AddDot read it.
CVector ProjectedPoint(float x, float y, uint32_t colour = 0xFFFFFF, uint8_t blank = 0);

// The raw pixel value at column x, row y (row 0 = bottom row of the picture), read from the image
// itself rather than through the surface's own addressing.
uint32_t PixelAt(const CScreen& screen, int x, int y);

// Every non-zero pixel as (column, row-from-bottom), in row-major order from the bottom row.
std::vector<std::pair<int, int>> LitPixels(const CScreen& screen);

// Turns every animation effect of a channel or scene off, whatever the settings defaults are.
template <class Owner> void ClearEffects(Owner& o) {
    o.flip_vertical_flag = o.flip_horizontal_flag = false;
    o.spin_x_flag = o.spin_y_flag = o.spin_z_flag = false;
    o.scroll_right_flag = o.scroll_left_flag = o.scroll_up_flag = o.scroll_down_flag = false;
    o.zoom_in_flag = o.zoom_out_flag = false;
    o.bounce_up_down_flag = o.bounce_left_right_flag = o.bounce_in_out_flag = false;
    o.write_out_all_flag = o.write_out_first_flag = o.write_out_last_flag = false;
    o.colour_cycle_flag = false;
}
