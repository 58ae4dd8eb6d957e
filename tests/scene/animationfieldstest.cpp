#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <span>
#include <string>
#include <type_traits>
#include <unistd.h>
#include <variant>

#include "model/cchannel.h"
#include "model/cscene.h"
#include "model/geometry.h"
#include "platform/profilefile.h"
#include "scene/scenefields.h"
#include "scene/scenefile.h"
#include "settings/settingkeys.h"
#include "settings/settings.h"

namespace fs = std::filesystem;

namespace {

// The [SCENE] keys that the model does not keep.
const std::set<std::string> kSceneKeysWithoutField = {"active_key", "active_state"};

using Values = std::map<std::string, int64_t>;

// What one round of the test gives each key of a section, by key name (a flag as 0 or 1), and
// the ini section that says so.
struct Round {
    std::map<std::string, int64_t> values;
    std::string ini;
};

// Integers get values of their own, beyond 16 bits and half of them negative, so that a field
// taken from a neighbour's key or cut to a narrower type shows. Flag number i (counted from 1)
// is set in round r when bit r of i is set: over the rounds no two flags move alike, and each
// is both set and clear.
template <class Group>
Round MakeRound(const char* section, std::span<const SettingKey<Group>> keys, int base, int round) {
    Round r;
    r.ini = std::string("[") + section + "]\n";
    int flags = 0;
    int integers = 0;
    for (const SettingKey<Group>& key : keys) {
        if (key.kind == SettingKind::Flag) {
            const bool set = ((++flags >> round) & 1) != 0;
            r.values[key.key] = set;
            r.ini += std::string(key.key) + (set ? "=true\n" : "=false\n");
        } else {
            ++integers;
            const int64_t value = (integers % 2 ? -1 : 1) * (base + 65536 * integers + round);
            r.values[key.key] = value;
            r.ini += std::string(key.key) + "=" + std::to_string(value) + "\n";
        }
    }
    return r;
}

constexpr int kRounds = 6; // 2^5 flag codes cover the 29 [SCENE] flags and the 21 [CHANNEL] ones

template <class Group> int64_t FieldValue(const Group& group, const SettingKey<Group>& key) {
    return std::visit(
        [&](auto member) -> int64_t {
            using T = std::remove_cvref_t<decltype(group.*member)>;
            if constexpr (std::is_array_v<T>)
                return -1;
            else
                return static_cast<int64_t>(group.*member);
        },
        key.field);
}

// Compares every field of the scene file record `read` with what `values` gave its key, and
// each field without a key with `fresh`. Returns the names of the fields walked.
template <class Object, class Walk>
std::set<std::string> ExpectRecord(const Object& read, const Object& fresh, const Values& values,
                                   Walk walk) {
    std::set<std::string> walked;
    walk(7, [&](const char* name, auto member) {
        walked.insert(name);
        const auto& got = read.*member;
        const auto& initial = fresh.*member;
        using T = std::remove_cvref_t<decltype(got)>;
        const auto value = values.find(name);
        if constexpr (std::is_array_v<T>) {
            EXPECT_EQ(value, values.end()) << name << " is a text, which no key fills";
            EXPECT_STREQ(got, initial) << name;
        } else if (value != values.end()) {
            EXPECT_EQ(static_cast<int64_t>(got), value->second) << name;
        } else {
            EXPECT_EQ(got, initial) << name;
        }
        return true;
    });
    return walked;
}

class AnimationFieldsTest : public testing::Test {
protected:
    static void SetUpTestSuite() { FillAngleTables(); }
    void SetUp() override {
        char name[] = "/tmp/animationfields-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        dir_ = name;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::string dir_;
};

// Every [SCENE] and [CHANNEL] key, and COLOURS.selected, written into an ini with a value of its
// own reaches its settings field, the member of that name in a new scene or channel, the scene
// file and the member of a scene read back from it; the fields no key fills keep their fixed
// values. A field left out of any one of these steps, or moved through a neighbour's, fails.
TEST_F(AnimationFieldsTest, EveryKeyTravelsFromTheIniThroughTheModelAndTheSceneFile) {
    ASSERT_EQ(std::size(SceneKeys::keys), 73u);
    ASSERT_EQ(std::size(ChannelKeys::keys), 60u);
    const TSettings& defaults = DefaultSettings();
    CScene fresh(defaults);
    CChannel* freshChannel = fresh.AddChannel();

    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const Round sceneRound = MakeRound<SettingsScene>("SCENE", SceneKeys::keys, 1000, round);
        const Round channelRound =
            MakeRound<SettingsChannel>("CHANNEL", ChannelKeys::keys, 2000, round);
        const Values& scene = sceneRound.values;
        const Values& channel = channelRound.values;
        const uint32_t selected = 0x00A0B0C0u + static_cast<uint32_t>(round);
        char colour[32];
        std::snprintf(colour, sizeof colour, "[COLOURS]\nselected=0x%08x\n", selected);

        CProfileFile profile;
        profile.Parse(sceneRound.ini + channelRound.ini + colour);
        static TSettings record;
        LoadSettings(record, profile);
        for (const auto& key : SceneKeys::keys)
            EXPECT_EQ(FieldValue(record.SCENE, key), scene.at(key.key)) << "SCENE." << key.key;
        for (const auto& key : ChannelKeys::keys)
            EXPECT_EQ(FieldValue(record.CHANNEL, key), channel.at(key.key))
                << "CHANNEL." << key.key;
        EXPECT_EQ(record.COLOURS.selected, selected);

        CScene source(record);
        (void)source.AddChannel();
        const std::string path = dir_ + "/round.scn";
        ASSERT_TRUE(SaveSceneFile(&source, path));
        CScene read(defaults);
        std::string error;
        ASSERT_TRUE(LoadSceneFile(path, &read, 0, &error)) << error;
        ASSERT_EQ(read.ChannelCount(), 1);

        const auto sceneWalk = [](int v, auto&& visit) { return ForEachSceneField(v, visit); };
        const auto channelWalk = [](int v, auto&& visit) { return ForEachChannelField(v, visit); };
        Values channelAndColour = channel;
        channelAndColour["selected_colour"] = selected;
        const std::set<std::string> sceneFields = ExpectRecord(read, fresh, scene, sceneWalk);
        const std::set<std::string> channelFields =
            ExpectRecord(*read.FirstChannel(), *freshChannel, channelAndColour, channelWalk);

        for (const auto& [key, value] : scene)
            EXPECT_NE(sceneFields.count(key), kSceneKeysWithoutField.count(key))
                << "SCENE." << key << " and the scene record's fields";
        for (const auto& [key, value] : channel)
            EXPECT_EQ(channelFields.count(key), 1u) << "CHANNEL." << key << " has no field";
        EXPECT_EQ(channelFields.count("selected_colour"), 1u);
    }
}

// The model takes its defaults from the record handed to it, never from the process-wide one,
// and a scene's new channels from the record the scene was made with.
TEST_F(AnimationFieldsTest, TheModelReadsOnlyTheRecordHandedToIt) {
    const TSettings saved = Settings;
    Settings.SCENE.zoom_in_speed = 1;
    Settings.CHANNEL.laser_colour_skew = 2;
    Settings.COLOURS.selected = 3;

    static TSettings mine = DefaultSettings();
    mine.SCENE.zoom_in_speed = 41;
    mine.CHANNEL.laser_colour_skew = 42;
    mine.COLOURS.selected = 43;
    CScene scene(mine);
    CChannel* channel = scene.AddChannel();
    CChannel single(mine, nullptr, nullptr);
    EXPECT_EQ(scene.zoom_in_speed, 41);
    EXPECT_EQ(channel->laser_colour_skew, 42);
    EXPECT_EQ(channel->selected_colour, 43u);
    EXPECT_EQ(single.laser_colour_skew, 42);

    Settings = saved;
}

} // namespace
