#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/cchannel.h"
#include "model/cmatrix.h"

// A scene: its placement, the show software's scene settings and its channels. A new scene
// takes the [SCENE] settings (all but active_key and active_state) from `Settings`
// (settings/settings.h), so LoadSettings must have run first; the angle tables too
// (model/geometry.h). Owns its channels and its value list.
//
// Members that mirror settings keys carry the key names.
class CScene {
public:
    std::string name;
    // Start phase of colour cycling, read by the renderer.
    int32_t cycle_start = 0;
    bool dmx_x_flag = false;
    bool dmx_y_flag = false;
    int32_t dmx_x_channel = 0;
    int32_t dmx_y_channel = 0;
    int32_t dmx_x_value = 0;
    int32_t dmx_y_value = 0;
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
    bool run_wait_for_trigger_flag = false;
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
    int32_t triggers_output = 0;
    int32_t triggers_input = 0;
    // The key's spelling, "refresed", is the show software's.
    bool output_refresed_flag = false;
    bool output_laser_flag = false;
    bool output_video_flag = false;
    bool music_move_x_flag = false;
    bool music_move_y_flag = false;
    bool music_size_flag = false;
    int16_t tag_1 = -1;
    int16_t tag_2 = -1;
    // Stored with the scene; no meaning in this system.
    std::vector<int32_t> value_list;
    // Identity at construction.
    CMatrix transform;
    // Chain links (see model/chain.h); the workflows construct scenes outside any list.
    int32_t index = 0;
    CScene* next = nullptr;
    CScene* prev = nullptr;
    CScene** first_slot = nullptr;
    CScene** last_slot = nullptr;
    CChannel* first_channel = nullptr;
    CChannel* last_channel = nullptr;

    // Appends the new scene to the list through the slots; pass two nulls for a scene of
    // its own.
    explicit CScene(CScene** first = nullptr, CScene** last = nullptr);
    CScene(const CScene&) = delete;
    CScene& operator=(const CScene&) = delete;
    // Destroys the channels from the last to the first, then unlinks the scene. When the
    // scene's vertices are all the vertices alive, they go with the pool's blocks in one step
    // (their destructors would only unlink them from lists that are going too); everything
    // else is destroyed in its order.
    ~CScene();

    // Appends a channel with the settings defaults and returns it. Never null: when memory
    // runs out it throws std::bad_alloc and leaves the list unchanged.
    [[nodiscard]] CChannel* AddChannel();

    [[nodiscard]] CChannel* FirstChannel() const { return first_channel; }
    [[nodiscard]] int32_t ChannelCount() const { return last_channel ? last_channel->index : 0; }
    [[nodiscard]] CScene* Next(bool wrap);
    [[nodiscard]] int32_t Index() const { return index; }

private:
    bool ReleaseVerticesAtOnce() noexcept;
};
