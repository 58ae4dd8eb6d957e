#include "model/cchannel.h"

#include "model/chain.h"
#include "model/geometry.h"
#include "settings/settings.h"

CChannel::CChannel(CChannel** first, CChannel** last) {
    const SettingsChannel& s = Settings.CHANNEL;
    zoom_in_flag = s.zoom_in_flag;
    zoom_out_flag = s.zoom_out_flag;
    zoom_in_speed = s.zoom_in_speed;
    zoom_out_speed = s.zoom_out_speed;
    zoom_in_frames = s.zoom_in_frames;
    zoom_out_frames = s.zoom_out_frames;
    colour_cycle_flag = s.colour_cycle_flag;
    colour_fade_flag = s.colour_fade_flag;
    colour_cycle_speed = s.colour_cycle_speed;
    colour_fade_speed = s.colour_fade_speed;
    run_forever_flag = s.run_forever_flag;
    run_wait_until_finished_flag = s.run_wait_until_finished_flag;
    write_out_first_flag = s.write_out_first_flag;
    write_out_last_flag = s.write_out_last_flag;
    write_out_all_flag = s.write_out_all_flag;
    write_out_first_speed = s.write_out_first_speed;
    write_out_last_speed = s.write_out_last_speed;
    write_out_all_speed = s.write_out_all_speed;
    spin_x_flag = s.spin_x_flag;
    spin_y_flag = s.spin_y_flag;
    spin_z_flag = s.spin_z_flag;
    spin_x_angle = s.spin_x_angle;
    spin_y_angle = s.spin_y_angle;
    spin_z_angle = s.spin_z_angle;
    repeat_frame = s.repeat_frame;
    repeat_channel = s.repeat_channel;
    flip_vertical_flag = s.flip_vertical_flag;
    flip_horizontal_flag = s.flip_horizontal_flag;
    bounce_up_down_flag = s.bounce_up_down_flag;
    bounce_left_right_flag = s.bounce_left_right_flag;
    bounce_in_out_flag = s.bounce_in_out_flag;
    bounce_up_down_speed = s.bounce_up_down_speed;
    bounce_left_right_speed = s.bounce_left_right_speed;
    bounce_in_out_speed = s.bounce_in_out_speed;
    bounce_up_down_frames = s.bounce_up_down_frames;
    bounce_left_right_frames = s.bounce_left_right_frames;
    bounce_in_out_frames = s.bounce_in_out_frames;
    laser_frames_per_second = s.laser_frames_per_second;
    laser_scan_speed = s.laser_scan_speed;
    laser_blanking_points = s.laser_blanking_points;
    laser_anchor_points_on = s.laser_anchor_points_on;
    laser_anchor_points_off = s.laser_anchor_points_off;
    laser_angle_points = s.laser_angle_points;
    laser_point_spacing = s.laser_point_spacing;
    laser_blank_spacing = s.laser_blank_spacing;
    laser_breaking_points = s.laser_breaking_points;
    laser_colour_skew = s.laser_colour_skew;
    scroll_right_flag = s.scroll_right_flag;
    scroll_left_flag = s.scroll_left_flag;
    scroll_up_flag = s.scroll_up_flag;
    scroll_down_flag = s.scroll_down_flag;
    scroll_right_speed = s.scroll_right_speed;
    scroll_left_speed = s.scroll_left_speed;
    scroll_up_speed = s.scroll_up_speed;
    scroll_down_speed = s.scroll_down_speed;
    scroll_right_frames = s.scroll_right_frames;
    scroll_left_frames = s.scroll_left_frames;
    scroll_up_frames = s.scroll_up_frames;
    scroll_down_frames = s.scroll_down_frames;
    clock_type = s.clock_type;
    selected_colour = Settings.COLOURS.selected;
    BuildTransform(0.0f, 0.0f, -3900.0f, 0, 0, 0, &transform);
    ChainAppend(this, first, last);
}

CChannel::~CChannel() {
    ChainDestroyAll(last_frame);
    while (!beams.empty()) {
        beams.pop_back();
    }
    ChainDestroyAll(last_spare_frame);
    ChainRemove(this);
}

CFrame* CChannel::AddFrame() {
    return new CFrame(&first_frame, &last_frame);
}

CBeam* CChannel::AddBeam() {
    beams.push_back(std::make_unique<CBeam>());
    return beams.back().get();
}

CChannel* CChannel::Next(bool wrap) {
    return ChainNext(this, wrap);
}
