#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "model/cbeam.h"
#include "model/cframe.h"
#include "model/cmatrix.h"

// One channel of a scene: its frames, its beam table and the show software's playback
// settings. A new channel takes the [CHANNEL] settings and COLOURS.selected from `Settings`
// (settings/settings.h), so LoadSettings must have run first; the angle tables too
// (model/geometry.h). Owns its frames, spare frames, beams and work frame.
//
// Members that mirror settings keys carry the key names. The members from `param_1` to
// `text_flag_2` belong to the show software: this system constructs, stores and frees them.
class CChannel {
public:
    // Beam table, in list order; created here only by the scene reader.
    std::vector<std::unique_ptr<CBeam>> beams;
    bool zoom_in_flag = false;
    bool zoom_out_flag = false;
    int32_t zoom_in_speed = 0;
    int32_t zoom_out_speed = 0;
    int32_t zoom_in_frames = 0;
    int32_t zoom_out_frames = 0;
    bool colour_cycle_flag = false;
    bool colour_fade_flag = false;
    int32_t colour_cycle_speed = 0;
    int32_t colour_fade_speed = 0;
    bool run_forever_flag = false;
    bool run_wait_until_finished_flag = false;
    bool write_out_first_flag = false;
    bool write_out_last_flag = false;
    bool write_out_all_flag = false;
    int32_t write_out_first_speed = 0;
    int32_t write_out_last_speed = 0;
    int32_t write_out_all_speed = 0;
    bool spin_x_flag = false;
    bool spin_y_flag = false;
    bool spin_z_flag = false;
    int32_t spin_x_angle = 0;
    int32_t spin_y_angle = 0;
    int32_t spin_z_angle = 0;
    int32_t repeat_frame = 0;
    int32_t repeat_channel = 0;
    bool flip_vertical_flag = false;
    bool flip_horizontal_flag = false;
    bool bounce_up_down_flag = false;
    bool bounce_left_right_flag = false;
    bool bounce_in_out_flag = false;
    int32_t bounce_up_down_speed = 0;
    int32_t bounce_left_right_speed = 0;
    int32_t bounce_in_out_speed = 0;
    int32_t bounce_up_down_frames = 0;
    int32_t bounce_left_right_frames = 0;
    int32_t bounce_in_out_frames = 0;
    int32_t laser_frames_per_second = 0;
    int32_t laser_scan_speed = 0;
    int32_t laser_blanking_points = 0;
    int32_t laser_anchor_points_on = 0;
    int32_t laser_anchor_points_off = 0;
    int32_t laser_angle_points = 0;
    int32_t laser_point_spacing = 0;
    int32_t laser_blank_spacing = 0;
    int32_t laser_breaking_points = 0;
    int32_t laser_colour_skew = 0;
    bool scroll_right_flag = false;
    bool scroll_left_flag = false;
    bool scroll_up_flag = false;
    bool scroll_down_flag = false;
    int32_t scroll_right_speed = 0;
    int32_t scroll_left_speed = 0;
    int32_t scroll_up_speed = 0;
    int32_t scroll_down_speed = 0;
    int32_t scroll_right_frames = 0;
    int32_t scroll_left_frames = 0;
    int32_t scroll_up_frames = 0;
    int32_t scroll_down_frames = 0;
    // 0 when new; the conversion sets 1 before storing; the renderer gives 2 and 3 a meaning.
    int32_t type = 0;
    uint8_t channel_flag = 1;
    int32_t clock_type = 0;
    // 0x00BBGGRR; from COLOURS.selected.
    uint32_t selected_colour = 0;
    // Identity rotation, translation (0, 0, -3900): in front of the preview's eye.
    CMatrix transform;
    // Start phase of colour cycling, read by the renderer.
    int32_t cycle_start = 0;
    // Fifteen 32-bit words of the show software, each keeping the type it has there.
    int32_t param_1 = 0;
    int32_t param_2 = 0;
    int32_t param_3 = 0;
    int32_t param_4 = 100;
    float param_5 = 1.0f;
    float param_6 = 1.0f;
    float param_7 = 1.0f;
    int32_t param_8 = 0;
    int32_t param_9 = 0;
    int32_t param_10 = 0;
    int32_t param_11 = 0;
    int32_t param_12 = 0;
    int32_t param_13 = 0;
    float param_14 = 1.0f;
    int32_t param_15 = 0;
    // Read by the renderer; never set in this system.
    CFrame* current_frame = nullptr;
    // Write-out effect state, read (and `write_out_busy` cleared) by the renderer.
    int32_t write_out_step = 0;
    uint8_t write_out_busy = 0;
    // Text settings of the show software: 259 characters and a terminator each.
    char text[260] = "Quick Text";
    char font_name[260] = "Times New Roman";
    // 0x00BBGGRR.
    uint32_t text_colour = 0x00FF00;
    int32_t text_value_1 = 1;
    int32_t text_value_2 = 72;
    int32_t text_value_3 = 2;
    int32_t text_value_4 = 32;
    int32_t text_value_5 = 32;
    float text_float_1 = 1.0f;
    float text_float_2 = 1.0f;
    float text_float_3 = 1.0f;
    uint8_t text_flag_1 = 0;
    uint8_t text_flag_2 = 0;
    // Chain links (see model/chain.h).
    int32_t index = 0;
    CChannel* next = nullptr;
    CChannel* prev = nullptr;
    CChannel** first_slot = nullptr;
    CChannel** last_slot = nullptr;
    CFrame* first_frame = nullptr;
    CFrame* last_frame = nullptr;
    // A second frame list that nothing in this system fills; destroyed with the channel.
    CFrame* first_spare_frame = nullptr;
    CFrame* last_spare_frame = nullptr;
    // Outside any list; nothing in this system fills or reads it.
    CFrame work_frame{nullptr, nullptr};

    // Appends the new channel to the list through the slots (either may be null).
    CChannel(CChannel** first, CChannel** last);
    CChannel(const CChannel&) = delete;
    CChannel& operator=(const CChannel&) = delete;
    // Destroys the frames (last to first), the beams (highest position down), the spare
    // frames, then unlinks the channel.
    ~CChannel();

    // Appends an empty frame and returns it. The Add operations never return null: when
    // memory runs out they throw std::bad_alloc and leave the list unchanged.
    [[nodiscard]] CFrame* AddFrame();
    // Appends a beam with its default values and returns it.
    [[nodiscard]] CBeam* AddBeam();

    [[nodiscard]] CFrame* FirstFrame() const { return first_frame; }
    [[nodiscard]] CFrame* LastFrame() const { return last_frame; }
    [[nodiscard]] int32_t FrameCount() const { return last_frame ? last_frame->index : 0; }
    [[nodiscard]] CChannel* Next(bool wrap);
    [[nodiscard]] int32_t Index() const { return index; }
};
