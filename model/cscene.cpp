#include "model/cscene.h"

#include "model/chain.h"
#include "model/cpoly.h"
#include "model/cthing.h"
#include "model/geometry.h"
#include "model/vertexpool.h"
#include "settings/settings.h"

CScene::CScene(CScene** first, CScene** last) {
    const SettingsScene& s = Settings.SCENE;
    dmx_x_flag = s.dmx_x_flag;
    dmx_y_flag = s.dmx_y_flag;
    dmx_x_channel = s.dmx_x_channel;
    dmx_y_channel = s.dmx_y_channel;
    dmx_x_value = s.dmx_x_value;
    dmx_y_value = s.dmx_y_value;
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
    run_wait_for_trigger_flag = s.run_wait_for_trigger_flag;
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
    triggers_output = s.triggers_output;
    triggers_input = s.triggers_input;
    output_refresed_flag = s.output_refresed_flag;
    output_laser_flag = s.output_laser_flag;
    output_video_flag = s.output_video_flag;
    music_move_x_flag = s.music_move_x_flag;
    music_move_y_flag = s.music_move_y_flag;
    music_size_flag = s.music_size_flag;
    BuildTransform(0.0f, 0.0f, 0.0f, 0, 0, 0, &transform);
    ChainAppend(this, first, last);
}

namespace {

// Every frame a channel owns: its frames, its spare frames and its work frame.
template <class Visit> void ForEachFrameOf(CChannel* channel, Visit&& visit) {
    for (CFrame* frame = channel->first_frame; frame != nullptr; frame = frame->next)
        visit(frame);
    for (CFrame* frame = channel->first_spare_frame; frame != nullptr; frame = frame->next)
        visit(frame);
    visit(&channel->work_frame);
}

// Every list of vertices below a frame: each thing's polys and its free vertices.
template <class Visit> void ForEachVertexListOf(CFrame* frame, Visit&& visit) {
    for (CThing* thing = frame->first_thing; thing != nullptr; thing = thing->next) {
        for (CPoly* poly = thing->first_poly; poly != nullptr; poly = poly->next)
            visit(poly->first_vertex, poly->last_vertex);
        visit(thing->first_vertex, thing->last_vertex);
    }
}

} // namespace

// Millions of vertices, each unlinked and freed on its own, cost a pass over all their memory
// just before the pool's blocks go back anyway.
bool CScene::ReleaseVerticesAtOnce() noexcept {
    std::size_t count = 0;
    const auto countList = [&count](CVector*, CVector* last) {
        count += static_cast<std::size_t>(ChainCount(last));
    };
    for (CChannel* channel = first_channel; channel != nullptr; channel = channel->next)
        ForEachFrameOf(channel, [&](CFrame* frame) { ForEachVertexListOf(frame, countList); });
    if (!VertexPoolReleaseAll(count))
        return false;
    const auto forgetList = [](CVector*& first, CVector*& last) {
        first = nullptr;
        last = nullptr;
    };
    for (CChannel* channel = first_channel; channel != nullptr; channel = channel->next)
        ForEachFrameOf(channel, [&](CFrame* frame) { ForEachVertexListOf(frame, forgetList); });
    return true;
}

CScene::~CScene() {
    (void)ReleaseVerticesAtOnce();
    ChainDestroyAll(last_channel);
    value_list.clear();
    ChainRemove(this);
}

CChannel* CScene::AddChannel() {
    return new CChannel(&first_channel, &last_channel);
}

CScene* CScene::Next(bool wrap) {
    return ChainNext(this, wrap);
}
