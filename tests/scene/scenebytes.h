#pragma once

// Scene file bytes built field by field for tests, independently of the production field lists:
// the record builders below list every field in file order with the version it appears in, set
// the field of a source object to a value of its own, and append that value's bytes when the
// version has the field. After the bytes are read back, Check() compares every field of the
// read object with the source (field present) or with a freshly constructed object (field
// absent).

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <type_traits>
#include <vector>

#include "model/cchannel.h"
#include "model/cscene.h"

class SceneBytes {
public:
    template <class T> SceneBytes& Put(T value) {
        static_assert(std::is_arithmetic_v<T>);
        if constexpr (std::is_same_v<T, bool>) {
            bytes_.push_back(value ? 1 : 0);
        } else {
            using U = std::conditional_t<sizeof(T) == 1, uint8_t,
                                         std::conditional_t<sizeof(T) == 2, uint16_t, uint32_t>>;
            U bits;
            std::memcpy(&bits, &value, sizeof bits);
            for (size_t i = 0; i < sizeof bits; ++i)
                bytes_.push_back(static_cast<uint8_t>(bits >> (8 * i)));
        }
        return *this;
    }
    SceneBytes& I32(int32_t v) { return Put(v); }
    SceneBytes& Text(const std::string& s) {
        I32(static_cast<int32_t>(s.size()));
        bytes_.insert(bytes_.end(), s.begin(), s.end());
        return *this;
    }
    SceneBytes& Raw(const std::vector<uint8_t>& more) {
        bytes_.insert(bytes_.end(), more.begin(), more.end());
        return *this;
    }
    // Identity rotation, translation (tx, ty, tz).
    SceneBytes& Matrix(float tx = 0, float ty = 0, float tz = 0) {
        for (int i = 0; i < 9; ++i)
            Put(i % 4 == 0 ? 1.0f : 0.0f);
        return Put(tx).Put(ty).Put(tz);
    }
    // Overwrites 4 bytes at an earlier offset.
    void PatchI32(size_t at, int32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes_[at + i] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i));
    }

    size_t Size() const { return bytes_.size(); }
    std::vector<uint8_t>& Data() { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

template <class Object> class RecordBuilder {
public:
    RecordBuilder(Object& source, const Object& fresh, int version, SceneBytes& out)
        : source_(source), fresh_(fresh), version_(version), out_(out) {}

    // A field present from version `since` on. Flags take the opposite of their fresh value,
    // numbers a value of their own, so a field read into the wrong member shows.
    template <class T> RecordBuilder& Field(const char* name, T Object::*member, int since = 1) {
        T value;
        if constexpr (std::is_same_v<T, bool>)
            value = !(fresh_.*member);
        else
            value = static_cast<T>(next_++);
        return Set(name, member, value, since);
    }
    template <class T>
    RecordBuilder& Set(const char* name, T Object::*member, T value, int since = 1) {
        const auto special = overrides_.find(name);
        const bool converted = special != overrides_.end();
        if (converted)
            value = static_cast<T>(special->second.first);
        source_.*member = value;
        const bool present = version_ >= since;
        if (present)
            out_.Put(value);
        T expected = present ? value : fresh_.*member;
        if (converted)
            expected = static_cast<T>(special->second.second);
        checks_.push_back([name, member, present, expected](const Object& read) {
            if (std::memcmp(&(read.*member), &expected, sizeof expected) == 0)
                return std::string();
            return std::string(name) + (present ? " (stored)" : " (absent)") + ": read " +
                   std::to_string(read.*member) + ", expected " + std::to_string(expected);
        });
        return *this;
    }
    // Makes the named field store `stored` and expects the reader to give `read` (for the
    // fields an old version's reader converts). Call before the fields are built.
    RecordBuilder& Override(const std::string& name, int64_t stored, int64_t read) {
        overrides_[name] = {stored, read};
        return *this;
    }

    // One line per field that differs, empty when all match.
    std::string Check(const Object& read) const {
        std::string problems;
        for (const auto& check : checks_) {
            const std::string problem = check(read);
            if (!problem.empty())
                problems += problem + "\n";
        }
        return problems;
    }

private:
    Object& source_;
    const Object& fresh_;
    int version_;
    SceneBytes& out_;
    int32_t next_ = 1000;
    std::vector<std::function<std::string(const Object&)>> checks_;
    std::map<std::string, std::pair<int64_t, int64_t>> overrides_;
};

// The scene record after `name`, as the show software's versions lay it out: tags, flags,
// integers. Ends before `transform`.
inline void BuildSceneFields(RecordBuilder<CScene>& b) {
    b.Set("tag_1", &CScene::tag_1, int16_t{-7})
        .Set("tag_2", &CScene::tag_2, int16_t{4242})
        .Field("dmx_x_flag", &CScene::dmx_x_flag, 3)
        .Field("dmx_y_flag", &CScene::dmx_y_flag, 3)
        .Field("zoom_in_flag", &CScene::zoom_in_flag)
        .Field("zoom_out_flag", &CScene::zoom_out_flag)
        .Field("colour_cycle_flag", &CScene::colour_cycle_flag)
        .Field("colour_fade_flag", &CScene::colour_fade_flag)
        .Field("run_forever_flag", &CScene::run_forever_flag)
        .Field("run_wait_for_trigger_flag", &CScene::run_wait_for_trigger_flag)
        .Field("write_out_first_flag", &CScene::write_out_first_flag)
        .Field("write_out_last_flag", &CScene::write_out_last_flag)
        .Field("write_out_all_flag", &CScene::write_out_all_flag)
        .Field("spin_x_flag", &CScene::spin_x_flag)
        .Field("spin_y_flag", &CScene::spin_y_flag)
        .Field("spin_z_flag", &CScene::spin_z_flag)
        .Field("flip_vertical_flag", &CScene::flip_vertical_flag)
        .Field("flip_horizontal_flag", &CScene::flip_horizontal_flag)
        .Field("bounce_up_down_flag", &CScene::bounce_up_down_flag)
        .Field("bounce_left_right_flag", &CScene::bounce_left_right_flag)
        .Field("bounce_in_out_flag", &CScene::bounce_in_out_flag)
        .Field("scroll_right_flag", &CScene::scroll_right_flag)
        .Field("scroll_left_flag", &CScene::scroll_left_flag)
        .Field("scroll_up_flag", &CScene::scroll_up_flag)
        .Field("scroll_down_flag", &CScene::scroll_down_flag)
        .Field("output_refresed_flag", &CScene::output_refresed_flag)
        .Field("output_laser_flag", &CScene::output_laser_flag, 2)
        .Field("output_video_flag", &CScene::output_video_flag, 2)
        .Field("music_move_x_flag", &CScene::music_move_x_flag, 4)
        .Field("music_move_y_flag", &CScene::music_move_y_flag, 4)
        .Field("music_size_flag", &CScene::music_size_flag, 4)
        .Field("dmx_x_channel", &CScene::dmx_x_channel, 3)
        .Field("dmx_y_channel", &CScene::dmx_y_channel, 3)
        .Field("dmx_x_value", &CScene::dmx_x_value, 3)
        .Field("dmx_y_value", &CScene::dmx_y_value, 3)
        .Field("zoom_in_speed", &CScene::zoom_in_speed)
        .Field("zoom_out_speed", &CScene::zoom_out_speed)
        .Field("zoom_in_frames", &CScene::zoom_in_frames)
        .Field("zoom_out_frames", &CScene::zoom_out_frames)
        .Field("colour_cycle_speed", &CScene::colour_cycle_speed)
        .Field("colour_fade_speed", &CScene::colour_fade_speed)
        .Field("write_out_first_speed", &CScene::write_out_first_speed)
        .Field("write_out_last_speed", &CScene::write_out_last_speed)
        .Field("write_out_all_speed", &CScene::write_out_all_speed)
        .Field("spin_x_angle", &CScene::spin_x_angle)
        .Field("spin_y_angle", &CScene::spin_y_angle)
        .Field("spin_z_angle", &CScene::spin_z_angle)
        .Field("bounce_up_down_speed", &CScene::bounce_up_down_speed)
        .Field("bounce_left_right_speed", &CScene::bounce_left_right_speed)
        .Field("bounce_in_out_speed", &CScene::bounce_in_out_speed)
        .Field("bounce_up_down_frames", &CScene::bounce_up_down_frames)
        .Field("bounce_left_right_frames", &CScene::bounce_left_right_frames)
        .Field("bounce_in_out_frames", &CScene::bounce_in_out_frames)
        .Field("laser_frames_per_second", &CScene::laser_frames_per_second)
        .Field("laser_scan_speed", &CScene::laser_scan_speed)
        .Field("laser_blanking_points", &CScene::laser_blanking_points)
        .Field("laser_anchor_points_on", &CScene::laser_anchor_points_on)
        .Field("laser_anchor_points_off", &CScene::laser_anchor_points_off)
        .Field("laser_angle_points", &CScene::laser_angle_points)
        .Field("laser_point_spacing", &CScene::laser_point_spacing)
        .Field("laser_blank_spacing", &CScene::laser_blank_spacing)
        .Field("laser_breaking_points", &CScene::laser_breaking_points)
        .Field("laser_colour_skew", &CScene::laser_colour_skew, 7)
        .Field("scroll_right_speed", &CScene::scroll_right_speed)
        .Field("scroll_left_speed", &CScene::scroll_left_speed)
        .Field("scroll_up_speed", &CScene::scroll_up_speed)
        .Field("scroll_down_speed", &CScene::scroll_down_speed)
        .Field("scroll_right_frames", &CScene::scroll_right_frames)
        .Field("scroll_left_frames", &CScene::scroll_left_frames)
        .Field("scroll_up_frames", &CScene::scroll_up_frames)
        .Field("scroll_down_frames", &CScene::scroll_down_frames)
        .Field("triggers_input", &CScene::triggers_input)
        .Field("triggers_output", &CScene::triggers_output);
}

// The channel record from its first flag to `text_float_3`; the texts are the given ones.
inline void BuildChannelFields(RecordBuilder<CChannel>& b, SceneBytes& out, CChannel& source,
                               const std::string& text, const std::string& fontName) {
    b.Field("zoom_in_flag", &CChannel::zoom_in_flag)
        .Field("zoom_out_flag", &CChannel::zoom_out_flag)
        .Field("colour_cycle_flag", &CChannel::colour_cycle_flag)
        .Field("colour_fade_flag", &CChannel::colour_fade_flag)
        .Field("run_forever_flag", &CChannel::run_forever_flag)
        .Field("run_wait_until_finished_flag", &CChannel::run_wait_until_finished_flag)
        .Field("write_out_first_flag", &CChannel::write_out_first_flag)
        .Field("write_out_last_flag", &CChannel::write_out_last_flag)
        .Field("write_out_all_flag", &CChannel::write_out_all_flag)
        .Field("spin_x_flag", &CChannel::spin_x_flag)
        .Field("spin_y_flag", &CChannel::spin_y_flag)
        .Field("spin_z_flag", &CChannel::spin_z_flag)
        .Field("flip_vertical_flag", &CChannel::flip_vertical_flag)
        .Field("flip_horizontal_flag", &CChannel::flip_horizontal_flag)
        .Field("bounce_up_down_flag", &CChannel::bounce_up_down_flag)
        .Field("bounce_left_right_flag", &CChannel::bounce_left_right_flag)
        .Field("bounce_in_out_flag", &CChannel::bounce_in_out_flag)
        .Field("scroll_right_flag", &CChannel::scroll_right_flag)
        .Field("scroll_left_flag", &CChannel::scroll_left_flag)
        .Field("scroll_up_flag", &CChannel::scroll_up_flag)
        .Field("scroll_down_flag", &CChannel::scroll_down_flag)
        .Field("zoom_in_speed", &CChannel::zoom_in_speed)
        .Field("zoom_out_speed", &CChannel::zoom_out_speed)
        .Field("zoom_in_frames", &CChannel::zoom_in_frames)
        .Field("zoom_out_frames", &CChannel::zoom_out_frames)
        .Field("colour_cycle_speed", &CChannel::colour_cycle_speed)
        .Field("colour_fade_speed", &CChannel::colour_fade_speed)
        .Field("write_out_first_speed", &CChannel::write_out_first_speed)
        .Field("write_out_last_speed", &CChannel::write_out_last_speed)
        .Field("write_out_all_speed", &CChannel::write_out_all_speed)
        .Field("spin_x_angle", &CChannel::spin_x_angle)
        .Field("spin_y_angle", &CChannel::spin_y_angle)
        .Field("spin_z_angle", &CChannel::spin_z_angle)
        .Field("repeat_frame", &CChannel::repeat_frame)
        .Field("repeat_channel", &CChannel::repeat_channel)
        .Field("bounce_up_down_speed", &CChannel::bounce_up_down_speed)
        .Field("bounce_left_right_speed", &CChannel::bounce_left_right_speed)
        .Field("bounce_in_out_speed", &CChannel::bounce_in_out_speed)
        .Field("bounce_up_down_frames", &CChannel::bounce_up_down_frames)
        .Field("bounce_left_right_frames", &CChannel::bounce_left_right_frames)
        .Field("bounce_in_out_frames", &CChannel::bounce_in_out_frames)
        .Field("laser_frames_per_second", &CChannel::laser_frames_per_second)
        .Field("laser_scan_speed", &CChannel::laser_scan_speed)
        .Field("laser_blanking_points", &CChannel::laser_blanking_points)
        .Field("laser_anchor_points_on", &CChannel::laser_anchor_points_on)
        .Field("laser_anchor_points_off", &CChannel::laser_anchor_points_off)
        .Field("laser_angle_points", &CChannel::laser_angle_points)
        .Field("laser_point_spacing", &CChannel::laser_point_spacing)
        .Field("laser_blank_spacing", &CChannel::laser_blank_spacing)
        .Field("laser_breaking_points", &CChannel::laser_breaking_points)
        .Field("laser_colour_skew", &CChannel::laser_colour_skew, 7)
        .Field("scroll_right_speed", &CChannel::scroll_right_speed)
        .Field("scroll_left_speed", &CChannel::scroll_left_speed)
        .Field("scroll_up_speed", &CChannel::scroll_up_speed)
        .Field("scroll_down_speed", &CChannel::scroll_down_speed)
        .Field("scroll_right_frames", &CChannel::scroll_right_frames)
        .Field("scroll_left_frames", &CChannel::scroll_left_frames)
        .Field("scroll_up_frames", &CChannel::scroll_up_frames)
        .Field("scroll_down_frames", &CChannel::scroll_down_frames)
        .Set("channel_flag", &CChannel::channel_flag, uint8_t{7})
        .Field("type", &CChannel::type)
        .Field("clock_type", &CChannel::clock_type)
        .Field("param_1", &CChannel::param_1)
        .Field("param_2", &CChannel::param_2)
        .Field("param_3", &CChannel::param_3)
        .Set("param_5", &CChannel::param_5, 5.5f)
        .Set("param_6", &CChannel::param_6, 6.5f)
        .Set("param_7", &CChannel::param_7, 7.5f)
        .Field("param_8", &CChannel::param_8)
        .Field("param_9", &CChannel::param_9)
        .Field("param_10", &CChannel::param_10)
        .Field("param_11", &CChannel::param_11)
        .Field("param_12", &CChannel::param_12)
        .Field("param_13", &CChannel::param_13)
        .Set("param_14", &CChannel::param_14, 14.5f)
        .Field("param_4", &CChannel::param_4)
        .Field("param_15", &CChannel::param_15)
        .Set("selected_colour", &CChannel::selected_colour, uint32_t{0x00123456})
        .Field("text_value_1", &CChannel::text_value_1);
    std::snprintf(source.text, sizeof source.text, "%s", text.c_str());
    out.Text(text);
    b.Set("text_colour", &CChannel::text_colour, uint32_t{0x00ABCDEF});
    std::snprintf(source.font_name, sizeof source.font_name, "%s", fontName.c_str());
    out.Text(fontName);
    b.Field("text_value_2", &CChannel::text_value_2)
        .Field("text_value_3", &CChannel::text_value_3)
        .Field("text_value_4", &CChannel::text_value_4)
        .Field("text_value_5", &CChannel::text_value_5)
        .Set("text_flag_1", &CChannel::text_flag_1, uint8_t{1})
        .Set("text_flag_2", &CChannel::text_flag_2, uint8_t{2})
        .Set("text_float_1", &CChannel::text_float_1, 0.25f, 5)
        .Set("text_float_2", &CChannel::text_float_2, 0.5f, 5)
        .Set("text_float_3", &CChannel::text_float_3, 0.75f, 5);
}
