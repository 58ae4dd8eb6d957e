#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "model/cbeam.h"
#include "model/cchannel.h"
#include "model/cscene.h"
#include "model/geometry.h"
#include "settings/settings.h"

namespace {

// Every member that a new scene or channel copies from the settings record, paired with its
// settings field. Each field gets a value of its own, so a member copied from the wrong key
// shows up as a mismatch.
template <class Group, class Model> struct IntField {
    const char* name;
    int32_t Group::*setting;
    int32_t Model::*member;
};

template <class Group, class Model> struct FlagField {
    const char* name;
    bool Group::*setting;
    bool Model::*member;
};

#define SCENE_INT(n)                                                                               \
    IntField<SettingsScene, CScene> {                                                              \
#n, &SettingsScene::n, &CScene::n                                                          \
    }
#define SCENE_FLAG(n)                                                                              \
    FlagField<SettingsScene, CScene> {                                                             \
#n, &SettingsScene::n, &CScene::n                                                          \
    }
#define CHANNEL_INT(n)                                                                             \
    IntField<SettingsChannel, CChannel> {                                                          \
#n, &SettingsChannel::n, &CChannel::n                                                      \
    }
#define CHANNEL_FLAG(n)                                                                            \
    FlagField<SettingsChannel, CChannel> {                                                         \
#n, &SettingsChannel::n, &CChannel::n                                                      \
    }

const std::vector<IntField<SettingsScene, CScene>> kSceneInts = {
    SCENE_INT(dmx_x_channel),
    SCENE_INT(dmx_y_channel),
    SCENE_INT(dmx_x_value),
    SCENE_INT(dmx_y_value),
    SCENE_INT(zoom_in_speed),
    SCENE_INT(zoom_out_speed),
    SCENE_INT(zoom_in_frames),
    SCENE_INT(zoom_out_frames),
    SCENE_INT(colour_cycle_speed),
    SCENE_INT(colour_fade_speed),
    SCENE_INT(write_out_first_speed),
    SCENE_INT(write_out_last_speed),
    SCENE_INT(write_out_all_speed),
    SCENE_INT(spin_x_angle),
    SCENE_INT(spin_y_angle),
    SCENE_INT(spin_z_angle),
    SCENE_INT(bounce_up_down_speed),
    SCENE_INT(bounce_left_right_speed),
    SCENE_INT(bounce_in_out_speed),
    SCENE_INT(bounce_up_down_frames),
    SCENE_INT(bounce_left_right_frames),
    SCENE_INT(bounce_in_out_frames),
    SCENE_INT(laser_frames_per_second),
    SCENE_INT(laser_scan_speed),
    SCENE_INT(laser_blanking_points),
    SCENE_INT(laser_anchor_points_on),
    SCENE_INT(laser_anchor_points_off),
    SCENE_INT(laser_angle_points),
    SCENE_INT(laser_point_spacing),
    SCENE_INT(laser_blank_spacing),
    SCENE_INT(laser_breaking_points),
    SCENE_INT(laser_colour_skew),
    SCENE_INT(scroll_right_speed),
    SCENE_INT(scroll_left_speed),
    SCENE_INT(scroll_up_speed),
    SCENE_INT(scroll_down_speed),
    SCENE_INT(scroll_right_frames),
    SCENE_INT(scroll_left_frames),
    SCENE_INT(scroll_up_frames),
    SCENE_INT(scroll_down_frames),
    SCENE_INT(triggers_output),
    SCENE_INT(triggers_input)};

const std::vector<FlagField<SettingsScene, CScene>> kSceneFlags = {
    SCENE_FLAG(dmx_x_flag),           SCENE_FLAG(dmx_y_flag),
    SCENE_FLAG(zoom_in_flag),         SCENE_FLAG(zoom_out_flag),
    SCENE_FLAG(colour_cycle_flag),    SCENE_FLAG(colour_fade_flag),
    SCENE_FLAG(run_forever_flag),     SCENE_FLAG(run_wait_for_trigger_flag),
    SCENE_FLAG(write_out_first_flag), SCENE_FLAG(write_out_last_flag),
    SCENE_FLAG(write_out_all_flag),   SCENE_FLAG(spin_x_flag),
    SCENE_FLAG(spin_y_flag),          SCENE_FLAG(spin_z_flag),
    SCENE_FLAG(flip_vertical_flag),   SCENE_FLAG(flip_horizontal_flag),
    SCENE_FLAG(bounce_up_down_flag),  SCENE_FLAG(bounce_left_right_flag),
    SCENE_FLAG(bounce_in_out_flag),   SCENE_FLAG(scroll_right_flag),
    SCENE_FLAG(scroll_left_flag),     SCENE_FLAG(scroll_up_flag),
    SCENE_FLAG(scroll_down_flag),     SCENE_FLAG(output_refresed_flag),
    SCENE_FLAG(output_laser_flag),    SCENE_FLAG(output_video_flag),
    SCENE_FLAG(music_move_x_flag),    SCENE_FLAG(music_move_y_flag),
    SCENE_FLAG(music_size_flag)};

const std::vector<IntField<SettingsChannel, CChannel>> kChannelInts = {
    CHANNEL_INT(zoom_in_speed),
    CHANNEL_INT(zoom_out_speed),
    CHANNEL_INT(zoom_in_frames),
    CHANNEL_INT(zoom_out_frames),
    CHANNEL_INT(colour_cycle_speed),
    CHANNEL_INT(colour_fade_speed),
    CHANNEL_INT(write_out_first_speed),
    CHANNEL_INT(write_out_last_speed),
    CHANNEL_INT(write_out_all_speed),
    CHANNEL_INT(spin_x_angle),
    CHANNEL_INT(spin_y_angle),
    CHANNEL_INT(spin_z_angle),
    CHANNEL_INT(repeat_frame),
    CHANNEL_INT(repeat_channel),
    CHANNEL_INT(bounce_up_down_speed),
    CHANNEL_INT(bounce_left_right_speed),
    CHANNEL_INT(bounce_in_out_speed),
    CHANNEL_INT(bounce_up_down_frames),
    CHANNEL_INT(bounce_left_right_frames),
    CHANNEL_INT(bounce_in_out_frames),
    CHANNEL_INT(laser_frames_per_second),
    CHANNEL_INT(laser_scan_speed),
    CHANNEL_INT(laser_blanking_points),
    CHANNEL_INT(laser_anchor_points_on),
    CHANNEL_INT(laser_anchor_points_off),
    CHANNEL_INT(laser_angle_points),
    CHANNEL_INT(laser_point_spacing),
    CHANNEL_INT(laser_blank_spacing),
    CHANNEL_INT(laser_breaking_points),
    CHANNEL_INT(laser_colour_skew),
    CHANNEL_INT(scroll_right_speed),
    CHANNEL_INT(scroll_left_speed),
    CHANNEL_INT(scroll_up_speed),
    CHANNEL_INT(scroll_down_speed),
    CHANNEL_INT(scroll_right_frames),
    CHANNEL_INT(scroll_left_frames),
    CHANNEL_INT(scroll_up_frames),
    CHANNEL_INT(scroll_down_frames),
    CHANNEL_INT(clock_type)};

const std::vector<FlagField<SettingsChannel, CChannel>> kChannelFlags = {
    CHANNEL_FLAG(zoom_in_flag),         CHANNEL_FLAG(zoom_out_flag),
    CHANNEL_FLAG(colour_cycle_flag),    CHANNEL_FLAG(colour_fade_flag),
    CHANNEL_FLAG(run_forever_flag),     CHANNEL_FLAG(run_wait_until_finished_flag),
    CHANNEL_FLAG(write_out_first_flag), CHANNEL_FLAG(write_out_last_flag),
    CHANNEL_FLAG(write_out_all_flag),   CHANNEL_FLAG(spin_x_flag),
    CHANNEL_FLAG(spin_y_flag),          CHANNEL_FLAG(spin_z_flag),
    CHANNEL_FLAG(flip_vertical_flag),   CHANNEL_FLAG(flip_horizontal_flag),
    CHANNEL_FLAG(bounce_up_down_flag),  CHANNEL_FLAG(bounce_left_right_flag),
    CHANNEL_FLAG(bounce_in_out_flag),   CHANNEL_FLAG(scroll_right_flag),
    CHANNEL_FLAG(scroll_left_flag),     CHANNEL_FLAG(scroll_up_flag),
    CHANNEL_FLAG(scroll_down_flag)};

// A settings record of the test's own, changed freely and handed to the scenes and channels
// the test makes.
class SettingsDefaultsTest : public ::testing::Test {
protected:
    void SetUp() override { FillAngleTables(); }

    TSettings settings = DefaultSettings();
};

TEST_F(SettingsDefaultsTest, SceneCopiesEverySceneKeyToItsMember) {
    ASSERT_EQ(kSceneInts.size(), 42u);
    ASSERT_EQ(kSceneFlags.size(), 29u);
    for (size_t i = 0; i < kSceneInts.size(); ++i) {
        settings.SCENE.*kSceneInts[i].setting = 1000 + int32_t(i);
    }
    settings.SCENE.active_key = 77;
    settings.SCENE.active_state = 78;
    CScene scene(settings);
    for (size_t i = 0; i < kSceneInts.size(); ++i) {
        EXPECT_EQ(scene.*kSceneInts[i].member, 1000 + int32_t(i)) << kSceneInts[i].name;
    }
    // One flag set at a time, so that a flag copied from a neighbour's key is caught.
    for (size_t set = 0; set < kSceneFlags.size(); ++set) {
        for (size_t i = 0; i < kSceneFlags.size(); ++i) {
            settings.SCENE.*kSceneFlags[i].setting = (i == set);
        }
        CScene flagged(settings);
        for (size_t i = 0; i < kSceneFlags.size(); ++i) {
            EXPECT_EQ(flagged.*kSceneFlags[i].member, i == set)
                << kSceneFlags[i].name << " with " << kSceneFlags[set].name << " set";
        }
    }
}

TEST_F(SettingsDefaultsTest, ChannelCopiesEveryChannelKeyAndTheSelectedColour) {
    ASSERT_EQ(kChannelInts.size(), 39u);
    ASSERT_EQ(kChannelFlags.size(), 21u);
    for (size_t i = 0; i < kChannelInts.size(); ++i) {
        settings.CHANNEL.*kChannelInts[i].setting = 2000 + int32_t(i);
    }
    settings.COLOURS.selected = 0x00123456;
    settings.COLOURS.colour0 = 0x00ABCDEF;
    CScene scene(settings);
    CChannel* channel = scene.AddChannel();
    ASSERT_NE(channel, nullptr);
    for (size_t i = 0; i < kChannelInts.size(); ++i) {
        EXPECT_EQ(channel->*kChannelInts[i].member, 2000 + int32_t(i)) << kChannelInts[i].name;
    }
    EXPECT_EQ(channel->selected_colour, 0x00123456u);
    for (size_t set = 0; set < kChannelFlags.size(); ++set) {
        for (size_t i = 0; i < kChannelFlags.size(); ++i) {
            settings.CHANNEL.*kChannelFlags[i].setting = (i == set);
        }
        CChannel flagged(settings, nullptr, nullptr);
        for (size_t i = 0; i < kChannelFlags.size(); ++i) {
            EXPECT_EQ(flagged.*kChannelFlags[i].member, i == set)
                << kChannelFlags[i].name << " with " << kChannelFlags[set].name << " set";
        }
    }
}

TEST_F(SettingsDefaultsTest, LaterSettingChangesDoNotReachExistingObjects) {
    settings.CHANNEL.repeat_frame = 4;
    settings.SCENE.zoom_in_flag = true;
    CScene scene(settings);
    CChannel* channel = scene.AddChannel();
    settings.CHANNEL.repeat_frame = 9;
    settings.SCENE.zoom_in_flag = false;
    EXPECT_EQ(channel->repeat_frame, 4);
    EXPECT_TRUE(scene.zoom_in_flag);
    EXPECT_EQ(scene.AddChannel()->repeat_frame, 9);
}

TEST_F(SettingsDefaultsTest, FixedChannelValues) {
    CChannel channel(settings, nullptr, nullptr);
    EXPECT_EQ(channel.type, 0);
    EXPECT_EQ(channel.channel_flag, 1);
    EXPECT_EQ(channel.cycle_start, 0);
    EXPECT_EQ(channel.current_frame, nullptr);
    EXPECT_EQ(channel.write_out_step, 0);
    EXPECT_EQ(channel.write_out_busy, 0);
    EXPECT_TRUE(channel.beams.empty());
    const int32_t ints[] = {channel.param_1,  channel.param_2,  channel.param_3,  channel.param_4,
                            channel.param_8,  channel.param_9,  channel.param_10, channel.param_11,
                            channel.param_12, channel.param_13, channel.param_15};
    const int32_t expectedInts[] = {0, 0, 0, 100, 0, 0, 0, 0, 0, 0, 0};
    for (size_t i = 0; i < std::size(ints); ++i) {
        EXPECT_EQ(ints[i], expectedInts[i]) << "integer parameter " << i;
    }
    EXPECT_EQ(channel.param_5, 1.0f);
    EXPECT_EQ(channel.param_6, 1.0f);
    EXPECT_EQ(channel.param_7, 1.0f);
    EXPECT_EQ(channel.param_14, 1.0f);
    static_assert(sizeof(channel.param_5) == 4 && sizeof(channel.param_4) == 4);
    EXPECT_STREQ(channel.text, "Quick Text");
    EXPECT_STREQ(channel.font_name, "Times New Roman");
    EXPECT_EQ(sizeof(channel.text), 260u);
    EXPECT_EQ(sizeof(channel.font_name), 260u);
    EXPECT_EQ(channel.text_colour, 0x00FF00u);
    EXPECT_EQ(channel.text_value_1, 1);
    EXPECT_EQ(channel.text_value_2, 72);
    EXPECT_EQ(channel.text_value_3, 2);
    EXPECT_EQ(channel.text_value_4, 32);
    EXPECT_EQ(channel.text_value_5, 32);
    EXPECT_EQ(channel.text_float_1, 1.0f);
    EXPECT_EQ(channel.text_float_2, 1.0f);
    EXPECT_EQ(channel.text_float_3, 1.0f);
    EXPECT_EQ(channel.text_flag_1, 0);
    EXPECT_EQ(channel.text_flag_2, 0);
    EXPECT_EQ(channel.first_spare_frame, nullptr);
    EXPECT_EQ(channel.work_frame.first_slot, nullptr);
    EXPECT_EQ(channel.work_frame.ThingCount(), 0);

    // The placement moves content to z = -3900 without turning it.
    const CMatrix& m = channel.transform;
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(m.rotation[i], (i % 4 == 0) ? 1.0f : 0.0f) << "entry " << i;
    }
    EXPECT_EQ(m.translation.x, 0.0f);
    EXPECT_EQ(m.translation.y, 0.0f);
    EXPECT_EQ(m.translation.z, -3900.0f);

    CBeam* beam = channel.AddBeam();
    EXPECT_EQ(beam->value_a, 0);
    EXPECT_EQ(beam->value_b, 1);
    EXPECT_EQ(beam->beam_colour, 0x00FF00u);
    EXPECT_EQ(channel.beams.size(), 1u);
}

TEST_F(SettingsDefaultsTest, FixedSceneAndFrameValues) {
    CScene scene(settings);
    EXPECT_TRUE(scene.name.empty());
    EXPECT_EQ(scene.cycle_start, 0);
    EXPECT_EQ(scene.tag_1, -1);
    EXPECT_EQ(scene.tag_2, -1);
    EXPECT_TRUE(scene.value_list.empty());
    EXPECT_EQ(scene.ChannelCount(), 0);
    EXPECT_EQ(scene.FirstChannel(), nullptr);
    EXPECT_EQ(scene.Index(), 1);
    EXPECT_EQ(scene.first_slot, nullptr);
    CChannel* channel = scene.AddChannel();
    CFrame* frame = channel->AddFrame();
    for (const CMatrix* m : {&scene.transform, &frame->transform}) {
        for (int i = 0; i < 9; ++i) {
            EXPECT_EQ(m->rotation[i], (i % 4 == 0) ? 1.0f : 0.0f) << "entry " << i;
        }
        EXPECT_EQ(m->translation.x, 0.0f);
        EXPECT_EQ(m->translation.y, 0.0f);
        EXPECT_EQ(m->translation.z, 0.0f);
    }
    CThing* thing = frame->AddThing();
    EXPECT_EQ(thing->thing_flag, 0);
    CPoly* poly = thing->AddPoly();
    EXPECT_EQ(poly->two_sided, 0);
    EXPECT_EQ(poly->distance, 0.0f);
    EXPECT_EQ(poly->normal.z, 0.0f);
}

} // namespace
