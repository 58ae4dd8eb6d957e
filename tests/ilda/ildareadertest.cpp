#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <span>
#include <sys/stat.h>
#include <unistd.h>

#include "ilda/cilda.h"
#include "ilda/colourpalettes.h"
#include "ilda/ildasections.h"
#include "tests/ilda/ildabuilder.h"
#include "tests/ilda/ildatesthelpers.h"
#include "tests/ilda/wildildafiles.h"
#include "tests/platform/unprivileged.h"

namespace fs = std::filesystem;

namespace {

class IldaReaderTest : public IldaTest {
protected:
    // Loads bytes from memory into a fresh channel.
    CChannel* LoadBytes(const std::vector<uint8_t>& bytes, int palette = 1) {
        CChannel* channel = NewChannel();
        CIlda ilda;
        EXPECT_TRUE(ilda.LoadBytes(bytes.data(), bytes.size(), channel, palette));
        return channel;
    }
    // Loads the same bytes through a file, the way the workflows do.
    CChannel* LoadFile(const std::vector<uint8_t>& bytes, int palette = 1) {
        const fs::path path = dir_ / "in.ild";
        Put(path, bytes);
        CChannel* channel = NewChannel();
        CIlda ilda;
        MessageRecorder recorder;
        EXPECT_TRUE(ilda.Load(path.string(), channel, palette));
        EXPECT_TRUE(recorder.messages.empty());
        return channel;
    }
};

} // namespace

TEST_F(IldaReaderTest, FramesOfASequenceWithAndWithoutClosingSection) {
    IldaBuilder closed;
    closed.Frame3D(3, 0, 3).Frame3D(5, 1, 3).Frame3D(2, 2, 3);
    IldaBuilder open = closed;
    closed.End(3);
    for (const auto* bytes : {&closed.Data(), &open.Data()}) {
        EXPECT_EQ(VertexCounts(LoadFile(*bytes)), (std::vector<int>{3, 5, 2}));
        EXPECT_EQ(VertexCounts(LoadBytes(*bytes)), (std::vector<int>{3, 5, 2}));
    }
    CChannel* channel = LoadBytes(closed.Data());
    for (CFrame* frame = channel->FirstFrame(); frame != nullptr; frame = frame->next) {
        EXPECT_EQ(frame->ThingCount(), 1);
        EXPECT_EQ(frame->FirstThing()->PolyCount(), 0);
    }
}

TEST_F(IldaReaderTest, DecodesPointRecords) {
    IldaBuilder b;
    b.Header(0, 4, 0, 1)
        .Point3D(32752, -32768, -1, 0x0001)
        .Point3D(-17, 15, 16, 0x4005)
        .Point3D(100, 200, 300, 0x0003)
        .Point3D(0, 0, 0, 0x3F38); // bits 8-13 are ignored: colour 0x38 = 56
    CChannel* p2 = LoadBytes(b.Data(), 2);
    const CVector* v = p2->FirstFrame()->FirstThing()->FirstVertex();
    EXPECT_EQ(v->x, 2047.0f);
    EXPECT_EQ(v->y, -2048.0f);
    EXPECT_EQ(v->z, -1.0f);
    EXPECT_EQ(v->blank, 0);
    EXPECT_EQ(v->colour, PaletteColour(2, 1));
    v = v->next;
    EXPECT_EQ(v->x, -2.0f); // rounded towards minus infinity
    EXPECT_EQ(v->y, 0.0f);
    EXPECT_EQ(v->z, 1.0f);
    EXPECT_EQ(v->blank, 1);
    EXPECT_EQ(v->colour, 0u);
    v = v->next;
    EXPECT_EQ(v->colour, 0x0000FFu); // palette 2 entry 3: red
    EXPECT_EQ(v->blank, 0);
    v = v->next;
    EXPECT_EQ(v->colour, PaletteColour(2, 56));
    EXPECT_EQ(v->next, nullptr);

    CChannel* p1 = LoadBytes(b.Data(), 1);
    EXPECT_EQ(p1->FirstFrame()->FirstThing()->FirstVertex()->next->next->colour,
              PaletteColour(1, 3));
}

TEST_F(IldaReaderTest, TwoDimensionalSectionsHaveZeroDepth) {
    IldaBuilder b;
    b.Header(1, 2, 0, 1).Point2D(-32768, 32767, 0x0002).Point2D(160, -160, 0x4000).End(1);
    CChannel* channel = LoadBytes(b.Data());
    const CVector* v = channel->FirstFrame()->FirstThing()->FirstVertex();
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->x, -2048.0f);
    EXPECT_EQ(v->y, 2047.0f);
    EXPECT_EQ(v->z, 0.0f);
    EXPECT_EQ(v->next->x, 10.0f);
    EXPECT_EQ(v->next->y, -10.0f);
    EXPECT_EQ(v->next->blank, 1);
    EXPECT_EQ(VertexCounts(channel), std::vector<int>{2});
}

TEST_F(IldaReaderTest, LargeSections) {
    IldaBuilder forty;
    forty.Frame3D(40000, 0, 1).End(1);
    EXPECT_EQ(VertexCounts(LoadFile(forty.Data())), std::vector<int>{40000});

    IldaBuilder full;
    full.Frame3D(65535, 0, 2).Frame3D(1, 1, 2);
    EXPECT_EQ(VertexCounts(LoadBytes(full.Data())), (std::vector<int>{65535, 1}));

    // A count of 65535 over a handful of records reads those and stops.
    IldaBuilder claimed;
    claimed.Header(0, 65535, 0, 1).Point3D(1, 2, 3, 0).Point3D(4, 5, 6, 0);
    EXPECT_EQ(VertexCounts(LoadBytes(claimed.Data())), std::vector<int>{2});
}

TEST_F(IldaReaderTest, DamagedAndForeignData) {
    IldaBuilder twoFrames;
    twoFrames.Frame3D(3, 0, 2).Frame3D(4, 1, 2);
    struct Row {
        const char* name;
        std::vector<uint8_t> bytes;
        std::vector<int> counts;
    };
    const Row rows[] = {
        {"empty file", {}, {0}},
        {"not ILDA", IldaBuilder().Bytes("Hello, this is no laser file at all.").Data(), {0}},
        {"magic in lower case",
         [] {
             IldaBuilder b;
             b.Frame3D(3, 0, 1);
             auto bytes = b.Data();
             bytes[0] = 'i';
             return bytes;
         }(),
         {0}},
        {"header cut off", IldaBuilder().Frame3D(3, 0, 2).Header(0, 4, 1, 2).Cut(1).Data(), {3}},
        {"lone short header", IldaBuilder().Header(0, 0, 0, 1).Cut(5).Data(), {0}},
        {"record cut off", IldaBuilder(twoFrames).Cut(1).Data(), {3, 3}},
        {"count larger than the records", IldaBuilder(twoFrames).Cut(16).Data(), {3, 2}},
        {"garbage after the closing section",
         IldaBuilder(twoFrames).End(2).Bytes("trailing junk").Data(),
         {3, 4}},
        // Bytes between frames belong to no section: the frames after them load.
        {"garbage between frames",
         IldaBuilder().Frame3D(3, 0, 2).Bytes("xx").Frame3D(4, 1, 2).Data(),
         {3, 4}},
        {"garbage between every frame and before the closing section",
         IldaBuilder()
             .Frame3D(3, 0, 3)
             .Bytes("ab")
             .Frame3D(4, 1, 3)
             .Bytes("ILD")
             .Frame3D(5, 2, 3)
             .Bytes(std::string(9, '\0'))
             .End(3)
             .Data(),
         {3, 4, 5}},
        // No later header: the frames read stay, and the bytes add nothing.
        {"garbage after the last frame",
         IldaBuilder(twoFrames).Bytes("no header follows, only ILD").Data(),
         {3, 4}},
        {"a header cut off after garbage",
         IldaBuilder(twoFrames).Bytes("xx").Header(0, 2, 2, 3).Cut(20).Data(),
         {3, 4}},
        // A count smaller than the records by no multiple of 65,536 is no overflow: its records
        // are the frame and the rest are passed over.
        {"records beyond the count",
         [] {
             IldaBuilder b;
             b.Header(0, 2, 0, 2);
             for (int16_t i = 0; i < 7; ++i)
                 b.Point3D(i, i, i, 1);
             return b.Frame3D(4, 1, 2).End(2).Data();
         }(),
         {2, 4}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(VertexCounts(LoadBytes(row.bytes)), row.counts);
        EXPECT_EQ(VertexCounts(LoadFile(row.bytes)), row.counts);
    }
}

// A writer that stores a frame's count modulo 65,536 leaves the records of the frame whole; where
// the counted ones end no header follows, and one (or the end of the data) follows a multiple of
// 65,536 records later. The frame is every record up to there.
TEST_F(IldaReaderTest, CountsThatOverflowed16BitsAreFollowedToTheNextHeader) {
    // `records` format-0 records counted as `records` mod 65,536; record i has x = 16 i mod 32768.
    const auto overflowed = [](IldaBuilder& b, int records) -> IldaBuilder& {
        b.Header(0, static_cast<uint16_t>(records), 0, 1);
        for (int i = 0; i < records; ++i)
            b.Point3D(static_cast<int16_t>((i % 2048) * 16), 0, 0, 1);
        return b;
    };
    struct Row {
        const char* name;
        std::function<void(IldaBuilder&)> build;
        std::vector<int> counts;
    };
    const Row rows[] = {
        {"a frame before a closing section",
         [&](IldaBuilder& b) { overflowed(b, 65536 + 3).End(1); },
         {65536 + 3}},
        {"a frame between frames",
         [&](IldaBuilder& b) {
             b.Frame3D(2, 0, 3);
             overflowed(b, 65536 + 3);
             b.Frame3D(5, 2, 3).End(3);
         },
         {2, 65536 + 3, 5}},
        {"the last frame, no closing section",
         [&](IldaBuilder& b) {
             b.Frame3D(2, 0, 2);
             overflowed(b, 65536 + 3);
         },
         {2, 65536 + 3}},
        {"twice over", [&](IldaBuilder& b) { overflowed(b, 2 * 65536 + 1).End(1); }, {131073}},
        {"a true-colour frame",
         [](IldaBuilder& b) {
             b.Header(5, 3, 0, 1);
             for (int i = 0; i < 65536 + 3; ++i)
                 b.Point2DTrueColour(0, static_cast<int16_t>(i % 100), 0, 255, 0, 0);
             b.Header(5, 0, 1, 1);
         },
         {65536 + 3}},
        // Neither a header nor the end a multiple of 65,536 records on: the count stands, and
        // the records after it are passed over up to the next header.
        {"stray bytes after the records",
         [&](IldaBuilder& b) { overflowed(b, 65536 + 3).Bytes("xx").Frame3D(4, 1, 2).End(2); },
         {3, 4}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        IldaBuilder b;
        row.build(b);
        EXPECT_EQ(VertexCounts(LoadBytes(b.Data())), row.counts);
        EXPECT_EQ(VertexCounts(LoadFile(b.Data())), row.counts);
    }

    // Every record in its place: the last of 65,539 is the one the data ends with.
    IldaBuilder b;
    overflowed(b, 65536 + 3);
    const CVector* last = nullptr;
    for (const CVector* v = LoadBytes(b.Data())->FirstFrame()->FirstThing()->FirstVertex();
         v != nullptr; v = v->next)
        last = v;
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->x, static_cast<float>((65538 % 2048) * 16 >> 4));
}

TEST_F(IldaReaderTest, EveryOtherFormatCodeIsPassedOver) {
    for (int code = 2; code <= 255; ++code) {
        if (code == 4 || code == 5)
            continue; // true colour, read
        SCOPED_TRACE("format " + std::to_string(code));
        IldaBuilder b;
        b.Header(code, 2, 0, 2);
        const int recordSize = IldaRecordSize(code) == 0 ? 8 : IldaRecordSize(code);
        for (int i = 0; i < 2 * recordSize; ++i)
            b.Byte(static_cast<uint8_t>(i));
        b.Frame3D(3, 1, 2).End(2);
        EXPECT_EQ(VertexCounts(LoadBytes(b.Data())), std::vector<int>{3});
    }
    // Only sections of foreign formats: one empty frame.
    IldaBuilder only;
    only.Header(3, 1, 0, 1).Point3D(1, 2, 3, 4).Byte(0).Byte(0).End(1);
    EXPECT_EQ(VertexCounts(LoadBytes(only.Data())), std::vector<int>{0});
}

TEST_F(IldaReaderTest, PaletteSectionIsSteppedOverByItsCount) {
    // Colour bytes that spell "ILDA" must not be taken for a header.
    IldaBuilder b;
    b.Header(2, 3, 0, 0, "PALETTE")
        .PaletteEntry('I', 'L', 'D')
        .PaletteEntry('A', 0, 0)
        .PaletteEntry(1, 2, 3)
        .Frame3D(4, 0, 1)
        .End(1);
    EXPECT_EQ(VertexCounts(LoadBytes(b.Data())), std::vector<int>{4});

    // A palette count beyond the data: the next "ILDA" is looked for instead.
    IldaBuilder overlong;
    overlong.Header(2, 1000, 0, 0).PaletteEntry(9, 9, 9).Frame3D(2, 0, 1);
    EXPECT_EQ(VertexCounts(LoadBytes(overlong.Data())), std::vector<int>{2});

    // A palette's numbers, like a frame's, select nothing: both frames after it are read.
    IldaBuilder numbered;
    numbered.Header(2, 1, 0, 1).PaletteEntry(9, 9, 9).Frame3D(2, 0, 1).Frame3D(5, 0, 1);
    EXPECT_EQ(VertexCounts(LoadBytes(numbered.Data())), (std::vector<int>{2, 5}));
}

TEST_F(IldaReaderTest, SequencesAndNumbering) {
    IldaBuilder two;
    two.Frame3D(1, 0, 2).Frame3D(2, 1, 2).End(2).Frame3D(3, 0, 2).Frame3D(4, 1, 2).End(2);
    EXPECT_EQ(VertexCounts(LoadBytes(two.Data())), (std::vector<int>{1, 2, 3, 4}));

    // Numbers select nothing: every section of points is a frame, a section of none is not.
    IldaBuilder zeros;
    zeros.Frame3D(2, 0, 0).Frame3D(3, 0, 0).Header(0, 0, 0, 0, "END");
    EXPECT_EQ(VertexCounts(LoadBytes(zeros.Data())), (std::vector<int>{2, 3}));

    // A section of no points between frames closes a sequence without ending the file.
    IldaBuilder closedTwice;
    closedTwice.Frame3D(2, 0, 1).End(1).End(1).Frame3D(3, 5, 2).Header(1, 0, 9, 9);
    closedTwice.Header(1, 2, 7, 3).Point2D(1, 1, 0).Point2D(2, 2, 0);
    EXPECT_EQ(VertexCounts(LoadBytes(closedTwice.Data())), (std::vector<int>{2, 3, 2}));

    // A true-colour section before indexed ones is read like them: every section is a frame.
    // (Passing format 5 over would leave out what most current show software writes.)
    IldaBuilder trueColourFirst;
    trueColourFirst.Header(5, 1, 0, 3).Point2DTrueColour(1, 2, 0, 255, 255, 255);
    trueColourFirst.Frame3D(2, 1, 3).Frame3D(3, 2, 3).End(3);
    EXPECT_EQ(VertexCounts(LoadBytes(trueColourFirst.Data())), (std::vector<int>{1, 2, 3}));
}

TEST_F(IldaReaderTest, TheLastPointBitEndsNothing) {
    // A font file of other show software: the last-point bit on the second of four records.
    IldaBuilder b;
    b.Header(0, 4, 0, 3)
        .Point3D(16, 16, 0, 0x0001)
        .Point3D(32, 32, 0, 0x8001)
        .Point3D(48, 48, 0, 0x0001)
        .Point3D(64, 64, 0, 0x8001);
    b.Frame3D(5, 1, 3);
    b.Header(1, 3, 2, 3).Point2D(1, 1, 0x8000).Point2D(2, 2, 0).Point2D(3, 3, 0x8000).End(3);
    CChannel* channel = LoadBytes(b.Data());
    EXPECT_EQ(VertexCounts(channel), (std::vector<int>{4, 5, 3}));
    const CVector* v = channel->FirstFrame()->FirstThing()->FirstVertex();
    for (const float x : {1.0f, 2.0f, 3.0f, 4.0f}) {
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(v->x, x);
        EXPECT_EQ(v->blank, 0);
        EXPECT_EQ(v->colour, PaletteColour(1, 1));
        v = v->next;
    }

    // A count beyond the data: the bit does not stop the section, the end of the data does.
    IldaBuilder cut;
    cut.Header(0, 4, 0, 1).Point3D(1, 1, 1, 0x8000).Point3D(2, 2, 2, 0).Point3D(3, 3, 3, 0x8000);
    EXPECT_EQ(VertexCounts(LoadBytes(cut.Data())), std::vector<int>{3});
}

// Files as other programs write them load with exactly the frames they hold: each point in its
// place, blanking and colour kept, no frame lost and none added.
TEST_F(IldaReaderTest, FilesOfOtherWritersLoadWhole) {
    // One file's load against its true frames; a failure ends only that check.
    const auto expectWhole = [](const CChannel* channel, const wildilda::File& file) {
        ASSERT_EQ(channel->FrameCount(), static_cast<int>(file.frames.size()));
        size_t f = 0;
        for (CFrame* frame = channel->FirstFrame(); frame != nullptr; frame = frame->next) {
            SCOPED_TRACE("frame " + std::to_string(f + 1));
            ASSERT_EQ(frame->ThingCount(), 1);
            const wildilda::Frame& truth = file.frames[f++];
            ASSERT_EQ(frame->FirstThing()->VertexCount(), static_cast<int>(truth.size()));
            const CVector* v = frame->FirstThing()->FirstVertex();
            for (const wildilda::Point& p : truth) {
                ASSERT_EQ(v->x, static_cast<float>(p.x >> 4));
                ASSERT_EQ(v->y, static_cast<float>(p.y >> 4));
                ASSERT_EQ(v->z, static_cast<float>(p.z >> 4));
                ASSERT_EQ(v->blank, p.blank ? 1 : 0);
                ASSERT_EQ(v->colour, p.blank ? 0u : PaletteColour(1, p.colour));
                v = v->next;
            }
        }
    };
    const auto colourOf = [](int i) { return PaletteColour(1, i); };
    std::vector<wildilda::File> files = wildilda::Files(colourOf);
    for (wildilda::File& file : wildilda::OverflowFiles(colourOf))
        files.push_back(std::move(file));
    for (const wildilda::File& file : files) {
        SCOPED_TRACE(file.name);
        expectWhole(LoadBytes(file.bytes, 1), file);
        expectWhole(LoadFile(file.bytes, 1), file);
    }
}

TEST_F(IldaReaderTest, SectionsWithoutPointsAddNoFrame) {
    struct Row {
        const char* name;
        std::vector<uint8_t> bytes;
        std::vector<int> counts;
    };
    const Row rows[] = {
        {"only a closing section", IldaBuilder().End(0).Data(), {0}},
        {"closing sections of every point format",
         IldaBuilder().Header(1, 0, 0, 0).Header(4, 0, 0, 0).Header(5, 0, 0, 0).End(0).Data(),
         {0}},
        {"a closing section first", IldaBuilder().End(0).Frame3D(3, 0, 1).End(1).Data(), {3}},
        {"an empty palette before the frame",
         IldaBuilder().Header(2, 0, 0, 0).Frame3D(3, 0, 0).Data(),
         {3}},
        {"a count with no whole record", IldaBuilder().Header(0, 2, 0, 1).Word(7).Data(), {0}},
        {"a cut section after a frame",
         IldaBuilder().Frame3D(3, 0, 2).Header(1, 2, 1, 2).Word(7).Data(),
         {3}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(VertexCounts(LoadBytes(row.bytes)), row.counts);
        EXPECT_EQ(VertexCounts(LoadFile(row.bytes)), row.counts);
    }
}

TEST_F(IldaReaderTest, FilesThatCannotBeOpened) {
    struct Row {
        const char* name;
        fs::path path;
    };
    fs::create_directory(dir_ / "a directory.ild");
    ASSERT_EQ(::mkfifo((dir_ / "pipe.ild").c_str(), 0600), 0);
    const Row rows[] = {
        {"missing", dir_ / "missing.ild"},
        {"directory", dir_ / "a directory.ild"},
        {"FIFO without a writer", dir_ / "pipe.ild"},
        {"inside a file", dir_ / "missing.ild" / "x.ild"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        MessageRecorder recorder;
        CChannel* channel = NewChannel();
        CIlda ilda;
        const size_t descriptors = OpenDescriptorCount();
        EXPECT_FALSE(ilda.Load(row.path.string(), channel, 1));
        ASSERT_EQ(recorder.messages.size(), 1u);
        EXPECT_EQ(recorder.messages[0].text, "Cannot open Ilda file.");
        EXPECT_EQ(recorder.messages[0].type, mtError);
        EXPECT_EQ(recorder.messages[0].buttons, static_cast<unsigned>(mbOK));
        EXPECT_EQ(VertexCounts(channel), std::vector<int>{0});
        EXPECT_EQ(OpenDescriptorCount(), descriptors);
    }
}

// Root reads any file, so the load runs as an ordinary user.
TEST_F(IldaReaderTest, UnreadableFileForOrdinaryUsers) {
    const fs::path path = dir_ / "locked.ild";
    Put(path, IldaBuilder().Frame3D(3, 0, 1).Data());
    ::chmod(path.c_str(), 0);
    ::chmod(dir_.c_str(), 0755);
    EXPECT_EQ(RunAsOrdinaryUser([&] {
                  MessageRecorder recorder;
                  CIlda ilda;
                  const bool loaded = ilda.Load(path.string(), NewChannel(), 1);
                  const bool reported = recorder.messages.size() == 1 &&
                                        recorder.messages[0].text == "Cannot open Ilda file.";
                  return !loaded && reported ? 0 : 1;
              }),
              0);
}

// Files whose size says more than a read gives: kernel attribute files report a whole page.
// Only the bytes actually read may count as data.
TEST_F(IldaReaderTest, ShortReadEndsTheDataAtTheBytesRead) {
    const char* candidates[] = {"/sys/kernel/mm/transparent_hugepage/enabled",
                                "/sys/kernel/profiling", "/sys/power/state"};
    for (const char* candidate : candidates) {
        struct stat info {};
        if (::stat(candidate, &info) != 0 || !S_ISREG(info.st_mode))
            continue;
        const std::string content = Read(candidate);
        if (content.empty() || static_cast<off_t>(content.size()) >= info.st_size)
            continue;
        CIlda ilda;
        ASSERT_TRUE(ilda.Load(candidate, NewChannel(), 1));
        const std::span<const uint8_t> input = ilda.Input();
        EXPECT_EQ(input.size(), content.size());
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(input.data()), content.size()),
                  content);
        return;
    }
    GTEST_SKIP() << "no file here reports more bytes than it holds";
}

// How far a load went: to the end of data that parses to its end (trailing bytes that are no
// header included), to the last whole record of a cut-off section, nowhere in data that does
// not start with a header; and the same through a file, whose bytes Input gives.
TEST_F(IldaReaderTest, ParsedBytesSaysWhereTheLoadStopped) {
    struct Row {
        const char* name;
        std::vector<uint8_t> bytes;
        size_t parsed;
    };
    const std::vector<uint8_t> whole = IldaBuilder().Frame3D(3, 0, 1).End(1).Data();
    std::vector<uint8_t> cut = IldaBuilder().Frame3D(4, 0, 1).Data();
    cut.resize(cut.size() - 5);
    const Row rows[] = {
        {"whole file", whole, whole.size()},
        {"bytes after the end", IldaBuilder().Frame3D(3, 0, 1).End(1).Bytes("junk").Data(),
         whole.size() + 4},
        {"section cut off", cut, 32 + 3 * 8},
        {"no header", IldaBuilder().Bytes("not an ILDA file").Data(), 0},
        {"no bytes", {}, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CIlda fromMemory;
        EXPECT_TRUE(fromMemory.LoadBytes(row.bytes.data(), row.bytes.size(), NewChannel(), 1));
        EXPECT_EQ(fromMemory.ParsedBytes(), row.parsed);
        EXPECT_TRUE(fromMemory.Input().empty());

        Put(dir_ / "in.ild", row.bytes);
        CIlda fromFile;
        ASSERT_TRUE(fromFile.Load((dir_ / "in.ild").string(), NewChannel(), 1));
        EXPECT_EQ(fromFile.ParsedBytes(), row.parsed);
        EXPECT_EQ(std::vector<uint8_t>(fromFile.Input().begin(), fromFile.Input().end()),
                  row.bytes);
        fromFile.ReleaseInput();
        EXPECT_EQ(fromFile.ParsedBytes(), 0u);
        EXPECT_TRUE(fromFile.Input().empty());
    }
}

TEST_F(IldaReaderTest, SectionListing) {
    IldaBuilder b;
    b.Header(2, 2, 0, 0, "PAL", "MAKER").PaletteEntry(1, 2, 3).PaletteEntry(4, 5, 6);
    b.Frame3D(3, 0, 2).Bytes("??").Header(1, 1, 1, 2, "SECOND").Point2D(0, 0, 0);
    b.Header(7, 9, 0, 0).Bytes("odd format").End(2).Header(0, 5, 0, 1).Point3D(0, 0, 0, 0);
    const auto sections = ListIldaSections(b.Data().data(), b.Size());
    ASSERT_EQ(sections.size(), 6u);
    EXPECT_EQ(sections[0].header.formatCode, 2);
    EXPECT_STREQ(sections[0].header.frameName, "PAL     ");
    EXPECT_STREQ(sections[0].header.companyName, "MAKER   ");
    EXPECT_EQ(sections[1].header.offset, 38u);
    EXPECT_EQ(sections[1].header.pointCount, 3);
    EXPECT_EQ(sections[1].header.totalFrames, 2);
    EXPECT_EQ(sections[1].strayBytes, 2u);
    EXPECT_EQ(sections[2].header.formatCode, 1);
    EXPECT_EQ(sections[2].header.frameNumber, 1);
    EXPECT_TRUE(sections[2].complete);
    EXPECT_EQ(sections[3].header.formatCode, 7);
    EXPECT_FALSE(sections[3].complete);
    EXPECT_STREQ(sections[4].header.frameName, "END     ");
    EXPECT_FALSE(sections[5].complete); // five records counted, one present
    EXPECT_TRUE(ListIldaSections(nullptr, 0).empty());
}

TEST_F(IldaReaderTest, TrueColourRecords) {
    // Each row: one record of the format, then a lit white record; the section counts two.
    struct Row {
        const char* name;
        int format;
        int palette;
        uint8_t status;
        uint8_t red, green, blue;
        bool blank;
        int colourIndex; // the palette entry a lit point takes
    };
    const Row rows[] = {
        {"lit", 5, 1, 0x00, 0xFF, 0x80, 0x00, false, 8},
        {"blanked bit", 5, 1, 0x40, 0xFF, 0x80, 0x00, true, 0},
        {"last-point bit", 5, 1, 0x80, 0xFF, 0x80, 0x00, false, 8},
        {"blanked last point", 4, 1, 0xC0, 0xFF, 0x80, 0x00, true, 0},
        {"other status bits ignored", 4, 1, 0x3F, 0xFF, 0x80, 0x00, false, 8},
        {"black lit is blanked", 5, 1, 0x00, 0, 0, 0, true, 0},
        {"black blanked", 4, 0, 0x40, 0, 0, 0, true, 0},
        {"almost black stays lit", 5, 0, 0x00, 0, 0, 1, false, 0},
        {"between two entries: the lower", 5, 1, 0x00, 0xFF, 0x08, 0x00, false, 0},
        {"pangolin white is entry 1, not 231", 4, 0, 0x00, 0xFF, 0xFF, 0xFF, false, 1},
        {"pangolin between 8 and 9", 5, 0, 0x00, 0xFF, 0x86, 0x80, false, 8},
        {"pangolin blue", 5, 0, 0x00, 0x00, 0x00, 0xFF, false, 6},
        {"x29 cyan", 4, 2, 0x00, 0x00, 0xFF, 0xFF, false, 16},
        {"x29 orange nearer yellow", 5, 2, 0x00, 0xFF, 0x80, 0x00, false, 4},
        {"x29 dark grey is its black, lit", 5, 2, 0x00, 0x20, 0x20, 0x20, false, 0},
        {"ilda pale red", 4, 1, 0x00, 0xFF, 0x20, 0x20, false, 63},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        IldaBuilder b;
        b.Header(row.format, 2, 0, 1);
        if (row.format == 4)
            b.Point3DTrueColour(-17, 32767, -32768, row.status, row.red, row.green, row.blue)
                .Point3DTrueColour(16, 16, 16, 0, 255, 255, 255);
        else
            b.Point2DTrueColour(-17, 32767, row.status, row.red, row.green, row.blue)
                .Point2DTrueColour(16, 16, 0, 255, 255, 255);
        CChannel* channel = LoadBytes(b.Data(), row.palette);
        // The last-point bit ends nothing: the section counts two records.
        ASSERT_EQ(VertexCounts(channel), std::vector<int>{2});
        const CVector* v = channel->FirstFrame()->FirstThing()->FirstVertex();
        EXPECT_EQ(v->x, -2.0f);
        EXPECT_EQ(v->y, 2047.0f);
        EXPECT_EQ(v->z, row.format == 4 ? -2048.0f : 0.0f);
        EXPECT_EQ(v->blank, row.blank ? 1 : 0);
        EXPECT_EQ(v->colour, row.blank ? 0u : PaletteColour(row.palette, row.colourIndex));
    }

    // The colour bytes in file order are blue, green, red: 00 00 FF is red.
    IldaBuilder raw;
    raw.Header(5, 1, 0, 1).Word(0).Word(0).Byte(0).Byte(0x00).Byte(0x00).Byte(0xFF);
    EXPECT_EQ(LoadBytes(raw.Data(), 2)->FirstFrame()->FirstThing()->FirstVertex()->colour,
              0x0000FFu);
}

TEST_F(IldaReaderTest, TrueColourSectionsFollowTheRulesOfIndexedOnes) {
    const auto frame5 = [](IldaBuilder& b, uint16_t points, uint16_t number,
                           uint16_t total) -> IldaBuilder& {
        b.Header(5, points, number, total);
        for (uint16_t i = 0; i < points; ++i)
            b.Point2DTrueColour(static_cast<int16_t>(i * 16), 0, 0, static_cast<uint8_t>(i * 40),
                                128, 255);
        return b;
    };
    struct Row {
        const char* name;
        std::vector<uint8_t> bytes;
        std::vector<int> counts;
    };
    IldaBuilder sequence;
    frame5(sequence, 3, 0, 3);
    frame5(sequence, 5, 1, 3);
    sequence.Header(4, 2, 2, 3)
        .Point3DTrueColour(0, 0, 160, 0, 1, 2, 3)
        .Point3DTrueColour(0, 0, -160, 0, 1, 2, 3)
        .End(3);
    IldaBuilder twoSequences;
    frame5(twoSequences, 2, 0, 1).End(1);
    frame5(twoSequences, 4, 0, 1).End(1);
    IldaBuilder earlyLast;
    earlyLast.Header(5, 4, 0, 2)
        .Point2DTrueColour(1, 1, 0, 9, 9, 9)
        .Point2DTrueColour(2, 2, 0x80, 9, 9, 9)
        .Point2DTrueColour(3, 3, 0, 9, 9, 9)
        .Point2DTrueColour(4, 4, 0x80, 9, 9, 9);
    frame5(earlyLast, 3, 1, 2).End(2);
    IldaBuilder lastBeyondData;
    lastBeyondData.Header(4, 9, 0, 2).Point3DTrueColour(1, 1, 1, 0x80, 9, 9, 9);
    frame5(lastBeyondData, 3, 1, 2);
    IldaBuilder cut;
    frame5(cut, 3, 0, 2);
    frame5(cut, 4, 1, 2).Cut(1);
    IldaBuilder mixed;
    frame5(mixed, 2, 0, 4);
    mixed.Frame3D(3, 1, 4).Header(1, 1, 2, 4).Point2D(0, 0, 0);
    frame5(mixed, 4, 3, 4).End(4);
    const Row rows[] = {
        {"sequence of formats 5 and 4", sequence.Data(), {3, 5, 2}},
        {"two sequences", twoSequences.Data(), {2, 4}},
        {"early last-point bit", earlyLast.Data(), {4, 3}},
        // Nine records counted: the next section's bytes are read as its records, as far as
        // whole ones go (66 bytes, six records).
        {"last-point bit, counted end beyond the data", lastBeyondData.Data(), {6}},
        {"format 5 record cut off", cut.Data(), {3, 3}},
        {"format 4 record cut by one byte", IldaBuilder(sequence).Cut(32 + 1).Data(), {3, 5, 1}},
        {"true colour and indexed sections mixed", mixed.Data(), {2, 3, 1, 4}},
        {"only a true-colour closing section", IldaBuilder().Header(5, 0, 0, 0, "END").Data(), {0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(VertexCounts(LoadBytes(row.bytes)), row.counts);
        EXPECT_EQ(VertexCounts(LoadFile(row.bytes)), row.counts);
    }

    CChannel* channel = LoadFile(sequence.Data(), 0);
    const CVector* v = channel->LastFrame()->FirstThing()->FirstVertex();
    EXPECT_EQ(v->z, 10.0f);
    EXPECT_EQ(v->next->z, -10.0f);
    for (CFrame* frame = channel->FirstFrame(); frame != nullptr; frame = frame->next) {
        EXPECT_EQ(frame->ThingCount(), 1);
        EXPECT_EQ(frame->FirstThing()->PolyCount(), 0);
    }
}
