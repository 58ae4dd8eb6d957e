#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <malloc.h>
#include <new>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "ilda/cilda.h"
#include "ilda/colourpalettes.h"
#include "model/cchannel.h"
#include "model/cframe.h"
#include "model/cpoly.h"
#include "model/cscene.h"
#include "model/cthing.h"
#include "model/geometry.h"
#include "model/vertexpool.h"
#include "platform/messagehook.h"
#include "platform/outputfile.h"
#include "scene/cscenestream.h"
#include "scene/scenefile.h"
#include "settings/settings.h"
#include "tests/ilda/ildabuilder.h"
#include "tests/scene/heapcount.h"
#include "tests/scene/scenebytes.h"

using namespace heapcount;

namespace fs = std::filesystem;

namespace {

uint32_t U32At(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 |
           uint32_t{b[at + 3]} << 24;
}
int32_t I32At(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<int32_t>(U32At(b, at));
}
float F32At(const std::vector<uint8_t>& b, size_t at) {
    const uint32_t bits = U32At(b, at);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

std::vector<uint8_t> ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every message shown while it lives, and the hook put back afterwards.
class MessageLog {
public:
    struct Message {
        std::string text;
        int type;
        unsigned buttons;
    };
    MessageLog() {
        previous_ = SetMessageHook([this](const std::string& text, int type, unsigned buttons) {
            messages.push_back({text, type, buttons});
            return int{mrOk};
        });
    }
    ~MessageLog() { SetMessageHook(previous_); }
    std::vector<Message> messages;

private:
    MessageHook previous_;
};

class SceneFileTest : public testing::Test {
protected:
    static void SetUpTestSuite() { FillAngleTables(); }
    void SetUp() override {
        char name[] = "/tmp/scenefile-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        dir_ = name;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    // A scene as the conversion builds it: one channel of type 1 loaded from an ILDA file whose
    // frames hold the given numbers of points.
    // A scene converted from frames of these point counts. A count of 0 may only come last: an
    // ILDA section of no points is no frame, so such frames are added to the loaded channel as
    // frames of one thing without vertices.
    static std::unique_ptr<CScene> ConvertedScene(const std::vector<uint16_t>& points) {
        IldaBuilder ild;
        const auto total = static_cast<uint16_t>(points.size());
        for (uint16_t i = 0; i < total; ++i)
            if (points[i] != 0)
                ild.Frame3D(points[i], i, total);
        ild.End(total);
        auto scene = std::make_unique<CScene>(DefaultSettings());
        CChannel* channel = scene->AddChannel();
        CIlda reader;
        reader.LoadBytes(ild.Data().data(), ild.Size(), channel, 1);
        for (size_t i = static_cast<size_t>(channel->FrameCount()); i < points.size(); ++i) {
            EXPECT_EQ(points[i], 0);
            (void)channel->AddFrame()->AddThing();
        }
        channel->type = 1;
        return scene;
    }

    std::vector<uint8_t> Save(CScene* scene, const std::string& name = "out.scn") {
        MessageLog log;
        const fs::path target = dir_ / name;
        EXPECT_TRUE(SaveSceneFile(scene, target.string()));
        EXPECT_TRUE(log.messages.empty());
        return ReadAll(target);
    }

    fs::path dir_;
};

TEST_F(SceneFileTest, ConvertedFileHasTheDocumentedLayout) {
    const std::vector<uint16_t> points = {3, 1, 5, 0};
    auto scene = ConvertedScene(points);
    ASSERT_EQ(scene->FirstChannel()->FrameCount(), 4);
    const std::vector<uint8_t> file = Save(scene.get());

    size_t expectedSize = 269 + 373;
    for (uint16_t k : points)
        expectedSize += 61 + 21 * size_t{k};
    EXPECT_EQ(file.size(), expectedSize);

    const std::vector<uint8_t> head = {0x53, 0x43, 0x4E, 0x37, 0x01, 0x00, 0x00, 0x00, 0x0D, 0x01,
                                       0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF};
    ASSERT_GE(file.size(), head.size());
    EXPECT_EQ(std::vector<uint8_t>(file.begin(), file.begin() + 20), head);
    EXPECT_EQ(I32At(file, 8), 269);
    EXPECT_EQ(I32At(file, 638), 4) << "frame count";

    // The channel record from byte 269: flags, then the fixed values this utility writes.
    const CChannel* c = scene->FirstChannel();
    EXPECT_EQ(file[269 + 5], c->run_wait_until_finished_flag ? 1 : 0);
    EXPECT_EQ(I32At(file, 269 + 21 + 21 * 4), c->laser_scan_speed);
    const size_t after = 269 + 21 + 29 * 4 + 4 + 8 * 4; // channel_flag
    EXPECT_EQ(file[after], 1);
    EXPECT_EQ(I32At(file, after + 1), 1) << "type";
    const size_t params = after + 9;
    const uint32_t one = 0x3F800000;
    const std::vector<uint32_t> paramWords = {0, 0, 0, one, one, one, 0, 0,
                                              0, 0, 0, 0,   one, 100, 0};
    for (size_t i = 0; i < paramWords.size(); ++i)
        EXPECT_EQ(U32At(file, params + 4 * i), paramWords[i]) << "param word " << i;
    EXPECT_EQ(U32At(file, params + 60), c->selected_colour);
    EXPECT_EQ(I32At(file, params + 64), 1) << "text_value_1";
    EXPECT_EQ(I32At(file, params + 68), 10);
    EXPECT_EQ(std::string(file.begin() + params + 72, file.begin() + params + 82), "Quick Text");
    EXPECT_EQ(U32At(file, params + 82), 0x0000FF00u);
    EXPECT_EQ(I32At(file, params + 86), 15);
    EXPECT_EQ(std::string(file.begin() + params + 90, file.begin() + params + 105),
              "Times New Roman");
    EXPECT_EQ(I32At(file, params + 105), 72);
    EXPECT_EQ(F32At(file, 638 - 8), -3900.0f) << "channel translation z";
    EXPECT_EQ(I32At(file, 638 - 4), 0) << "beam count";

    // First frame: identity matrix, one thing, no polys, three vertices, thing_flag 0.
    EXPECT_EQ(F32At(file, 642), 1.0f);
    EXPECT_EQ(F32At(file, 642 + 16), 1.0f);
    EXPECT_EQ(I32At(file, 690), 1) << "thing count";
    EXPECT_EQ(I32At(file, 694), 0) << "poly count";
    EXPECT_EQ(I32At(file, 698), 3) << "vertex count";
    const CVector* v = c->FirstFrame()->FirstThing()->FirstVertex();
    EXPECT_EQ(F32At(file, 702), v->x);
    EXPECT_EQ(F32At(file, 702), -30.0f); // ILDA -480 / 16
    EXPECT_EQ(F32At(file, 706), v->y);
    EXPECT_EQ(F32At(file, 710), v->z);
    EXPECT_EQ(U32At(file, 714), 0u) << "reserved";
    EXPECT_EQ(U32At(file, 718), PaletteColour(1, 0));
    EXPECT_EQ(file[722], 0) << "blank";
    EXPECT_EQ(file[702 + 3 * 21], 0) << "thing_flag";
}

// The writer packs vertices in runs straight into the output's 1 MiB buffer: a path of more
// vertices than the buffer holds crosses run and buffer boundaries, and a following frame starts
// in a part-filled buffer. Every record must still stand where the layout puts it.
TEST_F(SceneFileTest, VertexPathsLongerThanTheOutputBufferKeepEveryRecordInPlace) {
    CScene scene(DefaultSettings());
    CChannel* channel = scene.AddChannel();
    const std::vector<int> lengths = {60000, 3, 50000};
    for (const int length : lengths) {
        CThing* thing = channel->AddFrame()->AddThing();
        for (int i = 0; i < length; ++i)
            thing->AddVertex(float(i), float(-i), float(length), uint32_t(i * 7), uint8_t(i & 1))
                ->reserved = uint32_t(i);
    }
    const std::vector<uint8_t> file = Save(&scene);
    size_t expectedSize = 269 + 373;
    for (const int length : lengths)
        expectedSize += 61 + 21 * size_t(length);
    ASSERT_EQ(file.size(), expectedSize);

    size_t at = 269 + 373;
    for (const int length : lengths) {
        SCOPED_TRACE("frame of " + std::to_string(length));
        ASSERT_EQ(I32At(file, at + 56), length) << "vertex count";
        size_t record = at + 60;
        int wrong = 0;
        for (int i = 0; i < length; ++i, record += 21) {
            const bool right =
                F32At(file, record) == float(i) && F32At(file, record + 4) == float(-i) &&
                F32At(file, record + 8) == float(length) &&
                U32At(file, record + 12) == uint32_t(i) &&
                U32At(file, record + 16) == uint32_t(i * 7) && file[record + 20] == (i & 1);
            if (!right && wrong++ < 3)
                ADD_FAILURE() << "vertex " << i << " at byte " << record;
        }
        EXPECT_EQ(wrong, 0);
        EXPECT_EQ(file[record], 0) << "thing_flag";
        at = record + 1;
    }
}

TEST_F(SceneFileTest, SceneWithoutChannelsIs265Bytes) {
    CScene scene(DefaultSettings());
    const std::vector<uint8_t> file = Save(&scene);
    EXPECT_EQ(file.size(), 265u);
    EXPECT_EQ(I32At(file, 4), 0);
}

TEST_F(SceneFileTest, NameIsACountedTextThatShiftsEveryOffset) {
    auto scene = ConvertedScene({2});
    scene->name = "abc";
    scene->AddChannel()->type = 1; // a second channel, empty
    const std::vector<uint8_t> file = Save(scene.get());
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + 16, file.begin() + 23),
              (std::vector<uint8_t>{3, 0, 0, 0, 'a', 'b', 'c'}));
    EXPECT_EQ(I32At(file, 8), 276) << "8 + 8 bytes of table + 257 + 3";
    EXPECT_EQ(I32At(file, 12), 276 + 373 + 61 + 2 * 21);
    EXPECT_EQ(file.size(), size_t(276 + 373 + 61 + 2 * 21 + 373));
}

TEST_F(SceneFileTest, SavingReplacesAnExistingFile) {
    const fs::path target = dir_ / "laser.scn";
    std::ofstream(target, std::ios::binary) << std::string(5000, 'x');
    auto scene = ConvertedScene({1});
    ASSERT_TRUE(SaveSceneFile(scene.get(), target.string()));
    EXPECT_EQ(fs::file_size(target), size_t(269 + 373 + 61 + 21));
}

// Writing and reading move every field in the same order as the record tables give it.
TEST_F(SceneFileTest, Version7HeadersMatchTheRecordTablesFieldByField) {
    CScene fresh(DefaultSettings());
    CChannel* freshChannel = fresh.AddChannel();
    CScene source(DefaultSettings());
    CChannel* channel = source.AddChannel();

    SceneBytes expected;
    expected.Text("");
    RecordBuilder<CScene> sceneFields(source, fresh, 7, expected);
    BuildSceneFields(sceneFields);
    const size_t sceneFieldsEnd = expected.Size();
    SceneBytes channelBytes;
    RecordBuilder<CChannel> channelFields(*channel, *freshChannel, 7, channelBytes);
    BuildChannelFields(channelFields, channelBytes, *channel, "Hello", "Arial");

    const std::vector<uint8_t> file = Save(&source);
    ASSERT_EQ(sceneFieldsEnd, 4u + 4 + 29 + 168);
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + 12, file.begin() + 12 + sceneFieldsEnd),
              expected.Data());
    const size_t channelAt = static_cast<size_t>(I32At(file, 8));
    ASSERT_EQ(channelAt, 269u);
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + channelAt,
                                   file.begin() + channelAt + channelBytes.Size()),
              channelBytes.Data());

    CScene read(DefaultSettings());
    std::string error;
    ASSERT_TRUE(LoadSceneFile(std::span<const uint8_t>(file), &read, 0, &error)) << error;
    EXPECT_EQ(sceneFields.Check(read), "");
    ASSERT_EQ(read.ChannelCount(), 1);
    EXPECT_EQ(channelFields.Check(*read.FirstChannel()), "");
    EXPECT_STREQ(read.FirstChannel()->text, "Hello");
    EXPECT_STREQ(read.FirstChannel()->font_name, "Arial");
}

TEST_F(SceneFileTest, RoundTripKeepsPolysBeamsValuesAndEveryVertex) {
    CScene scene(DefaultSettings());
    scene.name = "show one";
    scene.value_list = {7, -1, 2147483647};
    BuildTransform(1.5f, -2.0f, 3.25f, 100, 200, 300, &scene.transform);
    CChannel* a = scene.AddChannel();
    a->AddBeam()->value_a = 5;
    CBeam* b = a->AddBeam();
    b->value_b = -9;
    b->beam_colour = 0x00010203;
    a->type = 3;
    a->param_14 = -0.5f;
    std::snprintf(a->text, sizeof a->text, "%s", std::string(259, 'T').c_str());
    for (int f = 0; f < 3; ++f) {
        CFrame* frame = a->AddFrame();
        BuildTransform(0, 0, float(f), 0, 0, f * 10, &frame->transform);
        CThing* thing = frame->AddThing();
        thing->thing_flag = static_cast<uint8_t>(f);
        CPoly* square = thing->AddPoly();
        (void)square->AddVertex(0, 0, 5, 0x0000FF, 0);
        (void)square->AddVertex(1, 0, 5, 0x00FF00, 1);
        (void)square->AddVertex(0, 1, 5, 0xFF0000, 0);
        square->two_sided = 1;
        CPoly* line = thing->AddPoly();
        (void)line->AddVertex(2, 2, 2, 1, 0);
        (void)line->AddVertex(3, 3, 3, 2, 0);
        for (int i = 0; i < 10 + f; ++i)
            thing->AddVertex(float(i), float(-i), 0.5f, uint32_t(i), uint8_t(i & 1))->reserved =
                uint32_t(i * 3);
        (void)frame->AddThing(); // an empty second thing
    }
    CChannel* empty = scene.AddChannel();
    empty->laser_scan_speed = 42;

    const std::vector<uint8_t> file = Save(&scene);
    CScene read(DefaultSettings());
    std::string error;
    ASSERT_TRUE(LoadSceneFile(std::span<const uint8_t>(file), &read, 0, &error)) << error;

    EXPECT_EQ(read.name, "show one");
    EXPECT_EQ(read.value_list, scene.value_list);
    EXPECT_EQ(std::memcmp(read.transform.rotation, scene.transform.rotation, 36), 0);
    EXPECT_EQ(read.transform.translation.z, 3.25f);
    ASSERT_EQ(read.ChannelCount(), 2);
    const CChannel* ra = read.FirstChannel();
    ASSERT_EQ(ra->beams.size(), 2u);
    EXPECT_EQ(ra->beams[0]->value_a, 5);
    EXPECT_EQ(ra->beams[1]->value_b, -9);
    EXPECT_EQ(ra->beams[1]->beam_colour, 0x00010203u);
    EXPECT_EQ(ra->type, 3);
    EXPECT_EQ(ra->param_14, -0.5f);
    EXPECT_EQ(std::string(ra->text), std::string(259, 'T'));
    ASSERT_EQ(ra->FrameCount(), 3);
    int f = 0;
    for (CFrame *rf = ra->FirstFrame(), *sf = a->FirstFrame(); rf && sf;
         rf = rf->Next(false), sf = sf->Next(false), ++f) {
        SCOPED_TRACE("frame " + std::to_string(f));
        EXPECT_EQ(std::memcmp(&rf->transform.rotation, &sf->transform.rotation, 36), 0);
        EXPECT_EQ(rf->transform.translation.z, float(f));
        ASSERT_EQ(rf->ThingCount(), 2);
        CThing* rt = rf->FirstThing();
        CThing* st = sf->FirstThing();
        EXPECT_EQ(rt->thing_flag, f);
        ASSERT_EQ(rt->PolyCount(), 2);
        CPoly* rp = rt->FirstPoly();
        EXPECT_EQ(rp->two_sided, 1);
        EXPECT_EQ(rp->VertexCount(), 3);
        EXPECT_FLOAT_EQ(rp->normal.z, 1.0f) << "plane recomputed after reading";
        EXPECT_FLOAT_EQ(rp->distance, 5.0f);
        CPoly* rl = rp->Next(false);
        EXPECT_EQ(rl->VertexCount(), 2);
        EXPECT_EQ(rl->normal.x, 0.0f);
        EXPECT_EQ(rl->distance, 0.0f);
        ASSERT_EQ(rt->VertexCount(), st->VertexCount());
        for (CVector *rv = rt->FirstVertex(), *sv = st->FirstVertex(); rv && sv;
             rv = rv->Next(false), sv = sv->Next(false)) {
            EXPECT_EQ(rv->x, sv->x);
            EXPECT_EQ(rv->y, sv->y);
            EXPECT_EQ(rv->z, sv->z);
            EXPECT_EQ(rv->reserved, sv->reserved);
            EXPECT_EQ(rv->colour, sv->colour);
            EXPECT_EQ(rv->blank, sv->blank);
            EXPECT_EQ(rv->thing, rt);
        }
        EXPECT_EQ(rt->Next(false)->VertexCount(), 0);
    }
    EXPECT_EQ(read.FirstChannel()->Next(false)->laser_scan_speed, 42);
    EXPECT_EQ(read.FirstChannel()->Next(false)->FrameCount(), 0);

    // Written again, the model read gives the same bytes.
    EXPECT_EQ(Save(&read, "again.scn"), file);
}

// Files of older versions: every field the version has is read into its own member, every
// field it lacks keeps its constructed value, and the old scan speed is converted below 6.
class SceneVersionTest : public SceneFileTest, public testing::WithParamInterface<int> {};

TEST_P(SceneVersionTest, ReadsTheFieldsOfItsVersionAndSkipsTheRest) {
    const int version = GetParam();
    CScene fresh(DefaultSettings());
    CChannel* freshChannel = fresh.AddChannel();
    CScene source(DefaultSettings());
    CChannel* channel = source.AddChannel();

    SceneBytes bytes;
    bytes.Raw({'S', 'C', 'N', static_cast<uint8_t>('0' + version)}).I32(1).I32(0);
    bytes.Text("old");
    RecordBuilder<CScene> sceneFields(source, fresh, version, bytes);
    RecordBuilder<CChannel> channelFields(*channel, *freshChannel, version, bytes);
    if (version < 6) {
        // Old files always had both outputs on, and kept the scan speed on a 0-512 scale.
        sceneFields.Override("output_laser_flag", 0, 1)
            .Override("output_video_flag", 0, 1)
            .Override("laser_scan_speed", 256, 9);
        channelFields.Override("laser_scan_speed", 512, 99);
    }
    BuildSceneFields(sceneFields);
    bytes.Matrix(0, 0, 0).I32(1).I32(-5); // value list of one
    bytes.PatchI32(8, static_cast<int32_t>(bytes.Size()));
    BuildChannelFields(channelFields, bytes, *channel, "Quick", "Courier");
    bytes.Matrix(0, 0, -3900.0f).I32(1).I32(3).I32(4).Put(uint32_t{0x00ABCDEF}); // one beam
    bytes.I32(1);                                                                // one frame
    bytes.Matrix().I32(1).I32(0).I32(1); // one thing, no polys, one vertex
    bytes.Put(1.0f).Put(2.0f).Put(3.0f).Put(uint32_t{0}).Put(uint32_t{0xFF}).Put(uint8_t{1});
    bytes.Put(uint8_t{0});

    CScene read(DefaultSettings());
    std::string error;
    ASSERT_TRUE(LoadSceneFile(std::span<const uint8_t>(bytes.Data()), &read, 0, &error)) << error;
    ASSERT_EQ(read.ChannelCount(), 1);
    EXPECT_EQ(sceneFields.Check(read), "");
    EXPECT_EQ(channelFields.Check(*read.FirstChannel()), "");
    EXPECT_EQ(read.name, "old");
    EXPECT_EQ(read.value_list, std::vector<int32_t>{-5});
    const CChannel* c = read.FirstChannel();
    EXPECT_STREQ(c->text, "Quick");
    EXPECT_STREQ(c->font_name, "Courier");
    ASSERT_EQ(c->beams.size(), 1u);
    EXPECT_EQ(c->beams[0]->beam_colour, 0x00ABCDEFu);
    ASSERT_EQ(c->FrameCount(), 1);
    const CVector* v = c->FirstFrame()->FirstThing()->FirstVertex();
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->z, 3.0f);
    EXPECT_EQ(v->colour, 0xFFu);
    EXPECT_EQ(v->blank, 1);
    if (version < 5) {
        EXPECT_EQ(c->text_float_1, 1.0f);
    }
    if (version < 7) {
        EXPECT_EQ(c->laser_colour_skew, freshChannel->laser_colour_skew);
    }
}

INSTANTIATE_TEST_SUITE_P(Versions, SceneVersionTest, testing::Range(1, 8),
                         [](const testing::TestParamInfo<int>& info) {
                             return "v" + std::to_string(info.param);
                         });

TEST(ScanSpeedConversion, OldScaleMapsOntoTheRateTable) {
    const struct {
        int32_t old;
        int32_t index;
    } rows[] = {{-100, 0}, {0, 0}, {1, 0}, {256, 9}, {511, 88}, {512, 99}, {9999, 99}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.old);
        EXPECT_EQ(ConvertOldScanSpeed(row.old), row.index);
    }
}

TEST_F(SceneFileTest, OldScanSpeedsAreConvertedOnlyBelowVersion6) {
    const struct {
        int version;
        int32_t stored;
        int32_t read;
    } rows[] = {{5, 0, 0}, {5, 256, 9}, {5, 512, 99}, {1, 256, 9}, {6, 256, 256}, {7, 512, 512}};
    for (const auto& row : rows) {
        SCOPED_TRACE("version " + std::to_string(row.version) + " speed " +
                     std::to_string(row.stored));
        // The routines write an older version's layout too when given its number.
        CScene source(DefaultSettings());
        source.laser_scan_speed = row.stored;
        source.AddChannel()->laser_scan_speed = row.stored;
        COutputFile out((dir_ / "v.scn").string());
        ASSERT_TRUE(out.Open());
        CSceneStream stream(out);
        const char magic[4] = {'S', 'C', 'N', static_cast<char>('0' + row.version)};
        ASSERT_TRUE(stream.Write(magic, 4));
        ASSERT_TRUE(SerializeScene(&source, stream, true, row.version, 0));
        ASSERT_TRUE(out.Commit());
        CScene read(DefaultSettings());
        std::string error;
        ASSERT_TRUE(LoadSceneFile((dir_ / "v.scn").string(), &read, 0, &error)) << error;
        EXPECT_EQ(read.laser_scan_speed, row.read);
        ASSERT_EQ(read.ChannelCount(), 1);
        EXPECT_EQ(read.FirstChannel()->laser_scan_speed, row.read);
    }
}

TEST_F(SceneFileTest, FrameLimitBoundsEachChannelOnItsOwn) {
    CScene scene(DefaultSettings());
    for (int frames : {5, 3}) {
        CChannel* c = scene.AddChannel();
        for (int f = 0; f < frames; ++f)
            (void)c->AddFrame()->AddThing()->AddVertex(float(f), 0, 0, 0, 0);
    }
    const std::vector<uint8_t> file = Save(&scene);
    CScene read(DefaultSettings());
    ASSERT_TRUE(LoadSceneFile(std::span<const uint8_t>(file), &read, 2));
    ASSERT_EQ(read.ChannelCount(), 2);
    EXPECT_EQ(read.FirstChannel()->FrameCount(), 2);
    EXPECT_EQ(read.FirstChannel()->LastFrame()->FirstThing()->FirstVertex()->x, 1.0f);
    EXPECT_EQ(read.FirstChannel()->Next(false)->FrameCount(), 2);

    CScene readTen(DefaultSettings());
    ASSERT_TRUE(LoadSceneFile(std::span<const uint8_t>(file), &readTen, 10));
    EXPECT_EQ(readTen.FirstChannel()->FrameCount(), 5);
    EXPECT_EQ(readTen.FirstChannel()->Next(false)->FrameCount(), 3);
}

// What a broken file does to the reader: every case fails with a reason, reads nothing outside
// the bytes (the sanitizer build checks) and allocates nothing sized by the bad value.
TEST_F(SceneFileTest, BrokenFilesFailCleanly) {
    CScene scene(DefaultSettings());
    CChannel* channel = scene.AddChannel();
    (void)channel->AddBeam();
    CThing* thing = channel->AddFrame()->AddThing();
    (void)thing->AddPoly()->AddVertex(1, 2, 3, 4, 0);
    (void)thing->AddVertex(1, 2, 3, 4, 0);
    const std::vector<uint8_t> valid = Save(&scene);
    // Offsets of the counts in this file.
    const size_t channelCount = 4, offsetTable = 8, name = 12;
    const size_t valueCount = 12 + 257 - 4;
    const size_t channelAt = 269;
    const size_t text = channelAt + 250;
    const size_t font = text + 4 + 10 + 4;
    const size_t beamCount = channelAt + 365;
    const size_t frameCount = beamCount + 4 + 12;
    const size_t thingCount = frameCount + 4 + 48;
    const size_t polyCount = thingCount + 4;
    const size_t polyVertexCount = polyCount + 4;
    const size_t vertexCount = polyVertexCount + 4 + 21 + 1;
    ASSERT_EQ(I32At(valid, frameCount), 1);
    ASSERT_EQ(I32At(valid, polyVertexCount), 1);
    ASSERT_EQ(I32At(valid, vertexCount), 1);
    ASSERT_EQ(I32At(valid, text), 10);
    ASSERT_EQ(I32At(valid, font), 15);
    ASSERT_EQ(valid.size(), vertexCount + 4 + 21 + 1);

    const struct {
        const char* name;
        size_t at;
        int32_t value;
        const char* reason;
    } rows[] = {
        {"negative channel count", channelCount, -1, "negative"},
        {"huge channel count", channelCount, INT32_MAX, "past the end"},
        {"negative channel offset", offsetTable, -4, "negative"},
        {"channel offset beyond the end", offsetTable, 1 << 30, "beyond the end"},
        {"channel offset at the end", offsetTable, static_cast<int32_t>(valid.size()), "end of"},
        {"name longer than the file", name, 5000, "past the end"},
        {"negative name length", name, -2, "negative"},
        {"negative value count", valueCount, -1, "negative"},
        {"huge value count", valueCount, 1 << 28, "past the end"},
        {"text length 260", text, 260, "text length 260"},
        {"negative text length", text, -1, "text length -1"},
        {"font name length 300", font, 300, "font_name length 300"},
        {"negative beam count", beamCount, -3, "negative"},
        {"huge beam count", beamCount, 100000, "past the end"},
        {"negative frame count", frameCount, -1, "negative"},
        {"huge frame count", frameCount, INT32_MAX, "past the end"},
        {"huge thing count", thingCount, 1 << 20, "past the end"},
        {"huge poly count", polyCount, INT32_MIN, "negative"},
        {"poly vertex count one too many", polyVertexCount, 3, "past the end"},
        {"huge vertex count", vertexCount, INT32_MAX, "past the end"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<uint8_t> bytes = valid;
        for (int i = 0; i < 4; ++i)
            bytes[row.at + i] = static_cast<uint8_t>(static_cast<uint32_t>(row.value) >> (8 * i));
        CScene read(DefaultSettings());
        std::string error;
        largestAllocation = 0;
        watchAllocations = true;
        const bool ok = LoadSceneFile(std::span<const uint8_t>(bytes), &read, 0, &error);
        watchAllocations = false;
        EXPECT_FALSE(ok);
        EXPECT_NE(error.find(row.reason), std::string::npos) << error;
        EXPECT_LT(largestAllocation.load(), size_t{4096}) << "allocation sized by a bad count";
    }

    // Two channels whose offsets point at the same record: the file cannot hold them both.
    {
        SCOPED_TRACE("overlapping channels");
        CScene two(DefaultSettings());
        CThing* full = two.AddChannel()->AddFrame()->AddThing();
        for (int i = 0; i < 30; ++i)
            (void)full->AddVertex(float(i), 0, 0, 0, 0);
        (void)two.AddChannel();
        std::vector<uint8_t> twoFile = Save(&two, "two.scn");
        const int32_t first = I32At(twoFile, 8);
        for (int i = 0; i < 4; ++i)
            twoFile[12 + i] = static_cast<uint8_t>(static_cast<uint32_t>(first) >> (8 * i));
        CScene read(DefaultSettings());
        std::string error;
        EXPECT_FALSE(LoadSceneFile(std::span<const uint8_t>(twoFile), &read, 0, &error));
        EXPECT_NE(error.find("overlap"), std::string::npos) << error;
    }

    // Every cut of the valid file fails, and the whole file reads.
    for (size_t size = 0; size < valid.size(); ++size) {
        CScene read(DefaultSettings());
        std::string error;
        ASSERT_FALSE(LoadSceneFile(std::span<const uint8_t>(valid.data(), size), &read, 0, &error))
            << "cut at " << size;
        ASSERT_FALSE(error.empty());
    }
    CScene read(DefaultSettings());
    EXPECT_TRUE(LoadSceneFile(std::span<const uint8_t>(valid), &read));

    // Not a scene file.
    for (const std::string magic : {"SCN8", "SCN0", "scn7", "ILDA"}) {
        std::vector<uint8_t> bytes = valid;
        std::copy(magic.begin(), magic.end(), bytes.begin());
        CScene other(DefaultSettings());
        std::string error;
        EXPECT_FALSE(LoadSceneFile(std::span<const uint8_t>(bytes), &other, 0, &error)) << magic;
        EXPECT_NE(error.find("not a scene file"), std::string::npos);
    }
}

TEST_F(SceneFileTest, HugeVertexCountInATinyFileFailsBeforeAllocating) {
    // A thing record as the reader meets it: no polys, 2^31 - 1 vertices claimed, 92 bytes left.
    SceneBytes thing;
    thing.I32(0).I32(INT32_MAX).Raw(std::vector<uint8_t>(92, 0));
    ASSERT_EQ(thing.Size(), 100u);
    CScene scene(DefaultSettings());
    CThing* target = scene.AddChannel()->AddFrame()->AddThing();
    CSceneStream stream{std::span<const uint8_t>(thing.Data())};
    largestAllocation = 0;
    watchAllocations = true;
    const bool ok = SerializeThing(target, stream, false);
    watchAllocations = false;
    EXPECT_FALSE(ok);
    EXPECT_EQ(target->VertexCount(), 0) << "nothing created for a count the file cannot hold";
    EXPECT_LT(largestAllocation.load(), size_t{1024});
    EXPECT_NE(stream.Error().find("past the end"), std::string::npos) << stream.Error();
}

TEST_F(SceneFileTest, UnwritableTargetIsReportedAsCannotSaveFile) {
    auto scene = ConvertedScene({1});
    MessageLog log;
    EXPECT_FALSE(SaveSceneFile(scene.get(), (dir_ / "missing" / "x.scn").string()));
    ASSERT_EQ(log.messages.size(), 1u);
    EXPECT_EQ(log.messages[0].text, "Cannot save file.");
    EXPECT_EQ(log.messages[0].type, mtError);
    EXPECT_EQ(log.messages[0].buttons, unsigned{mbOK});
    EXPECT_FALSE(SaveSceneFile(nullptr, (dir_ / "x.scn").string()));
    EXPECT_EQ(log.messages.size(), 2u);
    EXPECT_FALSE(fs::exists(dir_ / "x.scn"));
}

// Files whose counts make the model far larger than the bytes: records that cost a few bytes in
// the file and a large object in memory, repeated. Whether such a file loads or is refused, the
// read may not cost more than a small multiple of the file's size.
TEST_F(SceneFileTest, ReadingCostsNoMoreThanASmallMultipleOfTheFileSize) {
    const int copies = 200000;
    struct Row {
        const char* name;
        void (*build)(CThing* thing, CChannel* channel, int copies);
        bool loads; // a file a real scene could be: it must still load
    } rows[] = {
        {"empty polys (5 bytes each)",
         [](CThing* thing, CChannel*, int n) {
             for (int i = 0; i < n; ++i)
                 (void)thing->AddPoly();
         },
         false},
        {"empty things (9 bytes each)",
         [](CThing*, CChannel* channel, int n) {
             CFrame* frame = channel->LastFrame();
             for (int i = 0; i < n; ++i)
                 (void)frame->AddThing();
         },
         true},
        {"empty frames (52 bytes each)",
         [](CThing*, CChannel* channel, int n) {
             for (int i = 0; i < n / 4; ++i)
                 (void)channel->AddFrame();
         },
         true},
        {"lone vertices (21 bytes each)",
         [](CThing* thing, CChannel*, int n) {
             for (int i = 0; i < n; ++i)
                 (void)thing->AddVertex(float(i % 2000), 0, 0, 0, 0);
         },
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<uint8_t> bytes;
        {
            CScene crafted(DefaultSettings());
            CChannel* channel = crafted.AddChannel();
            CThing* thing = channel->AddFrame()->AddThing();
            row.build(thing, channel, copies);
            bytes = Save(&crafted, "crafted.scn");
        }
        ASSERT_GT(bytes.size(), 1000000u);
        const long long before = liveHeapBytes.load();
        peakHeapBytes = before;
        long long cost = 0;
        bool loaded = false;
        std::string error;
        {
            CScene read(DefaultSettings());
            loaded = LoadSceneFile(std::span<const uint8_t>(bytes), &read, 0, &error);
            // The pool keeps its vertex blocks until the scene goes.
            cost = peakHeapBytes.load() - before + static_cast<long long>(VertexPoolHeldBytes());
        }
        EXPECT_EQ(loaded, row.loads) << error;
        if (!loaded) {
            EXPECT_NE(error.find("needs more memory than a file of"), std::string::npos) << error;
        }
        EXPECT_LE(cost, 12 * static_cast<long long>(bytes.size()) + (4 << 20))
            << "a " << bytes.size() << "-byte file took " << cost << " bytes to read";
    }
}

// What is not a regular file is refused at once, not waited for or read without end. Run in a
// child process with an alarm, so that a reader that blocks fails the test instead of hanging.
TEST_F(SceneFileTest, OnlyARegularFileIsRead) {
    ASSERT_EQ(::mkfifo((dir_ / "pipe.scn").c_str(), 0600), 0);
    fs::create_directory(dir_ / "folder.scn");
    const struct {
        const char* name;
        fs::path path;
    } rows[] = {
        {"FIFO without a writer", dir_ / "pipe.scn"},
        {"endless device", "/dev/zero"},
        {"directory", dir_ / "folder.scn"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::alarm(5);
#if !defined(__SANITIZE_ADDRESS__) // the sanitizer reserves more address space than this
            const rlimit memory{1u << 30, 1u << 30};
            ::setrlimit(RLIMIT_AS, &memory);
#endif
            CScene scene(DefaultSettings());
            std::string error;
            const bool loaded = LoadSceneFile(row.path.string(), &scene, 0, &error);
            ::_exit(!loaded && error == "not a regular file" ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << (WIFSIGNALED(status) ? strsignal(WTERMSIG(status)) : "wrong result or reason");
    }
}

// A save that runs out of room for real: a child process under a small file size limit.
TEST_F(SceneFileTest, FailedSaveLeavesThePreviousTargetByteForByte) {
    const fs::path target = dir_ / "laser.scn";
    auto previousScene = ConvertedScene({4, 4});
    const std::vector<uint8_t> previous = Save(previousScene.get(), "laser.scn");
    ASSERT_FALSE(previous.empty());

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {
            64 * 1024, 64 * 1024
        };
        ::setrlimit(RLIMIT_FSIZE, &limit);
        // About 2 MB: past the output buffer, so writes fail while the file is being written.
        auto big = ConvertedScene(std::vector<uint16_t>(50, 2000));
        int messages = 0;
        bool right = true;
        SetMessageHook([&](const std::string& text, int type, unsigned buttons) {
            ++messages;
            right = right && text == "Cannot save file." && type == mtError && buttons == mbOK;
            return int{mrOk};
        });
        const bool saved = SaveSceneFile(big.get(), target.string());
        ::_exit(saved ? 10 : (messages == 1 && right ? 0 : 11));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "10: reported success; 11: wrong or missing message";
    EXPECT_EQ(ReadAll(target), previous);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), 1) << "a temporary file remains";
}

} // namespace
