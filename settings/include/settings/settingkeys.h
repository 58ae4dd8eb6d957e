#pragma once

#include <cstddef>
#include <span>
#include <variant>

#include "settings/settings.h"

// Every key of the settings file as data: per section, in reading order, the key's name, its
// kind, its default as the text handed to the lookup, and the field of `Settings` it fills.
// LoadSettings walks these tables; the tests check them against the field layout. The [SCENE]
// and [CHANNEL] rows come from settings/animationfields.def.

enum class SettingKind { Colour, Integer, Flag, Text };

template <class Group> struct SettingKey {
    // Alternatives in the order of SettingKind.
    using Field = std::variant<uint32_t Group::*, int32_t Group::*, bool Group::*,
                               char (Group::*)[kSettingTextSize]>;

    // A kind that does not match the field's type stops the build.
    consteval SettingKey(const char* keyName, SettingKind keyKind, const char* text, Field member)
        : key(keyName), kind(keyKind), defaultText(text), field(member) {
        if (static_cast<size_t>(kind) != field.index())
            throw "setting kind does not match the type of its field";
    }

    // The kind that the field's type gives.
    consteval SettingKey(const char* keyName, const char* text, Field member)
        : key(keyName), kind(static_cast<SettingKind>(member.index())), defaultText(text),
          field(member) {}

    const char* key;
    SettingKind kind;
    const char* defaultText;
    Field field;
};

template <class Group> struct SettingSection {
    const char* name;
    Group TSettings::*group;
    std::span<const SettingKey<Group>> keys;
};

// The key name and the field name are one token, so they cannot drift apart.
#define COLOUR(name, text)                                                                         \
    { #name, SettingKind::Colour, text, &G::name }
#define INTEGER(name, text)                                                                        \
    { #name, SettingKind::Integer, text, &G::name }
#define FLAG(name, text)                                                                           \
    { #name, SettingKind::Flag, text, &G::name }
#define TEXT(name, text)                                                                           \
    { #name, SettingKind::Text, text, &G::name }
// For the generated tables, whose field types come from one list with the keys.
#define KEY(name, text)                                                                            \
    { #name, text, &G::name }

// clang-format off
struct ColoursKeys {
    using G = SettingsColours;
    static constexpr SettingKey<G> keys[] = {
        COLOUR(colour0, "0x00000000"),
        COLOUR(colour1, "0x000000ff"),
        COLOUR(colour2, "0x0000ff00"),
        COLOUR(colour3, "0x00ff0000"),
        COLOUR(colour4, "0x0000ffff"),
        COLOUR(colour5, "0x00ffff00"),
        COLOUR(colour6, "0x00ff00ff"),
        COLOUR(colour7, "0x00ffffff"),
        COLOUR(colour8, "0x0000c0ff"),
        COLOUR(colour9, "0x00808080"),
        COLOUR(colour10, "0x00000080"),
        COLOUR(colour11, "0x00008000"),
        COLOUR(colour12, "0x00800000"),
        COLOUR(colour13, "0x00008080"),
        COLOUR(colour14, "0x00808000"),
        COLOUR(colour15, "0x00800080"),
        COLOUR(selected, "0x0000ff00"),
    };
};

struct SceneKeys {
    using G = SettingsScene;
    static constexpr SettingKey<G> keys[] = {
#define SCENE_SETTING(type, name, defaultText, since) KEY(name, defaultText),
#define SCENE_SETTING_ONLY(type, name, defaultText) KEY(name, defaultText),
#include "settings/animationfields.def"
    };
};

struct ChannelKeys {
    using G = SettingsChannel;
    static constexpr SettingKey<G> keys[] = {
#define CHANNEL_SETTING(type, name, defaultText, since) KEY(name, defaultText),
#include "settings/animationfields.def"
    };
};

struct PathsKeys {
    using G = SettingsPaths;
    static constexpr SettingKey<G> keys[] = {
        TEXT(scene, "scene"),
        TEXT(cache, "cache"),
        TEXT(show, "show"),
        TEXT(music, "music"),
        TEXT(ilda, "ilda"),
    };
};

struct AutorunKeys {
    using G = SettingsAutorun;
    static constexpr SettingKey<G> keys[] = {
        TEXT(file, ""),
    };
};

struct ShowKeys {
    using G = SettingsShow;
    static constexpr SettingKey<G> keys[] = {
        FLAG(flip_horizontal_flag, "false"),
        FLAG(flip_vertical_flag, "false"),
        FLAG(run_forever_show_flag, "true"),
        FLAG(run_forever_scene_flag, "false"),
        FLAG(auto_number_flag, "true"),
        FLAG(audio_move_x_flag, "false"),
        FLAG(audio_move_y_flag, "false"),
        FLAG(triggers_time_flag, "false"),
        FLAG(triggers_cd_flag, "false"),
        INTEGER(laser_frames_per_second, "0"),
        INTEGER(laser_scan_speed, "0"),
        INTEGER(laser_blanking_points, "0"),
        INTEGER(laser_anchor_points_on, "0"),
        INTEGER(laser_anchor_points_off, "0"),
        INTEGER(laser_angle_points, "0"),
        INTEGER(laser_point_spacing, "0"),
        INTEGER(laser_blank_spacing, "0"),
        INTEGER(laser_breaking_points, "0"),
        INTEGER(laser_colour_skew, "0"),
        INTEGER(cd_id, "0"),
        INTEGER(cd_track, "0"),
        INTEGER(end_time, "0"),
        TEXT(audio_filename, ""),
    };
};

struct ConfigKeys {
    using G = SettingsConfig;
    static constexpr SettingKey<G> keys[] = {
        FLAG(laser_on_flag, "false"),
        FLAG(video_on_flag, "false"),
        FLAG(flip_horizontal_flag, "false"),
        FLAG(flip_horizontal1_flag, "false"),
        FLAG(flip_vertical1_flag, "false"),
        FLAG(flip_vertical_flag, "false"),
        FLAG(invert_input_triggers_flag, "false"),
        FLAG(invert_output_triggers_flag, "false"),
        FLAG(invert_output_colours_flag, "false"),
        FLAG(invert_blanking_flag, "false"),
        FLAG(controllers_ttl_flag, "false"),
        FLAG(controllers_dmx_flag, "false"),
        FLAG(autorun_show_flag, "false"),
        INTEGER(controllers_dmx_channel, "1"),
        INTEGER(delay_in, "0"),
        INTEGER(delay_out, "0"),
        INTEGER(scale_scalex, "99"),
        INTEGER(scale_scaley, "99"),
        INTEGER(shift_shiftx, "0"),
        INTEGER(shift_shifty, "0"),
        INTEGER(laser_frames_per_second, "0"),
        INTEGER(laser_scan_speed, "0"),
        INTEGER(laser_blanking_points, "0"),
        INTEGER(laser_anchor_points_on, "0"),
        INTEGER(laser_anchor_points_off, "0"),
        INTEGER(laser_angle_points, "0"),
        INTEGER(laser_point_spacing, "0"),
        INTEGER(laser_blank_spacing, "0"),
        INTEGER(laser_breaking_points, "0"),
        INTEGER(laser_colour_skew, "0"),
        INTEGER(repeat_scene_repeats, "0"),
        INTEGER(repeat_channel_repeats, "0"),
        INTEGER(repeat_frame_repeats, "0"),
        INTEGER(laser_device, "-1"),
        INTEGER(video_adapter, "-1"),
        INTEGER(video_mode, "-1"),
    };
};

struct ButtonsKeys {
    using G = SettingsButtons;
    static constexpr SettingKey<G> keys[] = {
        TEXT(adjust_config_ok, "Done"),
        TEXT(adjust_config_cancel, "Cancel"),
        TEXT(adjust_config_reset, "Reset"),
        TEXT(adjust_config_translate, "Translate"),
        TEXT(adjust_config_rotate, "Rotate"),
        TEXT(adjust_config_project, "Project"),
        TEXT(adjust_show_ok, "Done"),
        TEXT(adjust_show_cancel, "Cancel"),
        TEXT(adjust_show_reset, "Reset"),
        TEXT(adjust_show_translate, "Translate"),
        TEXT(adjust_show_rotate, "Rotate"),
        TEXT(adjust_show_project, "Project"),
        TEXT(adjust_show_preview, "Preview"),
        TEXT(adjust_scene_ok, "Done"),
        TEXT(adjust_scene_cancel, "Cancel"),
        TEXT(adjust_scene_reset, "Reset"),
        TEXT(adjust_scene_translate, "Translate"),
        TEXT(adjust_scene_rotate, "Rotate"),
        TEXT(adjust_scene_project, "Project"),
        TEXT(adjust_scene_preview, "Preview"),
        TEXT(adjust_channel_ok, "Done"),
        TEXT(adjust_channel_cancel, "Cancel"),
        TEXT(adjust_channel_reset, "Reset"),
        TEXT(adjust_channel_translate, "Translate"),
        TEXT(adjust_channel_rotate, "Rotate"),
        TEXT(adjust_channel_project, "Project"),
        TEXT(adjust_channel_preview, "Preview"),
        TEXT(autorun_ok, "Done"),
        TEXT(autorun_cancel, "Cancel"),
        TEXT(beam_table_ok, "Done"),
        TEXT(beam_table_cancel, "Cancel"),
        TEXT(beam_table_add, "Add"),
        TEXT(beam_table_delete, "Delete"),
        TEXT(clock_ok, "Done"),
        TEXT(clock_cancel, "Cancel"),
        TEXT(clock_reset, "Reset"),
        TEXT(clock_project, "Project"),
        TEXT(clock_translate, "Translate"),
        TEXT(clock_rotate, "Rotate"),
        TEXT(colourize_ok, "Done"),
        TEXT(colourize_cancel, "Cancel"),
        TEXT(colourize_apply, "Apply"),
        TEXT(colourize_previousframe, "Previous Frame"),
        TEXT(colourize_nextframe, "Next Frame"),
        TEXT(colourize_allframes, "All Frames"),
        TEXT(colour_picker_ok, "Done"),
        TEXT(colour_picker_cancel, "Cancel"),
        TEXT(config_ok, "Done"),
        TEXT(config_cancel, "Cancel"),
        TEXT(config_default, "Default"),
        TEXT(image_trash, "Trash"),
        TEXT(image_create, "Create"),
        TEXT(image_delete, "Delete"),
        TEXT(image_duplicate, "Duplicate"),
        TEXT(image_cut, "Cut"),
        TEXT(image_copy, "Copy"),
        TEXT(image_paste, "Paste"),
        TEXT(image_clear, "Clear"),
        TEXT(image_prev, "Previous"),
        TEXT(image_next, "Next"),
        TEXT(image_undo, "Undo"),
        TEXT(image_redo, "Redo"),
        TEXT(image_crect, "Cut Rect"),
        TEXT(image_cshape, "Cut Shape"),
        TEXT(image_move, "Move"),
        TEXT(image_pull, "Pull"),
        TEXT(image_translate, "Translate"),
        TEXT(image_rotate, "Rotate"),
        TEXT(image_scale, "Scale"),
        TEXT(image_flip_normals, "Flip Normals"),
        TEXT(image_remove, "Remove"),
        TEXT(image_colorize, "Colourize"),
        TEXT(image_preview, "Preview"),
        TEXT(image_project, "Project"),
        TEXT(image_point, "Point"),
        TEXT(image_draw, "Draw"),
        TEXT(image_line, "Line"),
        TEXT(image_circle, "Circle"),
        TEXT(image_square, "Square"),
        TEXT(image_rect, "Rectangle"),
        TEXT(image_ellipse, "Ellipse"),
        TEXT(image_triangle, "Triangle"),
        TEXT(image_hexagon, "Hexagon"),
        TEXT(image_heptagon, "Heptagon"),
        TEXT(image_octagon, "Octagon"),
        TEXT(image_pentagon, "Pentagon"),
        TEXT(image_cube, "Cube"),
        TEXT(image_sphere, "Sphere"),
        TEXT(image_cone, "Cone"),
        TEXT(image_pyramid, "Pyramid"),
        TEXT(image_cylinder, "Cylinder"),
        TEXT(image_3dtriangle, "3D Triangle"),
        TEXT(image_3dhexagon, "3D Hexagon"),
        TEXT(image_3dheptagon, "3D Heptagon"),
        TEXT(image_3doctagon, "3D Octagon"),
        TEXT(image_3dpentagon, "3D Pentagon"),
        TEXT(image_import, "Import"),
        TEXT(image_export, "Export"),
        TEXT(image_open, "Open"),
        TEXT(image_max, "Maximise"),
        TEXT(image_grid, "Grid"),
        TEXT(image_background, "Background"),
        TEXT(image_trace, "Trace"),
        TEXT(image_avi, "AVI"),
        TEXT(image_optimize, "Optimize"),
        TEXT(image_laser, "Laser"),
        TEXT(image_split, "Split"),
        TEXT(image_save, "Save"),
        TEXT(image_ok, "Done"),
        TEXT(image_cancel, "Cancel"),
        TEXT(image_append, "Append"),
        TEXT(image_insert, "Insert"),
        TEXT(image_make, "Make"),
        TEXT(end_ok, "Done"),
        TEXT(end_cancel, "Cancel"),
        TEXT(vael_done, "Done"),
        TEXT(vael_clear, "Clear"),
        TEXT(vael_adjust, "Adjust"),
        TEXT(vael_delete, "Delete"),
        TEXT(vael_save, "Save"),
        TEXT(vael_forever, "Forever"),
        TEXT(vael_help, "Help"),
        TEXT(vael_play, "Play/Stop"),
        TEXT(vael_record, "Record"),
        TEXT(vael_project, "Project"),
        TEXT(vael_quit, "Quit"),
        TEXT(vael_build, "Build"),
        TEXT(vael_run, "Run"),
        TEXT(vael_show, "Show"),
        TEXT(vael_spin, "Spin"),
        TEXT(vael_scroll, "Scroll"),
        TEXT(vael_morph, "Morph"),
        TEXT(vael_fade, "Fade"),
        TEXT(vael_pattern, "Pattern"),
        TEXT(vael_clock, "Clock"),
        TEXT(vael_table, "Table"),
        TEXT(vael_make, "MAKE a new scene."),
        TEXT(vael_twirl, "Twirl"),
        TEXT(vael_flip, "Flip"),
        TEXT(vael_zoom, "Zoom"),
        TEXT(vael_beam, "BEAM Table"),
        TEXT(vael_draw, "Draw"),
        TEXT(vael_text, "Text"),
        TEXT(pattern_ok, "Done"),
        TEXT(pattern_cancel, "Cancel"),
        TEXT(pattern_xsin, "X Sine"),
        TEXT(pattern_xsquare, "X Square"),
        TEXT(pattern_xtriangle, "X Triangle"),
        TEXT(pattern_xsawtooth, "X Sawtooth"),
        TEXT(pattern_ysin, "Y Sine"),
        TEXT(pattern_ysquare, "Y Square"),
        TEXT(pattern_ytriangle, "Y Triangle"),
        TEXT(pattern_ysawtooth, "Y Sawtooth"),
        TEXT(pattern_zsin, "Z Sine"),
        TEXT(pattern_zsquare, "Z Square"),
        TEXT(pattern_ztriangle, "Z Triangle"),
        TEXT(pattern_zsawtooth, "Z Sawtooth"),
        TEXT(pattern_preview, "Preview"),
        TEXT(pattern_project, "Project"),
        TEXT(pattern_translate, "Translate"),
        TEXT(pattern_rotate, "Rotate"),
        TEXT(pattern_reset, "Reset"),
        TEXT(pattern_laser, "Laser"),
        TEXT(preview_close, "Close"),
        TEXT(preview_project, "Project"),
        TEXT(scene_ok, "Done"),
        TEXT(scene_cancel, "Cancel"),
        TEXT(scene_default, "Default"),
        TEXT(channel_ok, "Done"),
        TEXT(channel_cancel, "Cancel"),
        TEXT(channel_default, "Default"),
        TEXT(ttl_ok, "Done"),
        TEXT(ttl_cancel, "Cancel"),
        TEXT(ttl_default, "Default"),
        TEXT(dmx_ok, "Done"),
        TEXT(dmx_cancel, "Cancel"),
        TEXT(dmx_default, "Default"),
        TEXT(show_ok, "Done"),
        TEXT(show_default, "Default"),
        TEXT(show_cancel, "Cancel"),
        TEXT(text_contour, "Contour"),
        TEXT(text_lineart, "Line Art"),
        TEXT(text_font, "Font"),
        TEXT(text_ok, "Done"),
        TEXT(text_cancel, "Cancel"),
        TEXT(time_trigger_ok, "Done"),
        TEXT(time_trigger_cancel, "Cancel"),
        TEXT(time_trigger_add, "Add"),
        TEXT(trace_ok, "Done"),
        TEXT(trace_cancel, "Cancel"),
        TEXT(trace_reset, "Reset"),
        TEXT(trace_load, "Load"),
        TEXT(trace_trace, "Trace"),
        TEXT(trace_project, "Project"),
        TEXT(avi_ok, "Done"),
        TEXT(avi_cancel, "Cancel"),
        TEXT(avi_reset, "Reset"),
        TEXT(avi_load, "Load"),
        TEXT(avi_trace, "Trace"),
        TEXT(avi_preview, "Preview"),
        TEXT(avi_project, "Project"),
        TEXT(quick_text_ok, "Ok"),
        TEXT(quick_text_cancel, "Cancel"),
        TEXT(quick_text_reset, "Reset"),
        TEXT(quick_text_font, "Font"),
        TEXT(quick_text_apply, "Apply"),
        TEXT(quick_text_project, "Project"),
        TEXT(quick_text_translate, "Translate"),
        TEXT(quick_text_rotate, "Rotate"),
        TEXT(quick_text_scale, "Scale"),
        TEXT(quick_text_move, "Move"),
        TEXT(quick_text_preview, "Preview"),
        TEXT(image_text_ok, "Ok"),
        TEXT(image_text_cancel, "Cancel"),
        TEXT(image_text_reset, "Reset"),
        TEXT(image_text_font, "Font"),
        TEXT(image_text_project, "Project"),
        TEXT(image_text_translate, "Translate"),
        TEXT(image_text_rotate, "Rotate"),
        TEXT(image_text_scale, "Scale"),
        TEXT(image_text_move, "Move"),
        TEXT(effects_ok, "Ok"),
        TEXT(effects_cancel, "Cancel"),
        TEXT(effects_project, "Project"),
        TEXT(effects_preview, "Preview"),
    };
};

struct TtlKeys {
    using G = SettingsTtl;
    static constexpr SettingKey<G> keys[] = {
        INTEGER(ttl_function_keys_f1, "1"),
        INTEGER(ttl_function_keys_f2, "2"),
        INTEGER(ttl_function_keys_f3, "3"),
        INTEGER(ttl_function_keys_f4, "4"),
        INTEGER(ttl_function_keys_f5, "5"),
        INTEGER(ttl_function_keys_f6, "6"),
        INTEGER(ttl_function_keys_f7, "7"),
        INTEGER(ttl_function_keys_f8, "8"),
        INTEGER(ttl_function_keys_f9, "9"),
        INTEGER(ttl_function_keys_f10, "10"),
        INTEGER(ttl_function_keys_Shift_f1, "11"),
        INTEGER(ttl_function_keys_Shift_f2, "12"),
        INTEGER(ttl_function_keys_Shift_f3, "13"),
        INTEGER(ttl_function_keys_Shift_f4, "14"),
        INTEGER(ttl_function_keys_Shift_f5, "15"),
        INTEGER(ttl_function_keys_Shift_f6, "16"),
        INTEGER(ttl_function_keys_Shift_f7, "17"),
        INTEGER(ttl_function_keys_Shift_f8, "18"),
        INTEGER(ttl_function_keys_Shift_f9, "19"),
        INTEGER(ttl_function_keys_Shift_f10, "20"),
        INTEGER(ttl_function_keys_ctrl_f1, "21"),
        INTEGER(ttl_function_keys_ctrl_f2, "22"),
        INTEGER(ttl_function_keys_ctrl_f3, "23"),
        INTEGER(ttl_function_keys_ctrl_f4, "24"),
        INTEGER(ttl_function_keys_ctrl_f5, "25"),
        INTEGER(ttl_function_keys_ctrl_f6, "26"),
        INTEGER(ttl_function_keys_ctrl_f7, "27"),
        INTEGER(ttl_function_keys_ctrl_f8, "28"),
        INTEGER(ttl_function_keys_ctrl_f9, "29"),
        INTEGER(ttl_function_keys_ctrl_f10, "30"),
        INTEGER(ttl_function_keys_alt_f1, "31"),
        INTEGER(ttl_function_keys_alt_f2, "32"),
        INTEGER(ttl_function_keys_alt_f3, "33"),
        INTEGER(ttl_function_keys_alt_f4, "34"),
        INTEGER(ttl_function_keys_alt_f5, "35"),
        INTEGER(ttl_function_keys_alt_f6, "36"),
        INTEGER(ttl_function_keys_alt_f7, "37"),
        INTEGER(ttl_function_keys_alt_f8, "38"),
        INTEGER(ttl_function_keys_alt_f9, "39"),
        INTEGER(ttl_function_keys_alt_f10, "40"),
        INTEGER(ttl_control_play, "5888"),
        INTEGER(ttl_control_pause, "6656"),
        INTEGER(ttl_control_stop, "2304"),
        INTEGER(ttl_control_next, "3072"),
        INTEGER(ttl_control_project, "3073"),
        INTEGER(ttl_laser_frames_per_second_up, "9000"),
        INTEGER(ttl_laser_scan_speed_up, "9001"),
        INTEGER(ttl_laser_blanking_points_up, "9002"),
        INTEGER(ttl_laser_anchor_points_on_up, "9003"),
        INTEGER(ttl_laser_anchor_points_off_up, "9004"),
        INTEGER(ttl_laser_angle_points_up, "9005"),
        INTEGER(ttl_laser_point_spacing_up, "9006"),
        INTEGER(ttl_laser_blank_spacing_up, "9007"),
        INTEGER(ttl_laser_breaking_points_up, "9008"),
        INTEGER(ttl_laser_colour_skew_up, "9009"),
        INTEGER(ttl_laser_frames_per_second_down, "9010"),
        INTEGER(ttl_laser_scan_speed_down, "9011"),
        INTEGER(ttl_laser_blanking_points_down, "9012"),
        INTEGER(ttl_laser_anchor_points_on_down, "9013"),
        INTEGER(ttl_laser_anchor_points_off_down, "9014"),
        INTEGER(ttl_laser_angle_points_down, "9015"),
        INTEGER(ttl_laser_point_spacing_down, "9016"),
        INTEGER(ttl_laser_blank_spacing_down, "9017"),
        INTEGER(ttl_laser_breaking_points_down, "9018"),
        INTEGER(ttl_laser_colour_skew_down, "9019"),
        INTEGER(ttl_position_up, "1792"),
        INTEGER(ttl_position_down, "2048"),
        INTEGER(ttl_position_left, "1536"),
        INTEGER(ttl_position_right, "1280"),
        INTEGER(ttl_position_out, "3584"),
        INTEGER(ttl_position_in, "3328"),
        INTEGER(ttl_position_horizontal, "512"),
        INTEGER(ttl_position_vertical, "1024"),
        INTEGER(ttl_scene_spin_x, "768"),
        INTEGER(ttl_scene_spin_y, "256"),
        INTEGER(ttl_scene_spin_z, "7168"),
        INTEGER(ttl_scene_bounce, "4096"),
        INTEGER(ttl_scene_flap, "3840"),
        INTEGER(ttl_scene_size, "9020"),
        INTEGER(ttl_scene_colour, "6400"),
    };
};

struct DmxKeys {
    using G = SettingsDmx;
    static constexpr SettingKey<G> keys[] = {
        INTEGER(dmx_function_keys_f1, "1"),
        INTEGER(dmx_function_keys_f2, "2"),
        INTEGER(dmx_function_keys_f3, "3"),
        INTEGER(dmx_function_keys_f4, "4"),
        INTEGER(dmx_function_keys_f5, "5"),
        INTEGER(dmx_function_keys_f6, "6"),
        INTEGER(dmx_function_keys_f7, "7"),
        INTEGER(dmx_function_keys_f8, "8"),
        INTEGER(dmx_function_keys_f9, "9"),
        INTEGER(dmx_function_keys_f10, "10"),
        INTEGER(dmx_function_keys_Shift_f1, "11"),
        INTEGER(dmx_function_keys_Shift_f2, "12"),
        INTEGER(dmx_function_keys_Shift_f3, "13"),
        INTEGER(dmx_function_keys_Shift_f4, "14"),
        INTEGER(dmx_function_keys_Shift_f5, "15"),
        INTEGER(dmx_function_keys_Shift_f6, "16"),
        INTEGER(dmx_function_keys_Shift_f7, "17"),
        INTEGER(dmx_function_keys_Shift_f8, "18"),
        INTEGER(dmx_function_keys_Shift_f9, "19"),
        INTEGER(dmx_function_keys_Shift_f10, "20"),
        INTEGER(dmx_function_keys_ctrl_f1, "21"),
        INTEGER(dmx_function_keys_ctrl_f2, "22"),
        INTEGER(dmx_function_keys_ctrl_f3, "23"),
        INTEGER(dmx_function_keys_ctrl_f4, "24"),
        INTEGER(dmx_function_keys_ctrl_f5, "25"),
        INTEGER(dmx_function_keys_ctrl_f6, "26"),
        INTEGER(dmx_function_keys_ctrl_f7, "27"),
        INTEGER(dmx_function_keys_ctrl_f8, "28"),
        INTEGER(dmx_function_keys_ctrl_f9, "29"),
        INTEGER(dmx_function_keys_ctrl_f10, "30"),
        INTEGER(dmx_function_keys_alt_f1, "31"),
        INTEGER(dmx_function_keys_alt_f2, "32"),
        INTEGER(dmx_function_keys_alt_f3, "33"),
        INTEGER(dmx_function_keys_alt_f4, "34"),
        INTEGER(dmx_function_keys_alt_f5, "35"),
        INTEGER(dmx_function_keys_alt_f6, "36"),
        INTEGER(dmx_function_keys_alt_f7, "37"),
        INTEGER(dmx_function_keys_alt_f8, "38"),
        INTEGER(dmx_function_keys_alt_f9, "39"),
        INTEGER(dmx_function_keys_alt_f10, "40"),
        INTEGER(dmx_control_play, "41"),
        INTEGER(dmx_control_pause, "42"),
        INTEGER(dmx_control_stop, "43"),
        INTEGER(dmx_control_next, "44"),
        INTEGER(dmx_control_project, "45"),
        INTEGER(dmx_laser_frames_per_second_up, "46"),
        INTEGER(dmx_laser_scan_speed_up, "47"),
        INTEGER(dmx_laser_blanking_points_up, "48"),
        INTEGER(dmx_laser_anchor_points_on_up, "49"),
        INTEGER(dmx_laser_anchor_points_off_up, "50"),
        INTEGER(dmx_laser_angle_points_up, "51"),
        INTEGER(dmx_laser_point_spacing_up, "52"),
        INTEGER(dmx_laser_blank_spacing_up, "53"),
        INTEGER(dmx_laser_breaking_points_up, "54"),
        INTEGER(dmx_laser_colour_skew_up, "55"),
        INTEGER(dmx_laser_frames_per_second_down, "56"),
        INTEGER(dmx_laser_scan_speed_down, "57"),
        INTEGER(dmx_laser_blanking_points_down, "58"),
        INTEGER(dmx_laser_anchor_points_on_down, "59"),
        INTEGER(dmx_laser_anchor_points_off_down, "60"),
        INTEGER(dmx_laser_angle_points_down, "61"),
        INTEGER(dmx_laser_point_spacing_down, "62"),
        INTEGER(dmx_laser_blank_spacing_down, "63"),
        INTEGER(dmx_laser_breaking_points_down, "64"),
        INTEGER(dmx_laser_colour_skew_down, "65"),
        INTEGER(dmx_position_up, "66"),
        INTEGER(dmx_position_down, "67"),
        INTEGER(dmx_position_left, "68"),
        INTEGER(dmx_position_right, "69"),
        INTEGER(dmx_position_out, "70"),
        INTEGER(dmx_position_in, "71"),
        INTEGER(dmx_position_horizontal, "72"),
        INTEGER(dmx_position_vertical, "73"),
        INTEGER(dmx_scene_spin_x, "74"),
        INTEGER(dmx_scene_spin_y, "75"),
        INTEGER(dmx_scene_spin_z, "76"),
        INTEGER(dmx_scene_bounce, "77"),
        INTEGER(dmx_scene_flap, "78"),
        INTEGER(dmx_scene_size, "79"),
        INTEGER(dmx_scene_colour, "80"),
    };
};

// clang-format on

#undef COLOUR
#undef INTEGER
#undef FLAG
#undef TEXT
#undef KEY

// Calls visit(SettingSection<Group>) for each section, in reading order.
template <class Visitor> constexpr void ForEachSettingSection(Visitor&& visit) {
    visit(SettingSection<SettingsColours>{"COLOURS", &TSettings::COLOURS, ColoursKeys::keys});
    visit(SettingSection<SettingsScene>{"SCENE", &TSettings::SCENE, SceneKeys::keys});
    visit(SettingSection<SettingsChannel>{"CHANNEL", &TSettings::CHANNEL, ChannelKeys::keys});
    visit(SettingSection<SettingsPaths>{"PATHS", &TSettings::PATHS, PathsKeys::keys});
    visit(SettingSection<SettingsAutorun>{"AUTORUN", &TSettings::AUTORUN, AutorunKeys::keys});
    visit(SettingSection<SettingsShow>{"SHOW", &TSettings::SHOW, ShowKeys::keys});
    visit(SettingSection<SettingsConfig>{"CONFIG", &TSettings::CONFIG, ConfigKeys::keys});
    visit(SettingSection<SettingsButtons>{"BUTTONS", &TSettings::BUTTONS, ButtonsKeys::keys});
    visit(SettingSection<SettingsTtl>{"TTL", &TSettings::TTL, TtlKeys::keys});
    visit(SettingSection<SettingsDmx>{"DMX", &TSettings::DMX, DmxKeys::keys});
}
