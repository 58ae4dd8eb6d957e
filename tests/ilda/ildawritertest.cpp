#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <linux/fs.h>
#include <set>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ilda/cilda.h"
#include "ilda/colourpalettes.h"
#include "model/cframe.h"
#include "model/cpoly.h"
#include "model/cthing.h"
#include "settings/settings.h"
#include "tests/ilda/ildabuilder.h"
#include "tests/ilda/ildatesthelpers.h"

namespace fs = std::filesystem;

namespace {

class IldaWriterTest : public IldaTest {
protected:
    // Saves the channel to `name` in the scratch directory and returns the file's bytes.
    std::string SaveAndRead(CChannel* channel, int palette, const std::string& name = "out.ild") {
        CIlda ilda;
        MessageRecorder recorder;
        const size_t descriptors = OpenDescriptorCount();
        EXPECT_TRUE(ilda.Save((dir_ / name).string(), channel, palette));
        EXPECT_TRUE(recorder.messages.empty());
        EXPECT_EQ(OpenDescriptorCount(), descriptors);
        return Read(dir_ / name);
    }

    // The 8-byte record at `index` of the section starting at `section`.
    static std::string Record(const std::string& file, size_t section, size_t index) {
        return file.substr(section + 32 + index * 8, 8);
    }
    static std::string Words(uint16_t x, uint16_t y, uint16_t z, uint16_t status) {
        IldaBuilder b;
        b.Word(x).Word(y).Word(z).Word(status);
        return b.String();
    }
};

// Sets or clears the file system's immutable flag; false when that is not possible here.
bool SetImmutable(const fs::path& path, bool on) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

} // namespace

TEST_F(IldaWriterTest, TwoFrameFileSavedAgainByteForByte) {
    IldaBuilder source;
    source.Header(0, 3, 0, 2, "ORIGINAL", "SOMEONE")
        .Point3D(-32768, 32767, 0, 0x4000)
        .Point3D(160, -160, 16, 0x0038)
        .Point3D(17, -17, -1, 0x0000);
    source.Header(0, 4, 1, 2, "SECOND", "SOMEONE")
        .Point3D(0, 0, 0, 0x0010)
        .Point3D(320, 320, 320, 0x0018)
        .Point3D(-320, 0, 0, 0x4028)
        .Point3D(0, 0, 0, 0x8038);
    source.End(2);
    const fs::path in = dir_ / "in.ild";
    Put(in, source.Data());

    CChannel* channel = NewChannel();
    CIlda ilda;
    ASSERT_TRUE(ilda.Load(in.string(), channel, 1));
    ASSERT_TRUE(ilda.Save((dir_ / "out.ild").string(), channel, 1));
    const std::string out = Read(dir_ / "out.ild");

    // Coordinates come back as multiples of 16 (rounded down), colours through palette 1,
    // blanked points with index 0, the last record of each frame with the last-point bit.
    IldaBuilder expected;
    expected.Header(0, 3, 0, 2, "FRAME", "ZEV")
        .Point3D(-32768, 32752, 0, 0x4000)
        .Point3D(160, -160, 16, 0x0038)
        .Point3D(16, -32, -16, 0x8000);
    expected.Header(0, 4, 1, 2, "FRAME", "ZEV")
        .Point3D(0, 0, 0, 0x0010)
        .Point3D(320, 320, 320, 0x0018)
        .Point3D(-320, 0, 0, 0x4000)
        .Point3D(0, 0, 0, 0x8038);
    expected.Header(0, 0, 2, 2, "END", "ZEV");
    EXPECT_EQ(out.size(), 152u);
    EXPECT_EQ(out, expected.String());
    EXPECT_EQ(out.substr(8, 16), "FRAME   ZEV     ");
    EXPECT_EQ(out.substr(128, 24), std::string("END     ZEV     \0\0\0\x02\0\x02\0\0", 24));
}

TEST_F(IldaWriterTest, PointRecords) {
    struct Row {
        const char* name;
        float x, y, z;
        uint32_t colour;
        uint8_t blank;
        int palette;
        std::string record;
    };
    const Row rows[] = {
        {"extremes", 2047.0f, -2048.0f, -1.0f, 0x00FFFFFF, 0, 1, Words(0x7FF0, 0x8000, 0xFFF0, 56)},
        {"truncated towards zero", -0.5f, 1.9f, -1.9f, 0x000000FF, 0, 1, Words(0, 16, 0xFFF0, 0)},
        {"wraps in 16 bits", 2048.0f, 4096.0f, -2049.0f, 0, 0, 2, Words(0x8000, 0, 0x7FF0, 0)},
        {"blanked, nearest to black", 5.0f, 0, 0, 0x00FFFFFF, 1, 1, Words(0x0050, 0, 0, 0x4038)},
        {"blanked black", 0, 0, 0, 0, 1, 1, Words(0, 0, 0, 0x4000)},
        {"x29 white", 0, 0, 0, 0x00FFFFFF, 0, 2, Words(0, 0, 0, 14)},
        {"pangolin white", 0, 0, 0, 0x00FFFFFF, 0, 0, Words(0, 0, 0, 1)},
        {"top byte ignored", 0, 0, 0, 0xAA0000FF, 0, 2, Words(0, 0, 0, 2)},
        {"not a number", std::numeric_limits<float>::quiet_NaN(), 1e30f, -1e30f, 0, 0, 1,
         Words(0, 0xFFF0, 0, 0)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CChannel* channel = NewChannel();
        CThing* thing = channel->AddFrame()->AddThing();
        ASSERT_NE(thing->AddVertex(row.x, row.y, row.z, row.colour, row.blank), nullptr);
        // Two points, so the first record carries no last-point bit.
        ASSERT_NE(thing->AddVertex(0, 0, 0, 0, 1), nullptr);
        const std::string out = SaveAndRead(channel, row.palette);
        ASSERT_EQ(out.size(), 32u + 16u + 32u);
        EXPECT_EQ(Record(out, 0, 0), row.record);
    }
}

TEST_F(IldaWriterTest, PolysAreClosedOutlinesAfterABlankedMove) {
    CChannel* channel = NewChannel();
    CFrame* frame = channel->AddFrame();
    CThing* thing = frame->AddThing();
    CPoly* poly = thing->AddPoly();
    ASSERT_NE(poly->AddVertex(1, 2, 3, 0x000000FF, 0), nullptr);     // A, red
    ASSERT_NE(poly->AddVertex(4, 5, 6, 0x0000FF00, 0), nullptr);     // B, green
    ASSERT_NE(poly->AddVertex(7, 8, 9, 0x00FF0000, 1), nullptr);     // C, blanked
    (void)thing->AddPoly();                                          // empty: nothing written
    ASSERT_NE(thing->AddVertex(-1, -2, -3, 0x00FFFFFF, 0), nullptr); // a free vertex after
    CThing* second = frame->AddThing();
    ASSERT_NE(second->AddVertex(10, 10, 10, 0x000000FF, 0), nullptr);
    EXPECT_EQ(frame->PointCount(), 7);

    const std::string out = SaveAndRead(channel, 1);
    ASSERT_EQ(out.size(), 32u + 7u * 8u + 32u);
    EXPECT_EQ(out.substr(24, 6), std::string("\0\x07\0\0\0\x01", 6));
    EXPECT_EQ(Record(out, 0, 0), Words(16, 32, 48, 0x4000));         // A blanked
    EXPECT_EQ(Record(out, 0, 1), Words(16, 32, 48, 0));              // A
    EXPECT_EQ(Record(out, 0, 2), Words(64, 80, 96, 24));             // B
    EXPECT_EQ(Record(out, 0, 3), Words(112, 128, 144, 0x4000 | 40)); // C: blanked, blue
    EXPECT_EQ(Record(out, 0, 4), Words(16, 32, 48, 0));              // back to A
    EXPECT_EQ(Record(out, 0, 5), Words(0xFFF0, 0xFFE0, 0xFFD0, 56));
    EXPECT_EQ(Record(out, 0, 6), Words(160, 160, 160, 0x8000));
}

TEST_F(IldaWriterTest, EmptyChannelsAndFrames) {
    CChannel* none = NewChannel();
    IldaBuilder endOnly;
    endOnly.Header(0, 0, 0, 0, "END", "ZEV");
    EXPECT_EQ(SaveAndRead(none, 1), endOnly.String());

    // A section of no records closes a file, so a frame without points (no thing, a thing
    // without vertices, only empty polys) is one blanked point at the origin, coloured as any
    // blanked point: the entry nearest to black, index 0 in these palettes. It reads back as a
    // frame of that one point, between lit frames too.
    for (const int palette : {1, 2}) {
        SCOPED_TRACE("palette " + std::to_string(palette));
        CChannel* hollow = NewChannel();
        (void)hollow->AddFrame();
        (void)hollow->AddFrame()->AddThing();
        ASSERT_NE(hollow->AddFrame()->AddThing()->AddVertex(1, 2, 3, 0x00FFFFFF, 0), nullptr);
        (void)hollow->AddFrame()->AddThing()->AddPoly();
        for (CFrame* frame = hollow->FirstFrame(); frame != nullptr; frame = frame->next)
            EXPECT_EQ(frame->PointCount(), 1) << "frame " << frame->Index();
        IldaBuilder expected;
        expected.Header(0, 1, 0, 4, "FRAME", "ZEV").Point3D(0, 0, 0, 0xC000);
        expected.Header(0, 1, 1, 4, "FRAME", "ZEV").Point3D(0, 0, 0, 0xC000);
        expected.Header(0, 1, 2, 4, "FRAME", "ZEV")
            .Point3D(16, 32, 48, palette == 1 ? 0x8038 : 0x800E);
        expected.Header(0, 1, 3, 4, "FRAME", "ZEV").Point3D(0, 0, 0, 0xC000);
        expected.Header(0, 0, 4, 4, "END", "ZEV");
        const std::string out = SaveAndRead(hollow, palette);
        EXPECT_EQ(out, expected.String());

        CChannel* back = NewChannel();
        CIlda reader;
        ASSERT_TRUE(reader.LoadBytes(reinterpret_cast<const uint8_t*>(out.data()), out.size(), back,
                                     palette));
        EXPECT_EQ(VertexCounts(back), (std::vector<int>{1, 1, 1, 1}));
        const CVector* origin = back->FirstFrame()->FirstThing()->FirstVertex();
        EXPECT_EQ(origin->x, 0.0f);
        EXPECT_EQ(origin->y, 0.0f);
        EXPECT_EQ(origin->z, 0.0f);
        EXPECT_EQ(origin->blank, 1);
    }
}

// A section's count has 16 bits. A frame of more points could only be written with a count that
// overflowed, which readers of the standard take for a few points (and `check` names as an
// error), or split into frames that are not there: such a channel is not written at all, and the
// report names the frame.
TEST_F(IldaWriterTest, FramesOfMorePointsThanASectionHoldsAreNotWritten) {
    struct Row {
        const char* name;
        // Points of each frame: free vertices, or (negative) one poly of that many vertices,
        // which is written with a blanked move before and a closing point after it.
        std::vector<int> frames;
        const char* message; // empty: written
    };
    const Row rows[] = {
        {"65,535 free vertices", {65535}, ""},
        {"65,536 free vertices",
         {65536},
         "Cannot open Ilda file. Frame 1 holds 65536 points, more than the 65535 an ILDA frame "
         "can hold."},
        {"70,000 after a small frame",
         {3, 70000, 2},
         "Cannot open Ilda file. Frame 2 holds 70000 points, more than the 65535 an ILDA frame "
         "can hold."},
        {"a poly of 65,533 vertices", {-65533}, ""},
        {"a poly of 65,534 vertices",
         {-65534},
         "Cannot open Ilda file. Frame 1 holds 65536 points, more than the 65535 an ILDA frame "
         "can hold."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CChannel* channel = NewChannel();
        for (const int points : row.frames) {
            CThing* thing = channel->AddFrame()->AddThing();
            ASSERT_NE(thing, nullptr);
            CPoly* poly = points < 0 ? thing->AddPoly() : nullptr;
            for (int i = 0; i < std::abs(points); ++i) {
                const auto x = static_cast<float>(i % 4000 - 2000);
                ASSERT_NE(poly != nullptr ? poly->AddVertex(x, 1, 2, 0x0000FF, 0)
                                          : thing->AddVertex(x, 1, 2, 0x0000FF, 0),
                          nullptr);
            }
        }
        const fs::path target = dir_ / "out.ild";
        Put(target, std::string("kept"));
        MessageRecorder recorder;
        CIlda ilda;
        const bool saved = ilda.Save(target.string(), channel, 1);
        const std::vector<uint8_t> bytes = CIlda().SaveBytes(channel, 1);
        if (*row.message == '\0') {
            EXPECT_TRUE(saved);
            EXPECT_TRUE(recorder.messages.empty());
            EXPECT_EQ(Read(target), std::string(bytes.begin(), bytes.end()));
            CChannel* back = NewChannel();
            CIlda reader;
            ASSERT_TRUE(reader.Load(target.string(), back, 1));
            EXPECT_EQ(back->FrameCount(), static_cast<int>(row.frames.size()));
            EXPECT_EQ(back->FirstFrame()->PointCount(), channel->FirstFrame()->PointCount());
            continue;
        }
        EXPECT_FALSE(saved);
        ASSERT_EQ(recorder.messages.size(), 1u);
        EXPECT_EQ(recorder.messages[0].text, row.message);
        EXPECT_EQ(recorder.messages[0].type, mtInformation);
        EXPECT_EQ(recorder.messages[0].buttons, static_cast<unsigned>(mbOK));
        EXPECT_EQ(Read(target), "kept");
        EXPECT_EQ(EntryCount(), 1u); // no temporary file left beside it
        EXPECT_TRUE(bytes.empty());
    }
}

TEST_F(IldaWriterTest, LoadSaveLoadKeepsFramesPointsAndBlanking) {
    IldaBuilder source;
    for (uint16_t f = 0; f < 6; ++f)
        source.Frame3D(static_cast<uint16_t>(50 + f * 37), f, 6);
    source.End(6);
    source.Header(1, 3, 0, 1).Point2D(800, -800, 0x4001).Point2D(0, 0, 2).Point2D(5, 5, 3);
    source.End(1);
    const fs::path in = dir_ / "in.ild";
    Put(in, source.Data());
    for (int palette = 0; palette < PaletteCount; ++palette) {
        SCOPED_TRACE("palette " + std::to_string(palette));
        CChannel* first = NewChannel();
        CIlda ilda;
        ASSERT_TRUE(ilda.Load(in.string(), first, palette));
        ASSERT_EQ(VertexCounts(first), (std::vector<int>{50, 87, 124, 161, 198, 235, 3}));
        ASSERT_TRUE(ilda.Save((dir_ / "out.ild").string(), first, palette));
        CChannel* second = NewChannel();
        CIlda again;
        ASSERT_TRUE(again.Load((dir_ / "out.ild").string(), second, palette));
        ASSERT_EQ(VertexCounts(second), VertexCounts(first));
        for (CFrame *a = first->FirstFrame(), *b = second->FirstFrame(); a != nullptr;
             a = a->next, b = b->next) {
            for (CVector *u = a->FirstThing()->FirstVertex(), *v = b->FirstThing()->FirstVertex();
                 u != nullptr; u = u->next, v = v->next) {
                ASSERT_EQ(u->x, v->x);
                ASSERT_EQ(u->y, v->y);
                ASSERT_EQ(u->z, v->z);
                ASSERT_EQ(u->blank, v->blank);
                ASSERT_EQ(u->colour, v->colour);
            }
        }
        // Saving the reloaded channel gives the same file again.
        CIlda third;
        ASSERT_TRUE(third.Save((dir_ / "again.ild").string(), second, palette));
        EXPECT_EQ(Read(dir_ / "again.ild"), Read(dir_ / "out.ild"));
    }
}

// A frame number has 16 bits. Numbered on from 0 again, the frame of a longer channel that
// says total - 1 looks like the end of its sequence, and a reader passes over the one after it.
TEST_F(IldaWriterTest, ChannelsOfMoreFramesThanANumberHoldsAreReadBackWhole) {
    struct Case {
        int frames;
        uint16_t lastNumber;
        uint16_t total;
    };
    for (const Case& c :
         {Case{65535, 65534, 65535}, Case{65536, 65534, 65535}, Case{70000, 65534, 65535}}) {
        SCOPED_TRACE(c.frames);
        CChannel* channel = NewChannel();
        for (int f = 0; f < c.frames; ++f)
            (void)channel->AddFrame()->AddThing()->AddVertex(float(f % 100), 0, 0, 0, 0);
        CIlda writer;
        const std::vector<uint8_t> bytes = writer.SaveBytes(channel, 1);
        constexpr size_t kSection = 32 + 8;
        ASSERT_EQ(bytes.size(), kSection * size_t(c.frames) + 32);
        const auto word = [&bytes](size_t at) { return uint16_t(bytes[at] << 8 | bytes[at + 1]); };
        const size_t last = kSection * size_t(c.frames - 1);
        EXPECT_EQ(word(last + 26), c.lastNumber);
        EXPECT_EQ(word(last + 28), c.total);
        // No earlier frame says total - 1.
        for (int f = 0; f + 1 < c.frames; ++f)
            ASSERT_NE(word(kSection * size_t(f) + 26), uint16_t(c.total - 1)) << "frame " << f;

        CChannel* again = NewChannel();
        CIlda reader;
        ASSERT_TRUE(reader.LoadBytes(bytes.data(), bytes.size(), again, 1));
        ASSERT_EQ(again->FrameCount(), c.frames);
        // Frames in their order, none passed over: frame f reads back as frame f % 100 does.
        std::vector<float> xs;
        for (CFrame* frame = again->FirstFrame(); frame != nullptr; frame = frame->next)
            xs.push_back(frame->FirstThing()->FirstVertex()->x);
        ASSERT_EQ(std::set<float>(xs.begin(), xs.begin() + 100).size(), 100u);
        for (int f = 100; f < c.frames; ++f)
            ASSERT_EQ(xs[size_t(f)], xs[size_t(f % 100)]) << "frame " << f;
    }
}

TEST_F(IldaWriterTest, ResavingOverItsOwnSource) {
    const fs::path path = dir_ / "self.ild";
    Put(path, IldaBuilder().Frame3D(9, 0, 1).End(1).Data());
    CChannel* channel = NewChannel();
    CIlda ilda;
    ASSERT_TRUE(ilda.Load(path.string(), channel, 1));
    ASSERT_TRUE(ilda.Save(path.string(), channel, 1));
    CChannel* back = NewChannel();
    CIlda reread;
    ASSERT_TRUE(reread.Load(path.string(), back, 1));
    EXPECT_EQ(VertexCounts(back), std::vector<int>{9});
    EXPECT_EQ(EntryCount(), 1u);
}

TEST_F(IldaWriterTest, TargetsThatCannotBeWritten) {
    fs::create_directory(dir_ / "taken.ild");
    struct Row {
        const char* name;
        fs::path path;
    };
    const Row rows[] = {
        {"missing directory", dir_ / "no such directory" / "out.ild"},
        {"target is a directory", dir_ / "taken.ild"},
        {"directory is a file", dir_ / "file.ild" / "out.ild"},
    };
    Put(dir_ / "file.ild", std::string("kept"));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CChannel* channel = NewChannel();
        ASSERT_NE(channel->AddFrame()->AddThing()->AddVertex(1, 1, 1, 0, 0), nullptr);
        MessageRecorder recorder;
        CIlda ilda;
        EXPECT_FALSE(ilda.Save(row.path.string(), channel, 1));
        ASSERT_EQ(recorder.messages.size(), 1u);
        EXPECT_EQ(recorder.messages[0].text, "Cannot open Ilda file.");
        EXPECT_EQ(recorder.messages[0].type, mtInformation);
        EXPECT_EQ(recorder.messages[0].buttons, static_cast<unsigned>(mbOK));
    }
    EXPECT_TRUE(fs::is_directory(dir_ / "taken.ild"));
    EXPECT_TRUE(fs::is_empty(dir_ / "taken.ild"));
    EXPECT_EQ(Read(dir_ / "file.ild"), "kept");
    EXPECT_EQ(EntryCount(), 2u);
}

// For an ordinary user a file without write permission is read-only. Root writes such files,
// so for root the target is made immutable instead, which even root may not replace.
TEST_F(IldaWriterTest, ReadOnlyTargetKeepsItsBytes) {
    const fs::path path = dir_ / "locked.ild";
    Put(path, std::string("locked"));
    ::chmod(path.c_str(), 0444);
    const bool root = ::geteuid() == 0;
    if (root && !SetImmutable(path, true))
        GTEST_SKIP() << "root may write any file, and this file system has no immutable flag";
    CChannel* channel = NewChannel();
    ASSERT_NE(channel->AddFrame()->AddThing()->AddVertex(1, 1, 1, 0, 0), nullptr);
    MessageRecorder recorder;
    CIlda ilda;
    const bool saved = ilda.Save(path.string(), channel, 1);
    if (root)
        SetImmutable(path, false);
    EXPECT_FALSE(saved);
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].text, "Cannot open Ilda file.");
    EXPECT_EQ(Read(path), "locked");
    EXPECT_EQ(EntryCount(), 1u) << "no temporary file may stay behind";
}

// A save that fails part way for real: a child process under a file size limit re-saves a file
// over itself. The source must survive byte for byte and no temporary file may stay.
TEST_F(IldaWriterTest, SaveFailingHalfwayLeavesTheTargetAsItWas) {
    const fs::path path = dir_ / "show.ild";
    IldaBuilder source;
    for (uint16_t f = 0; f < 40; ++f)
        source.Frame3D(300, f, 40);
    source.End(40);
    Put(path, source.Data());
    const std::string before = Read(path);
    ASSERT_GT(before.size(), 64u * 1024u);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {
            32 * 1024, 32 * 1024
        };
        ::setrlimit(RLIMIT_FSIZE, &limit);
        FillAngleTables();
        int shown = 0;
        SetMessageHook([&shown](const std::string& text, int type, unsigned) {
            shown += text == "Cannot open Ilda file." && type == mtInformation;
            return static_cast<int>(mrOk);
        });
        CScene scene(DefaultSettings());
        CChannel* channel = scene.AddChannel();
        CIlda ilda;
        if (!ilda.Load(path.string(), channel, 1))
            ::_exit(3);
        const bool saved = ilda.Save(path.string(), channel, 1);
        ::_exit(saved ? 0 : (shown == 1 ? 5 : 4));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 5) << "the failed save must be reported and return false";
    EXPECT_EQ(Read(path), before);
    EXPECT_EQ(EntryCount(), 1u) << "no temporary file may stay behind";
}
