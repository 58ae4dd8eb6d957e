#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class CProfileFile;

// The show software's settings, read from its settings file "Tarvexa.ini".
//
// One group per section of the file and one field per key, named after the key and in the
// order the keys are read. Kinds: a colour is 0x00BBGGRR (red in the low byte), an integer is
// signed 32-bit, a flag is true only for the exact text "true", a text holds at most
// kSettingTextSize - 1 characters and is always terminated.
//
// The process-wide record `Settings` holds every key's default from the start of the program
// (it is constant-initialised, so it is valid even inside other static initialisers). The
// main window calls LoadSettings() once at start; afterwards the record is read-only. The
// model copies SCENE, CHANNEL and COLOURS.selected from the record handed to a new scene or
// channel, this one or any other.
//
// The file is never written.

inline constexpr size_t kSettingTextSize = 260;

// [COLOURS]
struct SettingsColours {
    uint32_t colour0{};
    uint32_t colour1{};
    uint32_t colour2{};
    uint32_t colour3{};
    uint32_t colour4{};
    uint32_t colour5{};
    uint32_t colour6{};
    uint32_t colour7{};
    uint32_t colour8{};
    uint32_t colour9{};
    uint32_t colour10{};
    uint32_t colour11{};
    uint32_t colour12{};
    uint32_t colour13{};
    uint32_t colour14{};
    uint32_t colour15{};
    uint32_t selected{};
};

// [SCENE] and [CHANNEL]: the keys of the animation fields (settings/animationfields.def).
struct SettingsScene {
#define SCENE_SETTING(type, name, defaultText, since) type name{};
#define SCENE_SETTING_ONLY(type, name, defaultText) type name{};
#include "settings/animationfields.def"
};

struct SettingsChannel {
#define CHANNEL_SETTING(type, name, defaultText, since) type name{};
#include "settings/animationfields.def"
};

// [PATHS]
struct SettingsPaths {
    char scene[kSettingTextSize]{};
    char cache[kSettingTextSize]{};
    char show[kSettingTextSize]{};
    char music[kSettingTextSize]{};
    char ilda[kSettingTextSize]{};
};

// [AUTORUN]
struct SettingsAutorun {
    char file[kSettingTextSize]{};
};

// [SHOW]
struct SettingsShow {
    bool flip_horizontal_flag{};
    bool flip_vertical_flag{};
    bool run_forever_show_flag{};
    bool run_forever_scene_flag{};
    bool auto_number_flag{};
    bool audio_move_x_flag{};
    bool audio_move_y_flag{};
    bool triggers_time_flag{};
    bool triggers_cd_flag{};
    int32_t laser_frames_per_second{};
    int32_t laser_scan_speed{};
    int32_t laser_blanking_points{};
    int32_t laser_anchor_points_on{};
    int32_t laser_anchor_points_off{};
    int32_t laser_angle_points{};
    int32_t laser_point_spacing{};
    int32_t laser_blank_spacing{};
    int32_t laser_breaking_points{};
    int32_t laser_colour_skew{};
    int32_t cd_id{};
    int32_t cd_track{};
    int32_t end_time{};
    char audio_filename[kSettingTextSize]{};
};

// [CONFIG]
struct SettingsConfig {
    bool laser_on_flag{};
    bool video_on_flag{};
    bool flip_horizontal_flag{};
    bool flip_horizontal1_flag{};
    bool flip_vertical1_flag{};
    bool flip_vertical_flag{};
    bool invert_input_triggers_flag{};
    bool invert_output_triggers_flag{};
    bool invert_output_colours_flag{};
    bool invert_blanking_flag{};
    bool controllers_ttl_flag{};
    bool controllers_dmx_flag{};
    bool autorun_show_flag{};
    int32_t controllers_dmx_channel{};
    int32_t delay_in{};
    int32_t delay_out{};
    int32_t scale_scalex{};
    int32_t scale_scaley{};
    int32_t shift_shiftx{};
    int32_t shift_shifty{};
    int32_t laser_frames_per_second{};
    int32_t laser_scan_speed{};
    int32_t laser_blanking_points{};
    int32_t laser_anchor_points_on{};
    int32_t laser_anchor_points_off{};
    int32_t laser_angle_points{};
    int32_t laser_point_spacing{};
    int32_t laser_blank_spacing{};
    int32_t laser_breaking_points{};
    int32_t laser_colour_skew{};
    int32_t repeat_scene_repeats{};
    int32_t repeat_channel_repeats{};
    int32_t repeat_frame_repeats{};
    int32_t laser_device{};
    int32_t video_adapter{};
    int32_t video_mode{};
};

// [BUTTONS]
struct SettingsButtons {
    char adjust_config_ok[kSettingTextSize]{};
    char adjust_config_cancel[kSettingTextSize]{};
    char adjust_config_reset[kSettingTextSize]{};
    char adjust_config_translate[kSettingTextSize]{};
    char adjust_config_rotate[kSettingTextSize]{};
    char adjust_config_project[kSettingTextSize]{};
    char adjust_show_ok[kSettingTextSize]{};
    char adjust_show_cancel[kSettingTextSize]{};
    char adjust_show_reset[kSettingTextSize]{};
    char adjust_show_translate[kSettingTextSize]{};
    char adjust_show_rotate[kSettingTextSize]{};
    char adjust_show_project[kSettingTextSize]{};
    char adjust_show_preview[kSettingTextSize]{};
    char adjust_scene_ok[kSettingTextSize]{};
    char adjust_scene_cancel[kSettingTextSize]{};
    char adjust_scene_reset[kSettingTextSize]{};
    char adjust_scene_translate[kSettingTextSize]{};
    char adjust_scene_rotate[kSettingTextSize]{};
    char adjust_scene_project[kSettingTextSize]{};
    char adjust_scene_preview[kSettingTextSize]{};
    char adjust_channel_ok[kSettingTextSize]{};
    char adjust_channel_cancel[kSettingTextSize]{};
    char adjust_channel_reset[kSettingTextSize]{};
    char adjust_channel_translate[kSettingTextSize]{};
    char adjust_channel_rotate[kSettingTextSize]{};
    char adjust_channel_project[kSettingTextSize]{};
    char adjust_channel_preview[kSettingTextSize]{};
    char autorun_ok[kSettingTextSize]{};
    char autorun_cancel[kSettingTextSize]{};
    char beam_table_ok[kSettingTextSize]{};
    char beam_table_cancel[kSettingTextSize]{};
    char beam_table_add[kSettingTextSize]{};
    char beam_table_delete[kSettingTextSize]{};
    char clock_ok[kSettingTextSize]{};
    char clock_cancel[kSettingTextSize]{};
    char clock_reset[kSettingTextSize]{};
    char clock_project[kSettingTextSize]{};
    char clock_translate[kSettingTextSize]{};
    char clock_rotate[kSettingTextSize]{};
    char colourize_ok[kSettingTextSize]{};
    char colourize_cancel[kSettingTextSize]{};
    char colourize_apply[kSettingTextSize]{};
    char colourize_previousframe[kSettingTextSize]{};
    char colourize_nextframe[kSettingTextSize]{};
    char colourize_allframes[kSettingTextSize]{};
    char colour_picker_ok[kSettingTextSize]{};
    char colour_picker_cancel[kSettingTextSize]{};
    char config_ok[kSettingTextSize]{};
    char config_cancel[kSettingTextSize]{};
    char config_default[kSettingTextSize]{};
    char image_trash[kSettingTextSize]{};
    char image_create[kSettingTextSize]{};
    char image_delete[kSettingTextSize]{};
    char image_duplicate[kSettingTextSize]{};
    char image_cut[kSettingTextSize]{};
    char image_copy[kSettingTextSize]{};
    char image_paste[kSettingTextSize]{};
    char image_clear[kSettingTextSize]{};
    char image_prev[kSettingTextSize]{};
    char image_next[kSettingTextSize]{};
    char image_undo[kSettingTextSize]{};
    char image_redo[kSettingTextSize]{};
    char image_crect[kSettingTextSize]{};
    char image_cshape[kSettingTextSize]{};
    char image_move[kSettingTextSize]{};
    char image_pull[kSettingTextSize]{};
    char image_translate[kSettingTextSize]{};
    char image_rotate[kSettingTextSize]{};
    char image_scale[kSettingTextSize]{};
    char image_flip_normals[kSettingTextSize]{};
    char image_remove[kSettingTextSize]{};
    char image_colorize[kSettingTextSize]{};
    char image_preview[kSettingTextSize]{};
    char image_project[kSettingTextSize]{};
    char image_point[kSettingTextSize]{};
    char image_draw[kSettingTextSize]{};
    char image_line[kSettingTextSize]{};
    char image_circle[kSettingTextSize]{};
    char image_square[kSettingTextSize]{};
    char image_rect[kSettingTextSize]{};
    char image_ellipse[kSettingTextSize]{};
    char image_triangle[kSettingTextSize]{};
    char image_hexagon[kSettingTextSize]{};
    char image_heptagon[kSettingTextSize]{};
    char image_octagon[kSettingTextSize]{};
    char image_pentagon[kSettingTextSize]{};
    char image_cube[kSettingTextSize]{};
    char image_sphere[kSettingTextSize]{};
    char image_cone[kSettingTextSize]{};
    char image_pyramid[kSettingTextSize]{};
    char image_cylinder[kSettingTextSize]{};
    char image_3dtriangle[kSettingTextSize]{};
    char image_3dhexagon[kSettingTextSize]{};
    char image_3dheptagon[kSettingTextSize]{};
    char image_3doctagon[kSettingTextSize]{};
    char image_3dpentagon[kSettingTextSize]{};
    char image_import[kSettingTextSize]{};
    char image_export[kSettingTextSize]{};
    char image_open[kSettingTextSize]{};
    char image_max[kSettingTextSize]{};
    char image_grid[kSettingTextSize]{};
    char image_background[kSettingTextSize]{};
    char image_trace[kSettingTextSize]{};
    char image_avi[kSettingTextSize]{};
    char image_optimize[kSettingTextSize]{};
    char image_laser[kSettingTextSize]{};
    char image_split[kSettingTextSize]{};
    char image_save[kSettingTextSize]{};
    char image_ok[kSettingTextSize]{};
    char image_cancel[kSettingTextSize]{};
    char image_append[kSettingTextSize]{};
    char image_insert[kSettingTextSize]{};
    char image_make[kSettingTextSize]{};
    char end_ok[kSettingTextSize]{};
    char end_cancel[kSettingTextSize]{};
    char vael_done[kSettingTextSize]{};
    char vael_clear[kSettingTextSize]{};
    char vael_adjust[kSettingTextSize]{};
    char vael_delete[kSettingTextSize]{};
    char vael_save[kSettingTextSize]{};
    char vael_forever[kSettingTextSize]{};
    char vael_help[kSettingTextSize]{};
    char vael_play[kSettingTextSize]{};
    char vael_record[kSettingTextSize]{};
    char vael_project[kSettingTextSize]{};
    char vael_quit[kSettingTextSize]{};
    char vael_build[kSettingTextSize]{};
    char vael_run[kSettingTextSize]{};
    char vael_show[kSettingTextSize]{};
    char vael_spin[kSettingTextSize]{};
    char vael_scroll[kSettingTextSize]{};
    char vael_morph[kSettingTextSize]{};
    char vael_fade[kSettingTextSize]{};
    char vael_pattern[kSettingTextSize]{};
    char vael_clock[kSettingTextSize]{};
    char vael_table[kSettingTextSize]{};
    char vael_make[kSettingTextSize]{};
    char vael_twirl[kSettingTextSize]{};
    char vael_flip[kSettingTextSize]{};
    char vael_zoom[kSettingTextSize]{};
    char vael_beam[kSettingTextSize]{};
    char vael_draw[kSettingTextSize]{};
    char vael_text[kSettingTextSize]{};
    char pattern_ok[kSettingTextSize]{};
    char pattern_cancel[kSettingTextSize]{};
    char pattern_xsin[kSettingTextSize]{};
    char pattern_xsquare[kSettingTextSize]{};
    char pattern_xtriangle[kSettingTextSize]{};
    char pattern_xsawtooth[kSettingTextSize]{};
    char pattern_ysin[kSettingTextSize]{};
    char pattern_ysquare[kSettingTextSize]{};
    char pattern_ytriangle[kSettingTextSize]{};
    char pattern_ysawtooth[kSettingTextSize]{};
    char pattern_zsin[kSettingTextSize]{};
    char pattern_zsquare[kSettingTextSize]{};
    char pattern_ztriangle[kSettingTextSize]{};
    char pattern_zsawtooth[kSettingTextSize]{};
    char pattern_preview[kSettingTextSize]{};
    char pattern_project[kSettingTextSize]{};
    char pattern_translate[kSettingTextSize]{};
    char pattern_rotate[kSettingTextSize]{};
    char pattern_reset[kSettingTextSize]{};
    char pattern_laser[kSettingTextSize]{};
    char preview_close[kSettingTextSize]{};
    char preview_project[kSettingTextSize]{};
    char scene_ok[kSettingTextSize]{};
    char scene_cancel[kSettingTextSize]{};
    char scene_default[kSettingTextSize]{};
    char channel_ok[kSettingTextSize]{};
    char channel_cancel[kSettingTextSize]{};
    char channel_default[kSettingTextSize]{};
    char ttl_ok[kSettingTextSize]{};
    char ttl_cancel[kSettingTextSize]{};
    char ttl_default[kSettingTextSize]{};
    char dmx_ok[kSettingTextSize]{};
    char dmx_cancel[kSettingTextSize]{};
    char dmx_default[kSettingTextSize]{};
    char show_ok[kSettingTextSize]{};
    char show_default[kSettingTextSize]{};
    char show_cancel[kSettingTextSize]{};
    char text_contour[kSettingTextSize]{};
    char text_lineart[kSettingTextSize]{};
    char text_font[kSettingTextSize]{};
    char text_ok[kSettingTextSize]{};
    char text_cancel[kSettingTextSize]{};
    char time_trigger_ok[kSettingTextSize]{};
    char time_trigger_cancel[kSettingTextSize]{};
    char time_trigger_add[kSettingTextSize]{};
    char trace_ok[kSettingTextSize]{};
    char trace_cancel[kSettingTextSize]{};
    char trace_reset[kSettingTextSize]{};
    char trace_load[kSettingTextSize]{};
    char trace_trace[kSettingTextSize]{};
    char trace_project[kSettingTextSize]{};
    char avi_ok[kSettingTextSize]{};
    char avi_cancel[kSettingTextSize]{};
    char avi_reset[kSettingTextSize]{};
    char avi_load[kSettingTextSize]{};
    char avi_trace[kSettingTextSize]{};
    char avi_preview[kSettingTextSize]{};
    char avi_project[kSettingTextSize]{};
    char quick_text_ok[kSettingTextSize]{};
    char quick_text_cancel[kSettingTextSize]{};
    char quick_text_reset[kSettingTextSize]{};
    char quick_text_font[kSettingTextSize]{};
    char quick_text_apply[kSettingTextSize]{};
    char quick_text_project[kSettingTextSize]{};
    char quick_text_translate[kSettingTextSize]{};
    char quick_text_rotate[kSettingTextSize]{};
    char quick_text_scale[kSettingTextSize]{};
    char quick_text_move[kSettingTextSize]{};
    char quick_text_preview[kSettingTextSize]{};
    char image_text_ok[kSettingTextSize]{};
    char image_text_cancel[kSettingTextSize]{};
    char image_text_reset[kSettingTextSize]{};
    char image_text_font[kSettingTextSize]{};
    char image_text_project[kSettingTextSize]{};
    char image_text_translate[kSettingTextSize]{};
    char image_text_rotate[kSettingTextSize]{};
    char image_text_scale[kSettingTextSize]{};
    char image_text_move[kSettingTextSize]{};
    char effects_ok[kSettingTextSize]{};
    char effects_cancel[kSettingTextSize]{};
    char effects_project[kSettingTextSize]{};
    char effects_preview[kSettingTextSize]{};
};

// [TTL]
struct SettingsTtl {
    int32_t ttl_function_keys_f1{};
    int32_t ttl_function_keys_f2{};
    int32_t ttl_function_keys_f3{};
    int32_t ttl_function_keys_f4{};
    int32_t ttl_function_keys_f5{};
    int32_t ttl_function_keys_f6{};
    int32_t ttl_function_keys_f7{};
    int32_t ttl_function_keys_f8{};
    int32_t ttl_function_keys_f9{};
    int32_t ttl_function_keys_f10{};
    int32_t ttl_function_keys_Shift_f1{};
    int32_t ttl_function_keys_Shift_f2{};
    int32_t ttl_function_keys_Shift_f3{};
    int32_t ttl_function_keys_Shift_f4{};
    int32_t ttl_function_keys_Shift_f5{};
    int32_t ttl_function_keys_Shift_f6{};
    int32_t ttl_function_keys_Shift_f7{};
    int32_t ttl_function_keys_Shift_f8{};
    int32_t ttl_function_keys_Shift_f9{};
    int32_t ttl_function_keys_Shift_f10{};
    int32_t ttl_function_keys_ctrl_f1{};
    int32_t ttl_function_keys_ctrl_f2{};
    int32_t ttl_function_keys_ctrl_f3{};
    int32_t ttl_function_keys_ctrl_f4{};
    int32_t ttl_function_keys_ctrl_f5{};
    int32_t ttl_function_keys_ctrl_f6{};
    int32_t ttl_function_keys_ctrl_f7{};
    int32_t ttl_function_keys_ctrl_f8{};
    int32_t ttl_function_keys_ctrl_f9{};
    int32_t ttl_function_keys_ctrl_f10{};
    int32_t ttl_function_keys_alt_f1{};
    int32_t ttl_function_keys_alt_f2{};
    int32_t ttl_function_keys_alt_f3{};
    int32_t ttl_function_keys_alt_f4{};
    int32_t ttl_function_keys_alt_f5{};
    int32_t ttl_function_keys_alt_f6{};
    int32_t ttl_function_keys_alt_f7{};
    int32_t ttl_function_keys_alt_f8{};
    int32_t ttl_function_keys_alt_f9{};
    int32_t ttl_function_keys_alt_f10{};
    int32_t ttl_control_play{};
    int32_t ttl_control_pause{};
    int32_t ttl_control_stop{};
    int32_t ttl_control_next{};
    int32_t ttl_control_project{};
    int32_t ttl_laser_frames_per_second_up{};
    int32_t ttl_laser_scan_speed_up{};
    int32_t ttl_laser_blanking_points_up{};
    int32_t ttl_laser_anchor_points_on_up{};
    int32_t ttl_laser_anchor_points_off_up{};
    int32_t ttl_laser_angle_points_up{};
    int32_t ttl_laser_point_spacing_up{};
    int32_t ttl_laser_blank_spacing_up{};
    int32_t ttl_laser_breaking_points_up{};
    int32_t ttl_laser_colour_skew_up{};
    int32_t ttl_laser_frames_per_second_down{};
    int32_t ttl_laser_scan_speed_down{};
    int32_t ttl_laser_blanking_points_down{};
    int32_t ttl_laser_anchor_points_on_down{};
    int32_t ttl_laser_anchor_points_off_down{};
    int32_t ttl_laser_angle_points_down{};
    int32_t ttl_laser_point_spacing_down{};
    int32_t ttl_laser_blank_spacing_down{};
    int32_t ttl_laser_breaking_points_down{};
    int32_t ttl_laser_colour_skew_down{};
    int32_t ttl_position_up{};
    int32_t ttl_position_down{};
    int32_t ttl_position_left{};
    int32_t ttl_position_right{};
    int32_t ttl_position_out{};
    int32_t ttl_position_in{};
    int32_t ttl_position_horizontal{};
    int32_t ttl_position_vertical{};
    int32_t ttl_scene_spin_x{};
    int32_t ttl_scene_spin_y{};
    int32_t ttl_scene_spin_z{};
    int32_t ttl_scene_bounce{};
    int32_t ttl_scene_flap{};
    int32_t ttl_scene_size{};
    int32_t ttl_scene_colour{};
};

// [DMX]
struct SettingsDmx {
    int32_t dmx_function_keys_f1{};
    int32_t dmx_function_keys_f2{};
    int32_t dmx_function_keys_f3{};
    int32_t dmx_function_keys_f4{};
    int32_t dmx_function_keys_f5{};
    int32_t dmx_function_keys_f6{};
    int32_t dmx_function_keys_f7{};
    int32_t dmx_function_keys_f8{};
    int32_t dmx_function_keys_f9{};
    int32_t dmx_function_keys_f10{};
    int32_t dmx_function_keys_Shift_f1{};
    int32_t dmx_function_keys_Shift_f2{};
    int32_t dmx_function_keys_Shift_f3{};
    int32_t dmx_function_keys_Shift_f4{};
    int32_t dmx_function_keys_Shift_f5{};
    int32_t dmx_function_keys_Shift_f6{};
    int32_t dmx_function_keys_Shift_f7{};
    int32_t dmx_function_keys_Shift_f8{};
    int32_t dmx_function_keys_Shift_f9{};
    int32_t dmx_function_keys_Shift_f10{};
    int32_t dmx_function_keys_ctrl_f1{};
    int32_t dmx_function_keys_ctrl_f2{};
    int32_t dmx_function_keys_ctrl_f3{};
    int32_t dmx_function_keys_ctrl_f4{};
    int32_t dmx_function_keys_ctrl_f5{};
    int32_t dmx_function_keys_ctrl_f6{};
    int32_t dmx_function_keys_ctrl_f7{};
    int32_t dmx_function_keys_ctrl_f8{};
    int32_t dmx_function_keys_ctrl_f9{};
    int32_t dmx_function_keys_ctrl_f10{};
    int32_t dmx_function_keys_alt_f1{};
    int32_t dmx_function_keys_alt_f2{};
    int32_t dmx_function_keys_alt_f3{};
    int32_t dmx_function_keys_alt_f4{};
    int32_t dmx_function_keys_alt_f5{};
    int32_t dmx_function_keys_alt_f6{};
    int32_t dmx_function_keys_alt_f7{};
    int32_t dmx_function_keys_alt_f8{};
    int32_t dmx_function_keys_alt_f9{};
    int32_t dmx_function_keys_alt_f10{};
    int32_t dmx_control_play{};
    int32_t dmx_control_pause{};
    int32_t dmx_control_stop{};
    int32_t dmx_control_next{};
    int32_t dmx_control_project{};
    int32_t dmx_laser_frames_per_second_up{};
    int32_t dmx_laser_scan_speed_up{};
    int32_t dmx_laser_blanking_points_up{};
    int32_t dmx_laser_anchor_points_on_up{};
    int32_t dmx_laser_anchor_points_off_up{};
    int32_t dmx_laser_angle_points_up{};
    int32_t dmx_laser_point_spacing_up{};
    int32_t dmx_laser_blank_spacing_up{};
    int32_t dmx_laser_breaking_points_up{};
    int32_t dmx_laser_colour_skew_up{};
    int32_t dmx_laser_frames_per_second_down{};
    int32_t dmx_laser_scan_speed_down{};
    int32_t dmx_laser_blanking_points_down{};
    int32_t dmx_laser_anchor_points_on_down{};
    int32_t dmx_laser_anchor_points_off_down{};
    int32_t dmx_laser_angle_points_down{};
    int32_t dmx_laser_point_spacing_down{};
    int32_t dmx_laser_blank_spacing_down{};
    int32_t dmx_laser_breaking_points_down{};
    int32_t dmx_laser_colour_skew_down{};
    int32_t dmx_position_up{};
    int32_t dmx_position_down{};
    int32_t dmx_position_left{};
    int32_t dmx_position_right{};
    int32_t dmx_position_out{};
    int32_t dmx_position_in{};
    int32_t dmx_position_horizontal{};
    int32_t dmx_position_vertical{};
    int32_t dmx_scene_spin_x{};
    int32_t dmx_scene_spin_y{};
    int32_t dmx_scene_spin_z{};
    int32_t dmx_scene_bounce{};
    int32_t dmx_scene_flap{};
    int32_t dmx_scene_size{};
    int32_t dmx_scene_colour{};
};

struct TSettings {
    SettingsColours COLOURS;
    SettingsScene SCENE;
    SettingsChannel CHANNEL;
    SettingsPaths PATHS;
    SettingsAutorun AUTORUN;
    SettingsShow SHOW;
    SettingsConfig CONFIG;
    SettingsButtons BUTTONS;
    SettingsTtl TTL;
    SettingsDmx DMX;
};

// The process-wide record; holds the defaults until LoadSettings() runs.
extern TSettings Settings;

// What loading gives without a settings file: every key's default. Valid from the start of the
// program and never changed.
[[nodiscard]] const TSettings& DefaultSettings();

// Where the settings file is looked up: "<prefix>/drive_c/windows/Tarvexa.ini", the Windows
// directory of the Wine prefix the show software runs in ($WINEPREFIX, else ~/.wine; see
// WinePrefix). Without a prefix or a home the result is empty, which reads as a missing file.
[[nodiscard]] std::string DefaultSettingsPath();

// Loads `Settings` from DefaultSettingsPath().
void LoadSettings();

// Loads `Settings` from the named file. Cannot fail and reports nothing: a missing, unreadable
// or unparsable file, or a directory, gives every field its default; a missing section or key
// gives that key's default. A key present with an empty value gives 0 for a colour or an
// integer (not the default), false for a flag and "" for a text; a colour or integer value
// that does not begin with a number gives 0. The record is cleared before reading, so the
// result does not depend on earlier loads.
void LoadSettings(const std::string& path);

// As LoadSettings(path), into a record of the caller's.
void LoadSettings(TSettings& record, const std::string& path);

// As LoadSettings(path), from a profile already parsed (an empty one gives the defaults).
void LoadSettings(TSettings& record, const CProfileFile& profile);
