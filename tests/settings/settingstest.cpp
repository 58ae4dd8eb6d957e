#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "settings/settingkeys.h"
#include "settings/settings.h"
#include "tests/platform/scopedenvironment.h"
#include "tests/platform/unprivileged.h"

namespace fs = std::filesystem;

namespace {

// Taken during static initialisation, before any test has loaded anything.
const TSettings kRecordAtStart = Settings;

// One key of the tables, with its field located inside a record, so that the tests can treat
// all ten sections alike.
struct KeyView {
    std::string section;
    std::string key;
    SettingKind kind;
    std::string defaultText;
    size_t offset; // of the field inside TSettings
};

std::vector<KeyView> AllKeys() {
    std::vector<KeyView> keys;
    static TSettings probe;
    const char* base = reinterpret_cast<const char*>(&probe);
    ForEachSettingSection([&](const auto& section) {
        const auto& group = probe.*section.group;
        for (const auto& key : section.keys) {
            const char* field = std::visit(
                [&](auto member) { return reinterpret_cast<const char*>(&(group.*member)); },
                key.field);
            keys.push_back({section.name, key.key, key.kind, key.defaultText,
                            static_cast<size_t>(field - base)});
        }
    });
    return keys;
}

const KeyView& FindKey(const std::vector<KeyView>& keys, const std::string& section,
                       const std::string& key) {
    for (const KeyView& k : keys) {
        if (k.section == section && k.key == key)
            return k;
    }
    throw std::runtime_error("no key " + section + "." + key);
}

template <class T> const T& FieldOf(const TSettings& record, const KeyView& key) {
    return *reinterpret_cast<const T*>(reinterpret_cast<const char*>(&record) + key.offset);
}

// What a field holds when the lookup hands the reader `text`, by the C library's own rules.
// Numbers that do not scan keep 0, the value of the cleared record.
struct Expected {
    uint32_t colour = 0;
    int32_t integer = 0;
    bool flag = false;
    std::string text;
};

Expected Convert(SettingKind kind, const std::string& text) {
    Expected e;
    switch (kind) {
    case SettingKind::Colour: {
        unsigned v = 0;
        if (std::sscanf(text.c_str(), "%x", &v) == 1)
            e.colour = v;
        break;
    }
    case SettingKind::Integer: {
        int v = 0;
        if (std::sscanf(text.c_str(), "%i", &v) == 1)
            e.integer = v;
        break;
    }
    case SettingKind::Flag:
        e.flag = std::strcmp(text.c_str(), "true") == 0;
        break;
    case SettingKind::Text:
        e.text = text.substr(0, kSettingTextSize - 1);
        break;
    }
    return e;
}

void ExpectField(const TSettings& record, const KeyView& key, const Expected& e) {
    SCOPED_TRACE(key.section + "." + key.key);
    switch (key.kind) {
    case SettingKind::Colour:
        EXPECT_EQ(FieldOf<uint32_t>(record, key), e.colour);
        break;
    case SettingKind::Integer:
        EXPECT_EQ(FieldOf<int32_t>(record, key), e.integer);
        break;
    case SettingKind::Flag:
        EXPECT_EQ(FieldOf<bool>(record, key), e.flag);
        break;
    case SettingKind::Text: {
        const char* field = &FieldOf<char>(record, key);
        ASSERT_NE(std::memchr(field, '\0', kSettingTextSize), nullptr) << "not terminated";
        EXPECT_EQ(std::string(field), e.text);
        break;
    }
    }
}

// Every field holds its default, except those named in `except`.
void ExpectDefaults(const TSettings& record, const std::set<std::string>& except = {}) {
    for (const KeyView& key : AllKeys()) {
        if (!except.contains(key.section + "." + key.key))
            ExpectField(record, key, Convert(key.kind, key.defaultText));
    }
}

// ---- The tables ----

TEST(SettingKeysTest, SectionsInReadingOrderWithTheirKeyCounts) {
    const std::vector<std::pair<std::string, size_t>> expected = {
        {"COLOURS", 17}, {"SCENE", 73},  {"CHANNEL", 60},  {"PATHS", 5}, {"AUTORUN", 1},
        {"SHOW", 23},    {"CONFIG", 36}, {"BUTTONS", 225}, {"TTL", 80},  {"DMX", 80},
    };
    std::vector<std::pair<std::string, size_t>> actual;
    ForEachSettingSection(
        [&](const auto& section) { actual.emplace_back(section.name, section.keys.size()); });
    EXPECT_EQ(actual, expected);
    EXPECT_EQ(AllKeys().size(), 600u);
}

TEST(SettingKeysTest, KindsPerSection) {
    std::map<std::string, std::map<SettingKind, int>> counts;
    for (const KeyView& key : AllKeys())
        ++counts[key.section][key.kind];
    using K = SettingKind;
    const std::map<std::string, std::map<SettingKind, int>> expected = {
        {"COLOURS", {{K::Colour, 17}}},
        {"SCENE", {{K::Flag, 29}, {K::Integer, 44}}},
        {"CHANNEL", {{K::Flag, 21}, {K::Integer, 39}}},
        {"PATHS", {{K::Text, 5}}},
        {"AUTORUN", {{K::Text, 1}}},
        {"SHOW", {{K::Flag, 9}, {K::Integer, 13}, {K::Text, 1}}},
        {"CONFIG", {{K::Flag, 13}, {K::Integer, 23}}},
        {"BUTTONS", {{K::Text, 225}}},
        {"TTL", {{K::Integer, 80}}},
        {"DMX", {{K::Integer, 80}}},
    };
    EXPECT_EQ(counts, expected);
}

// The table of a section lists every field of its group once, in declaration order: fields
// follow each other with nothing but alignment padding between them and fill the group.
template <class Group> void ExpectTableCoversGroup(const SettingSection<Group>& section) {
    SCOPED_TRACE(section.name);
    Group group{};
    const char* base = reinterpret_cast<const char*>(&group);
    size_t end = 0;
    for (const auto& key : section.keys) {
        SCOPED_TRACE(key.key);
        std::visit(
            [&](auto member) {
                using Field = std::remove_reference_t<decltype(group.*member)>;
                const size_t offset =
                    static_cast<size_t>(reinterpret_cast<const char*>(&(group.*member)) - base);
                const size_t align = alignof(Field);
                EXPECT_EQ(offset, (end + align - 1) / align * align);
                end = offset + sizeof(Field);
            },
            key.field);
    }
    const size_t align = alignof(Group);
    EXPECT_EQ((end + align - 1) / align * align, sizeof(Group));
}

TEST(SettingKeysTest, EveryFieldOnceInDeclarationOrder) {
    ForEachSettingSection([](const auto& section) { ExpectTableCoversGroup(section); });
}

TEST(SettingKeysTest, KeysAreUniqueWithinASection) {
    std::set<std::string> seen;
    for (const KeyView& key : AllKeys())
        EXPECT_TRUE(seen.insert(key.section + "." + key.key).second) << key.key;
}

struct DefaultRow {
    const char* section;
    const char* key;
    SettingKind kind;
    const char* defaultText;
};

TEST(SettingKeysTest, DefaultsOfChosenKeys) {
    using K = SettingKind;
    const DefaultRow rows[] = {
        {"COLOURS", "colour0", K::Colour, "0x00000000"},
        {"COLOURS", "colour8", K::Colour, "0x0000c0ff"},
        {"COLOURS", "colour15", K::Colour, "0x00800080"},
        {"COLOURS", "selected", K::Colour, "0x0000ff00"},
        {"SCENE", "active_key", K::Integer, "0"},
        {"SCENE", "dmx_x_flag", K::Flag, "false"},
        {"SCENE", "scroll_down_flag", K::Flag, "false"},
        {"SCENE", "output_refresed_flag", K::Flag, "true"},
        {"SCENE", "output_laser_flag", K::Flag, "true"},
        {"SCENE", "output_video_flag", K::Flag, "true"},
        {"SCENE", "music_size_flag", K::Flag, "false"},
        {"SCENE", "zoom_in_speed", K::Integer, "100"},
        {"SCENE", "colour_fade_speed", K::Integer, "12"},
        {"SCENE", "spin_z_angle", K::Integer, "5"},
        {"SCENE", "laser_scan_speed", K::Integer, "0"},
        {"SCENE", "scroll_down_frames", K::Integer, "50"},
        {"SCENE", "triggers_output", K::Integer, "0"},
        {"CHANNEL", "zoom_in_flag", K::Flag, "false"},
        {"CHANNEL", "run_wait_until_finished_flag", K::Flag, "true"},
        {"CHANNEL", "repeat_frame", K::Integer, "1"},
        {"CHANNEL", "repeat_channel", K::Integer, "1"},
        {"CHANNEL", "laser_frames_per_second", K::Integer, "11"},
        {"CHANNEL", "laser_scan_speed", K::Integer, "56"},
        {"CHANNEL", "laser_blanking_points", K::Integer, "0"},
        {"CHANNEL", "laser_angle_points", K::Integer, "5"},
        {"CHANNEL", "laser_blank_spacing", K::Integer, "50"},
        {"CHANNEL", "laser_colour_skew", K::Integer, "0"},
        {"CHANNEL", "clock_type", K::Integer, "0"},
        {"PATHS", "scene", K::Text, "scene"},
        {"PATHS", "ilda", K::Text, "ilda"},
        {"AUTORUN", "file", K::Text, ""},
        {"SHOW", "run_forever_show_flag", K::Flag, "true"},
        {"SHOW", "run_forever_scene_flag", K::Flag, "false"},
        {"SHOW", "auto_number_flag", K::Flag, "true"},
        {"SHOW", "end_time", K::Integer, "0"},
        {"SHOW", "audio_filename", K::Text, ""},
        {"CONFIG", "autorun_show_flag", K::Flag, "false"},
        {"CONFIG", "controllers_dmx_channel", K::Integer, "1"},
        {"CONFIG", "scale_scaley", K::Integer, "99"},
        {"CONFIG", "repeat_frame_repeats", K::Integer, "0"},
        {"CONFIG", "laser_device", K::Integer, "-1"},
        {"CONFIG", "video_mode", K::Integer, "-1"},
        {"BUTTONS", "quick_text_ok", K::Text, "Ok"},
        {"BUTTONS", "image_text_ok", K::Text, "Ok"},
        {"BUTTONS", "effects_ok", K::Text, "Ok"},
        {"BUTTONS", "vael_play", K::Text, "Play/Stop"},
        {"BUTTONS", "vael_quit", K::Text, "Quit"},
        {"BUTTONS", "vael_beam", K::Text, "BEAM Table"},
        {"BUTTONS", "vael_make", K::Text, "MAKE a new scene."},
        {"TTL", "ttl_function_keys_f1", K::Integer, "1"},
        {"TTL", "ttl_function_keys_Shift_f1", K::Integer, "11"},
        {"TTL", "ttl_function_keys_ctrl_f10", K::Integer, "30"},
        {"TTL", "ttl_function_keys_alt_f10", K::Integer, "40"},
        {"TTL", "ttl_control_play", K::Integer, "5888"},
        {"TTL", "ttl_control_project", K::Integer, "3073"},
        {"TTL", "ttl_laser_frames_per_second_up", K::Integer, "9000"},
        {"TTL", "ttl_laser_colour_skew_up", K::Integer, "9009"},
        {"TTL", "ttl_laser_frames_per_second_down", K::Integer, "9010"},
        {"TTL", "ttl_laser_colour_skew_down", K::Integer, "9019"},
        {"TTL", "ttl_position_up", K::Integer, "1792"},
        {"TTL", "ttl_position_vertical", K::Integer, "1024"},
        {"TTL", "ttl_scene_spin_x", K::Integer, "768"},
        {"TTL", "ttl_scene_size", K::Integer, "9020"},
        {"TTL", "ttl_scene_colour", K::Integer, "6400"},
        {"DMX", "dmx_function_keys_f1", K::Integer, "1"},
        {"DMX", "dmx_control_play", K::Integer, "41"},
        {"DMX", "dmx_scene_colour", K::Integer, "80"},
    };
    const std::vector<KeyView> keys = AllKeys();
    for (const DefaultRow& row : rows) {
        SCOPED_TRACE(std::string(row.section) + "." + row.key);
        const KeyView& key = FindKey(keys, row.section, row.key);
        EXPECT_EQ(key.kind, row.kind);
        EXPECT_EQ(key.defaultText, row.defaultText);
    }
}

TEST(SettingKeysTest, FirstAndLastKeyOfEachSection) {
    std::map<std::string, std::pair<std::string, std::string>> ends;
    for (const KeyView& key : AllKeys()) {
        auto [it, inserted] = ends.try_emplace(key.section, key.key, key.key);
        it->second.second = key.key;
    }
    const std::map<std::string, std::pair<std::string, std::string>> expected = {
        {"COLOURS", {"colour0", "selected"}},
        {"SCENE", {"active_key", "triggers_output"}},
        {"CHANNEL", {"zoom_in_flag", "clock_type"}},
        {"PATHS", {"scene", "ilda"}},
        {"AUTORUN", {"file", "file"}},
        {"SHOW", {"flip_horizontal_flag", "audio_filename"}},
        {"CONFIG", {"laser_on_flag", "video_mode"}},
        {"BUTTONS", {"adjust_config_ok", "effects_preview"}},
        {"TTL", {"ttl_function_keys_f1", "ttl_scene_colour"}},
        {"DMX", {"dmx_function_keys_f1", "dmx_scene_colour"}},
    };
    EXPECT_EQ(ends, expected);
}

TEST(SettingKeysTest, ButtonCaptionsFollowTheSuffixRule) {
    const std::set<std::string> ok = {"quick_text_ok", "image_text_ok", "effects_ok"};
    for (const KeyView& key : AllKeys()) {
        if (key.section != "BUTTONS")
            continue;
        SCOPED_TRACE(key.key);
        EXPECT_FALSE(key.defaultText.empty());
        EXPECT_LT(key.defaultText.size(), kSettingTextSize);
        std::string expected;
        if (key.key.ends_with("_ok"))
            expected = ok.contains(key.key) ? "Ok" : "Done";
        else if (key.key.ends_with("_cancel"))
            expected = "Cancel";
        else if (key.key.ends_with("_reset"))
            expected = "Reset";
        else if (key.key.ends_with("_default"))
            expected = "Default";
        if (!expected.empty()) {
            EXPECT_EQ(key.defaultText, expected);
        }
    }
}

TEST(SettingKeysTest, DmxRepeatsTheTtlFunctionsNumberedInOrder) {
    std::vector<std::string> ttl, dmx, dmxDefaults;
    for (const KeyView& key : AllKeys()) {
        if (key.section == "TTL")
            ttl.push_back(key.key);
        if (key.section == "DMX") {
            dmx.push_back(key.key);
            dmxDefaults.push_back(key.defaultText);
        }
    }
    ASSERT_EQ(ttl.size(), dmx.size());
    for (size_t i = 0; i < ttl.size(); ++i) {
        ASSERT_TRUE(ttl[i].starts_with("ttl_"));
        EXPECT_EQ(dmx[i], "dmx_" + ttl[i].substr(4));
        EXPECT_EQ(dmxDefaults[i], std::to_string(i + 1));
    }
}

// ---- Loading ----

class LoadSettingsTest : public testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/settings-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        dir_ = name;
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(dir_, ec);
    }
    std::string Write(const std::string& bytes, const std::string& name = "Tarvexa.ini") {
        const std::string path = dir_ + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    std::string Missing() const { return dir_ + "/absent.ini"; }
    std::string dir_;
};

TEST_F(LoadSettingsTest, RecordHoldsTheDefaultsFromTheStart) {
    ExpectDefaults(kRecordAtStart);
    EXPECT_EQ(kRecordAtStart.CHANNEL.laser_scan_speed, 56);
}

TEST_F(LoadSettingsTest, NoFileGivesEveryDefault) {
    Settings.CHANNEL.laser_scan_speed = 1234; // a stale value must not survive a load
    LoadSettings(Missing());
    ExpectDefaults(Settings);
    EXPECT_EQ(Settings.CHANNEL.laser_scan_speed, 56);
    EXPECT_EQ(Settings.CHANNEL.laser_frames_per_second, 11);
    EXPECT_EQ(Settings.CHANNEL.repeat_frame, 1);
    EXPECT_EQ(Settings.COLOURS.selected, 0x0000FF00u);
    EXPECT_TRUE(Settings.SCENE.output_laser_flag);
    EXPECT_EQ(Settings.SCENE.zoom_in_speed, 100);
    EXPECT_EQ(Settings.SCENE.laser_scan_speed, 0);
    EXPECT_EQ(Settings.CONFIG.laser_device, -1);
    EXPECT_STREQ(Settings.PATHS.music, "music");
    EXPECT_STREQ(Settings.AUTORUN.file, "");
}

struct ValueRow {
    const char* name;
    std::string file;
    const char* section;
    const char* key;
    std::function<void(const TSettings&)> check;
};

void PrintTo(const ValueRow& row, std::ostream* os) {
    *os << row.name;
}

class SettingValueTest : public LoadSettingsTest, public testing::WithParamInterface<ValueRow> {};

TEST_P(SettingValueTest, ReadsTheValue) {
    const ValueRow& row = GetParam();
    LoadSettings(Write(row.file));
    row.check(Settings);
    // One key changed; every other field keeps its default.
    ExpectDefaults(Settings, {std::string(row.section) + "." + row.key});
}

const std::string kLongText(300, 'a');
const std::string kText259 = std::string(258, 'b') + "c";

const ValueRow kValueRows[] = {
    {"FlagTrue", "[CHANNEL]\nzoom_in_flag=true\n", "CHANNEL", "zoom_in_flag",
     [](const TSettings& s) { EXPECT_TRUE(s.CHANNEL.zoom_in_flag); }},
    {"FlagCapitals", "[CHANNEL]\nzoom_in_flag=TRUE\n", "CHANNEL", "zoom_in_flag",
     [](const TSettings& s) { EXPECT_FALSE(s.CHANNEL.zoom_in_flag); }},
    {"FlagTitleCase", "[CHANNEL]\nzoom_in_flag=True\n", "CHANNEL", "zoom_in_flag",
     [](const TSettings& s) { EXPECT_FALSE(s.CHANNEL.zoom_in_flag); }},
    {"FlagOne", "[CHANNEL]\nzoom_in_flag=1\n", "CHANNEL", "zoom_in_flag",
     [](const TSettings& s) { EXPECT_FALSE(s.CHANNEL.zoom_in_flag); }},
    {"FlagTrailingText", "[CHANNEL]\nzoom_in_flag=truely\n", "CHANNEL", "zoom_in_flag",
     [](const TSettings& s) { EXPECT_FALSE(s.CHANNEL.zoom_in_flag); }},
    {"FlagBlanksAroundIgnored", "[CHANNEL]\nzoom_in_flag =  true  \n", "CHANNEL", "zoom_in_flag",
     [](const TSettings& s) { EXPECT_TRUE(s.CHANNEL.zoom_in_flag); }},
    {"FlagEmptyIsFalse", "[CHANNEL]\nrun_wait_until_finished_flag=\n", "CHANNEL",
     "run_wait_until_finished_flag",
     [](const TSettings& s) { EXPECT_FALSE(s.CHANNEL.run_wait_until_finished_flag); }},
    {"FlagFalse", "[SCENE]\noutput_laser_flag=false\n", "SCENE", "output_laser_flag",
     [](const TSettings& s) { EXPECT_FALSE(s.SCENE.output_laser_flag); }},
    {"IntEmptyIsZeroNotDefault", "[CHANNEL]\nlaser_scan_speed=\n", "CHANNEL", "laser_scan_speed",
     [](const TSettings& s) { EXPECT_EQ(s.CHANNEL.laser_scan_speed, 0); }},
    {"IntHex", "[CHANNEL]\nlaser_scan_speed=0x20\n", "CHANNEL", "laser_scan_speed",
     [](const TSettings& s) { EXPECT_EQ(s.CHANNEL.laser_scan_speed, 32); }},
    {"IntOctal", "[CHANNEL]\nlaser_scan_speed=010\n", "CHANNEL", "laser_scan_speed",
     [](const TSettings& s) { EXPECT_EQ(s.CHANNEL.laser_scan_speed, 8); }},
    {"IntNegative", "[CHANNEL]\nlaser_scan_speed=-7\n", "CHANNEL", "laser_scan_speed",
     [](const TSettings& s) { EXPECT_EQ(s.CHANNEL.laser_scan_speed, -7); }},
    {"IntPrefixOnly", "[CHANNEL]\nlaser_scan_speed=12 fps\n", "CHANNEL", "laser_scan_speed",
     [](const TSettings& s) { EXPECT_EQ(s.CHANNEL.laser_scan_speed, 12); }},
    {"IntNotANumber", "[CHANNEL]\nlaser_scan_speed=fast\n", "CHANNEL", "laser_scan_speed",
     [](const TSettings& s) { EXPECT_EQ(s.CHANNEL.laser_scan_speed, 0); }},
    {"IntConfigAbsentIsMinusOne", "[CONFIG]\nvideo_mode=3\n", "CONFIG", "video_mode",
     [](const TSettings& s) {
         EXPECT_EQ(s.CONFIG.video_mode, 3);
         EXPECT_EQ(s.CONFIG.laser_device, -1);
     }},
    {"ColourBareHex", "[COLOURS]\nselected=ff\n", "COLOURS", "selected",
     [](const TSettings& s) { EXPECT_EQ(s.COLOURS.selected, 0x000000FFu); }},
    {"ColourPrefixedHex", "[COLOURS]\nselected=0xff\n", "COLOURS", "selected",
     [](const TSettings& s) { EXPECT_EQ(s.COLOURS.selected, 0x000000FFu); }},
    {"ColourEmptyIsZero", "[COLOURS]\nselected=\n", "COLOURS", "selected",
     [](const TSettings& s) { EXPECT_EQ(s.COLOURS.selected, 0u); }},
    {"ColourNotANumber", "[COLOURS]\nselected=green\n", "COLOURS", "selected",
     [](const TSettings& s) { EXPECT_EQ(s.COLOURS.selected, 0u); }},
    {"TextCutTo259", "[SHOW]\naudio_filename=" + kLongText + "\n", "SHOW", "audio_filename",
     [](const TSettings& s) {
         EXPECT_EQ(std::string(s.SHOW.audio_filename), kLongText.substr(0, 259));
     }},
    {"Text259HeldWhole", "[SHOW]\naudio_filename=" + kText259 + "\n", "SHOW", "audio_filename",
     [](const TSettings& s) { EXPECT_EQ(std::string(s.SHOW.audio_filename), kText259); }},
    {"TextEmpty", "[PATHS]\nscene=\n", "PATHS", "scene",
     [](const TSettings& s) { EXPECT_STREQ(s.PATHS.scene, ""); }},
    {"SectionAndKeyCaseIgnored", "[channel]\nLASER_Scan_Speed=7\n", "CHANNEL", "laser_scan_speed",
     [](const TSettings& s) { EXPECT_EQ(s.CHANNEL.laser_scan_speed, 7); }},
    {"FirstKeyWins", "[CHANNEL]\nlaser_scan_speed=7\nlaser_scan_speed=9\n", "CHANNEL",
     "laser_scan_speed", [](const TSettings& s) { EXPECT_EQ(s.CHANNEL.laser_scan_speed, 7); }},
    {"KeyInOtherSectionNotTaken", "[SCENE]\nrepeat_frame=9\n[CHANNEL]\nrepeat_channel=4\n",
     "CHANNEL", "repeat_channel",
     [](const TSettings& s) {
         EXPECT_EQ(s.CHANNEL.repeat_frame, 1);
         EXPECT_EQ(s.CHANNEL.repeat_channel, 4);
     }},
    {"JunkLinesIgnored",
     "garbage\n[CHANNEL\n[CHANNEL]\nno equals here\n; laser_scan_speed=1\nlaser_scan_speed=3\n",
     "CHANNEL", "laser_scan_speed",
     [](const TSettings& s) { EXPECT_EQ(s.CHANNEL.laser_scan_speed, 3); }},
    {"TtlShiftKeyNameIsCaseInsensitive", "[TTL]\nttl_function_keys_shift_f1=99\n", "TTL",
     "ttl_function_keys_Shift_f1",
     [](const TSettings& s) { EXPECT_EQ(s.TTL.ttl_function_keys_Shift_f1, 99); }},
};

INSTANTIATE_TEST_SUITE_P(Rows, SettingValueTest, testing::ValuesIn(kValueRows),
                         [](const testing::TestParamInfo<ValueRow>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(LoadSettingsTest, SameKeyInSeveralSectionsFillsSeparateFields) {
    LoadSettings(Write("[SCENE]\nflip_vertical_flag=true\nlaser_scan_speed=1\n"
                       "[SHOW]\nflip_vertical_flag=false\nlaser_scan_speed=3\n"
                       "[CONFIG]\nflip_vertical_flag=true\nlaser_scan_speed=4\n"
                       "[CHANNEL]\nflip_vertical_flag=true\nlaser_scan_speed=2\n"));
    EXPECT_TRUE(Settings.SCENE.flip_vertical_flag);
    EXPECT_FALSE(Settings.SHOW.flip_vertical_flag);
    EXPECT_TRUE(Settings.CONFIG.flip_vertical_flag);
    EXPECT_TRUE(Settings.CHANNEL.flip_vertical_flag);
    EXPECT_EQ(Settings.SCENE.laser_scan_speed, 1);
    EXPECT_EQ(Settings.CHANNEL.laser_scan_speed, 2);
    EXPECT_EQ(Settings.SHOW.laser_scan_speed, 3);
    EXPECT_EQ(Settings.CONFIG.laser_scan_speed, 4);
    ExpectDefaults(Settings, {"SCENE.flip_vertical_flag", "SHOW.flip_vertical_flag",
                              "CONFIG.flip_vertical_flag", "CHANNEL.flip_vertical_flag",
                              "SCENE.laser_scan_speed", "CHANNEL.laser_scan_speed",
                              "SHOW.laser_scan_speed", "CONFIG.laser_scan_speed"});
}

// Every key written with a value of its own: each lands in its own field.
TEST_F(LoadSettingsTest, EveryKeyReachesItsField) {
    const std::vector<KeyView> keys = AllKeys();
    std::map<std::string, std::string> values;
    std::string file;
    std::string section;
    for (size_t i = 0; i < keys.size(); ++i) {
        const KeyView& key = keys[i];
        std::string value;
        switch (key.kind) {
        case SettingKind::Colour:
            value = "0x" + std::to_string(100000 + i);
            break;
        case SettingKind::Integer:
            value = std::to_string(-1000 - static_cast<int>(i));
            break;
        case SettingKind::Flag:
            value = key.defaultText == "true" ? "false" : "true";
            break;
        case SettingKind::Text:
            value = "value " + std::to_string(i);
            break;
        }
        values[key.section + "." + key.key] = value;
        if (key.section != section) {
            section = key.section;
            file += "[" + section + "]\n"; // sections written in reading order
        }
        file += key.key + "=" + value + "\n";
    }
    LoadSettings(Write(file));
    for (const KeyView& key : keys)
        ExpectField(Settings, key, Convert(key.kind, values[key.section + "." + key.key]));
}

TEST_F(LoadSettingsTest, LoadingAgainStartsFromAClearRecord) {
    LoadSettings(Write("[CHANNEL]\nlaser_scan_speed=3\n[COLOURS]\nselected=fff\n"));
    EXPECT_EQ(Settings.CHANNEL.laser_scan_speed, 3);
    LoadSettings(Write("[CHANNEL]\nlaser_scan_speed=\n[COLOURS]\nselected=x\n", "second.ini"));
    EXPECT_EQ(Settings.CHANNEL.laser_scan_speed, 0);
    EXPECT_EQ(Settings.COLOURS.selected, 0u);
    LoadSettings(Missing());
    EXPECT_EQ(Settings.CHANNEL.laser_scan_speed, 56);
}

TEST_F(LoadSettingsTest, IntoACallersRecordLeavesTheGlobalAlone) {
    LoadSettings(Missing());
    TSettings mine;
    LoadSettings(mine, Write("[CHANNEL]\nlaser_scan_speed=3\n"));
    EXPECT_EQ(mine.CHANNEL.laser_scan_speed, 3);
    EXPECT_EQ(Settings.CHANNEL.laser_scan_speed, 56);
}

TEST_F(LoadSettingsTest, UnusableFilesGiveEveryDefault) {
    std::string garbage(1 << 16, '\0');
    uint32_t x = 12345;
    for (char& c : garbage) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>(x >> 24);
    }
    const std::string directory = dir_ + "/dir.ini";
    fs::create_directory(directory);
    for (const std::string& path : {Write(garbage, "garbage.ini"), directory, Missing(),
                                    std::string(), std::string("/dev/null")}) {
        SCOPED_TRACE(path);
        LoadSettings(path);
        ExpectDefaults(Settings);
    }
}

TEST_F(LoadSettingsTest, UnreadableFileGivesEveryDefault) {
    const std::string path = Write("[CHANNEL]\nlaser_scan_speed=3\n");
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    // root reads anything; the load runs as an ordinary user.
    ASSERT_EQ(::chmod(dir_.c_str(), 0755), 0);
    EXPECT_EQ(RunAsOrdinaryUser([&] {
                  LoadSettings(path);
                  return Settings.CHANNEL.laser_scan_speed == 56 ? 0 : 1;
              }),
              0);
}

class SettingsPathTest : public LoadSettingsTest {
protected:
    ScopedEnvironment home_{"HOME", "/home/operator"};
    ScopedEnvironment winePrefix_{"WINEPREFIX", std::nullopt};

    // A settings file whose only value tells it apart, in <prefix>/drive_c/windows.
    void WriteInPrefix(const std::string& prefix, int scanSpeed) {
        fs::create_directories(dir_ + "/" + prefix + "/drive_c/windows");
        Write("[CHANNEL]\nlaser_scan_speed=" + std::to_string(scanSpeed) + "\n",
              prefix + "/drive_c/windows/Tarvexa.ini");
    }
};

// The show software runs under Wine: its Windows directory is in $WINEPREFIX, or in the
// default prefix ~/.wine when that is unset or empty.
TEST_F(SettingsPathTest, LooksInTheWindowsDirectoryOfTheWinePrefix) {
    struct Case {
        std::optional<std::string> home, winePrefix;
        std::string path;
    };
    const Case cases[] = {
        {"/home/operator", std::nullopt, "/home/operator/.wine/drive_c/windows/Tarvexa.ini"},
        {"/home/operator/", std::nullopt, "/home/operator/.wine/drive_c/windows/Tarvexa.ini"},
        {"/home/operator", "", "/home/operator/.wine/drive_c/windows/Tarvexa.ini"},
        {"/home/operator", "/srv/show-wine", "/srv/show-wine/drive_c/windows/Tarvexa.ini"},
        {"/home/operator", "/srv/show wine/", "/srv/show wine/drive_c/windows/Tarvexa.ini"},
        {std::nullopt, "/srv/show-wine", "/srv/show-wine/drive_c/windows/Tarvexa.ini"},
        {"/", std::nullopt, "/.wine/drive_c/windows/Tarvexa.ini"},
    };
    for (const Case& c : cases) {
        home_.Set(c.home);
        winePrefix_.Set(c.winePrefix);
        EXPECT_EQ(DefaultSettingsPath(), c.path)
            << "HOME=" << c.home.value_or("(unset)")
            << " WINEPREFIX=" << c.winePrefix.value_or("(unset)");
    }
}

TEST_F(SettingsPathTest, LoadWithoutPathReadsTheFileOfTheChosenPrefix) {
    WriteInPrefix(".wine", 21);
    WriteInPrefix("show-prefix", 33);
    home_.Set(dir_);

    LoadSettings();
    EXPECT_EQ(Settings.CHANNEL.laser_scan_speed, 21) << "the default prefix when unset";

    winePrefix_.Set(dir_ + "/show-prefix");
    LoadSettings();
    EXPECT_EQ(Settings.CHANNEL.laser_scan_speed, 33) << "$WINEPREFIX when set";

    winePrefix_.Set(dir_ + "/no-such-prefix");
    LoadSettings();
    EXPECT_EQ(Settings.CHANNEL.laser_scan_speed, 56) << "a prefix without the file: defaults";
}

TEST_F(SettingsPathTest, EmptyHomeFallsBackToTheAccountsHome) {
    home_.Set("");
    const std::string path = DefaultSettingsPath();
    EXPECT_TRUE(path.empty() || path.ends_with("/.wine/drive_c/windows/Tarvexa.ini")) << path;
}

} // namespace
