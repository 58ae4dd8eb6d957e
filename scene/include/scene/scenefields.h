#pragma once

#include "model/cchannel.h"
#include "model/cscene.h"

// The plain fields of the scene record and the channel record, in file order, with the format
// version from which each is present. The serialize routines move them through these lists, and
// the scene-info command compares them through the same lists, so the layout is written down
// once.
//
// `visit` is called as visit(name, member) with a pointer to a data member of the class (bool,
// int16_t, int32_t, uint32_t, float, or a character array for the channel's texts) and returns
// false to stop the walk; the walk returns false when it was stopped. Fields that `version`
// lacks are left out.
//
// Not in the lists: the scene's `name` (first in the scene record), and what follows the last
// listed field: both records' `transform`, the scene's `value_list` and the channel's `beams`.

#pragma push_macro("F")
#undef F
#define TRELLION_FIELD(cls, member) visit(#member, &cls::member)

template <class Visit> bool ForEachSceneField(int version, Visit&& visit) {
#define F(member) TRELLION_FIELD(CScene, member)
    return F(tag_1) && F(tag_2) && (version < 3 || (F(dmx_x_flag) && F(dmx_y_flag))) &&
           F(zoom_in_flag) && F(zoom_out_flag) && F(colour_cycle_flag) && F(colour_fade_flag) &&
           F(run_forever_flag) && F(run_wait_for_trigger_flag) && F(write_out_first_flag) &&
           F(write_out_last_flag) && F(write_out_all_flag) && F(spin_x_flag) && F(spin_y_flag) &&
           F(spin_z_flag) && F(flip_vertical_flag) && F(flip_horizontal_flag) &&
           F(bounce_up_down_flag) && F(bounce_left_right_flag) && F(bounce_in_out_flag) &&
           F(scroll_right_flag) && F(scroll_left_flag) && F(scroll_up_flag) &&
           F(scroll_down_flag) && F(output_refresed_flag) &&
           (version < 2 || (F(output_laser_flag) && F(output_video_flag))) &&
           (version < 4 || (F(music_move_x_flag) && F(music_move_y_flag) && F(music_size_flag))) &&
           (version < 3 ||
            (F(dmx_x_channel) && F(dmx_y_channel) && F(dmx_x_value) && F(dmx_y_value))) &&
           F(zoom_in_speed) && F(zoom_out_speed) && F(zoom_in_frames) && F(zoom_out_frames) &&
           F(colour_cycle_speed) && F(colour_fade_speed) && F(write_out_first_speed) &&
           F(write_out_last_speed) && F(write_out_all_speed) && F(spin_x_angle) &&
           F(spin_y_angle) && F(spin_z_angle) && F(bounce_up_down_speed) &&
           F(bounce_left_right_speed) && F(bounce_in_out_speed) && F(bounce_up_down_frames) &&
           F(bounce_left_right_frames) && F(bounce_in_out_frames) && F(laser_frames_per_second) &&
           F(laser_scan_speed) && F(laser_blanking_points) && F(laser_anchor_points_on) &&
           F(laser_anchor_points_off) && F(laser_angle_points) && F(laser_point_spacing) &&
           F(laser_blank_spacing) && F(laser_breaking_points) &&
           (version < 7 || F(laser_colour_skew)) && F(scroll_right_speed) && F(scroll_left_speed) &&
           F(scroll_up_speed) && F(scroll_down_speed) && F(scroll_right_frames) &&
           F(scroll_left_frames) && F(scroll_up_frames) && F(scroll_down_frames) &&
           F(triggers_input) && F(triggers_output);
#undef F
}

template <class Visit> bool ForEachChannelField(int version, Visit&& visit) {
#define F(member) TRELLION_FIELD(CChannel, member)
    return F(zoom_in_flag) && F(zoom_out_flag) && F(colour_cycle_flag) && F(colour_fade_flag) &&
           F(run_forever_flag) && F(run_wait_until_finished_flag) && F(write_out_first_flag) &&
           F(write_out_last_flag) && F(write_out_all_flag) && F(spin_x_flag) && F(spin_y_flag) &&
           F(spin_z_flag) && F(flip_vertical_flag) && F(flip_horizontal_flag) &&
           F(bounce_up_down_flag) && F(bounce_left_right_flag) && F(bounce_in_out_flag) &&
           F(scroll_right_flag) && F(scroll_left_flag) && F(scroll_up_flag) &&
           F(scroll_down_flag) && F(zoom_in_speed) && F(zoom_out_speed) && F(zoom_in_frames) &&
           F(zoom_out_frames) && F(colour_cycle_speed) && F(colour_fade_speed) &&
           F(write_out_first_speed) && F(write_out_last_speed) && F(write_out_all_speed) &&
           F(spin_x_angle) && F(spin_y_angle) && F(spin_z_angle) && F(repeat_frame) &&
           F(repeat_channel) && F(bounce_up_down_speed) && F(bounce_left_right_speed) &&
           F(bounce_in_out_speed) && F(bounce_up_down_frames) && F(bounce_left_right_frames) &&
           F(bounce_in_out_frames) && F(laser_frames_per_second) && F(laser_scan_speed) &&
           F(laser_blanking_points) && F(laser_anchor_points_on) && F(laser_anchor_points_off) &&
           F(laser_angle_points) && F(laser_point_spacing) && F(laser_blank_spacing) &&
           F(laser_breaking_points) && (version < 7 || F(laser_colour_skew)) &&
           F(scroll_right_speed) && F(scroll_left_speed) && F(scroll_up_speed) &&
           F(scroll_down_speed) && F(scroll_right_frames) && F(scroll_left_frames) &&
           F(scroll_up_frames) && F(scroll_down_frames) && F(channel_flag) && F(type) &&
           F(clock_type) &&
           // param_4 stands after param_14 in the file.
           F(param_1) && F(param_2) && F(param_3) && F(param_5) && F(param_6) && F(param_7) &&
           F(param_8) && F(param_9) && F(param_10) && F(param_11) && F(param_12) && F(param_13) &&
           F(param_14) && F(param_4) && F(param_15) && F(selected_colour) && F(text_value_1) &&
           F(text) && F(text_colour) && F(font_name) && F(text_value_2) && F(text_value_3) &&
           F(text_value_4) && F(text_value_5) && F(text_flag_1) && F(text_flag_2) &&
           (version < 5 || (F(text_float_1) && F(text_float_2) && F(text_float_3)));
#undef F
}

#undef TRELLION_FIELD
#pragma pop_macro("F")
