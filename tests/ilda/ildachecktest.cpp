// CheckIlda: one fixture per kind of departure, built here, each checked for kind, severity,
// section, offset and the words that say what departs; and files that conform.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "ilda/cilda.h"
#include "ilda/colourpalettes.h"
#include "ilda/ildacheck.h"
#include "model/cchannel.h"
#include "model/cframe.h"
#include "model/cpoly.h"
#include "model/cthing.h"
#include "tests/ilda/ildabuilder.h"
#include "tests/ilda/ildatesthelpers.h"

namespace {

constexpr uint16_t kLast = 0x8000;
constexpr uint8_t kLastByte = 0x80;
using K = IldaDepartureKind;
using S = IldaSeverity;

// A frame as the standard writes it: `points` records in `format`, the last-point bit on the
// last one only.
IldaBuilder& Frame(IldaBuilder& b, int format, uint16_t points, uint16_t number, uint16_t total,
                   const std::string& name = "FRAME") {
    b.Header(format, points, number, total, name);
    for (uint16_t i = 0; i < points; ++i) {
        const bool last = i + 1 == points;
        const auto x = static_cast<int16_t>(i * 16);
        switch (format) {
        case 0:
            b.Point3D(x, -x, 0, static_cast<uint16_t>((last ? kLast : 0) | (i % 64)));
            break;
        case 1:
            b.Point2D(x, -x, static_cast<uint16_t>((last ? kLast : 0) | (i % 64)));
            break;
        case 4:
            b.Point3DTrueColour(x, -x, 16, last ? kLastByte : 0, 255, 0, 0);
            break;
        case 5:
            b.Point2DTrueColour(x, -x, last ? kLastByte : 0, 0, 255, 0);
            break;
        }
    }
    return b;
}

// A conforming sequence of `frames` frames of 2 points in `format`, closed in that format.
IldaBuilder& Sequence(IldaBuilder& b, int format, uint16_t frames) {
    for (uint16_t f = 0; f < frames; ++f)
        Frame(b, format, 2, f, frames);
    return b.Header(format, 0, frames, frames, "END");
}

struct Expected {
    K kind;
    S severity;
    size_t section;
    size_t offset;
    const char* words; // found in the text
};

struct CheckCase {
    const char* name;
    std::vector<uint8_t> bytes;
    std::vector<Expected> departures; // in the order CheckIlda gives them
};

std::vector<uint8_t> Patched(std::vector<uint8_t> bytes, size_t at, uint8_t value) {
    bytes.at(at) = value;
    return bytes;
}

std::vector<CheckCase> Cases() {
    std::vector<CheckCase> cases;
    const auto add = [&](const char* name, const IldaBuilder& b, std::vector<Expected> e) {
        cases.push_back({name, b.Data(), std::move(e)});
    };
    // Conforming files: nothing to say.
    for (int format : {0, 1, 4, 5}) {
        IldaBuilder b;
        Sequence(b, format, 3);
        add(format == 0   ? "conforming format 0"
            : format == 1 ? "conforming format 1"
            : format == 4 ? "conforming format 4"
                          : "conforming format 5",
            b, {});
    }
    {
        IldaBuilder b;
        Sequence(b, 0, 2);
        Sequence(b, 0, 1);
        add("two sequences, each closed", b, {});
    }
    {
        IldaBuilder b;
        Frame(b, 0, 1, 0, 1, std::string("AB\0\0\0\0\0\0", 8)).End(1);
        add("name padded with zeros", b, {});
    }
    {
        IldaBuilder b;
        b.End(0);
        add("only a closing section", b, {});
    }

    // Errors.
    {
        IldaBuilder b;
        b.Header(0, 4, 0, 1).Point3D(1, 1, 1, 0).Point3D(2, 2, 2, 0).Point3D(3, 3, 3, 0).Cut(3);
        add("section cut off", b,
            {{K::CutOff, S::Error, 1, 0,
              "section of 4 records cut off by the end of the data: 2 whole records present"}});
    }
    {
        IldaBuilder b;
        Frame(b, 0, 1, 0, 1).Bytes("ILDA").Bytes("0123456789");
        add("header cut off", b,
            {{K::CutOff, S::Error, 2, 40, "header cut off by the end of the data: 14 of its 32"}});
    }
    {
        // 65,539 records counted as 3: the count wrapped at 65,536.
        IldaBuilder b;
        b.Header(1, 3, 0, 1);
        for (int i = 0; i < 65539; ++i)
            b.Point2D(0, 0, i == 65538 ? kLast : 0);
        b.Header(1, 0, 1, 1, "END");
        add("count overflowed 16 bits", b,
            {{K::CountOverflow, S::Error, 1, 0,
              "point count says 3, but the next header follows 65539 records later"}});
    }
    {
        // The overflowed frame is the last one: its records run to the end of the data.
        IldaBuilder b;
        Frame(b, 1, 2, 0, 2);
        b.Header(1, 3, 1, 2);
        for (int i = 0; i < 65539; ++i)
            b.Point2D(0, 0, i == 65538 ? kLast : 0);
        add("count overflowed 16 bits in the last frame", b,
            {{K::CountOverflow, S::Error, 2, 44,
              "point count says 3, but the next header follows 65539 records later"},
             {K::NoClosingSection, S::Warning, 2, 44 + 32 + 6 * 65539, "no closing section"}});
    }
    {
        IldaBuilder b;
        b.Header(0, 5, 0, 1).Point3D(0, 0, 0, 0).Point3D(0, 0, 0, kLast).Point3D(0, 0, 0, 0);
        b.Point3D(0, 0, 0, kLast | 7).Point3D(0, 0, 0, kLast).End(1);
        add("last-point bit inside a section", b,
            {{K::EarlyLastPoint, S::Error, 1, 40,
              "last-point bit on 2 records before the last of 5: records 2, 4"}});
    }
    {
        IldaBuilder b;
        b.Header(5, 2, 0, 1).Point2DTrueColour(0, 0, kLastByte, 1, 2, 3);
        b.Point2DTrueColour(0, 0, kLastByte, 1, 2, 3).Header(5, 0, 1, 1);
        add("last-point bit in a true-colour section", b,
            {{K::EarlyLastPoint, S::Error, 1, 32, "record 1"}});
    }
    {
        IldaBuilder b;
        b.Header(3, 2, 0, 0).Bytes("0123456789abcdef");
        Sequence(b, 0, 1);
        add("format code 3", b,
            {{K::UnknownFormat, S::Error, 1, 0, "format code 3, which the standard does not"}});
    }
    {
        IldaBuilder b;
        Frame(b, 0, 2, 0, 1).Point3D(9, 9, 9, 0).End(1);
        add("record beyond the count", b,
            {{K::NotAHeader, S::Error, 1, 48,
              "8 bytes that are not an ILDA header where the next header should be"}});
    }
    {
        IldaBuilder b;
        b.Bytes("JUNK");
        Sequence(b, 0, 1);
        add("bytes before the first header", b,
            {{K::NotAHeader, S::Error, 0, 0, "4 bytes before the first ILDA header"}});
    }
    {
        IldaBuilder b;
        b.Bytes("not a laser file at all");
        add("no header at all", b, {{K::NotAHeader, S::Error, 0, 0, "no ILDA header in the 23"}});
    }
    add("no data", IldaBuilder(), {{K::NotAHeader, S::Error, 0, 0, "no data"}});

    // Warnings.
    {
        IldaBuilder b;
        b.Header(0, 3, 0, 1).Point3D(0, 0, 0, 1).Point3D(0, 0, 0, 2).Point3D(0, 0, 0, 3).End(1);
        add("no last-point bit", b,
            {{K::NoLastPoint, S::Warning, 1, 48,
              "no last-point bit on the last record (record 3)"}});
    }
    {
        IldaBuilder b;
        Frame(b, 0, 1, 1, 3);
        Frame(b, 0, 1, 2, 3);
        Frame(b, 0, 1, 3, 3).End(3);
        add("frames numbered from 1", b,
            {{K::FrameNumbers, S::Warning, 1, 0,
              "frame numbers count from 1 (1 ... 3), not from 0"}});
    }
    {
        IldaBuilder b;
        Frame(b, 0, 1, 0, 3);
        Frame(b, 0, 1, 1, 3);
        Frame(b, 0, 1, 1, 3).End(3);
        add("frame number repeated", b,
            {{K::FrameNumbers, S::Warning, 3, 80,
              "frame number 1 repeated (frame 3 of the 3 of this sequence)"}});
    }
    {
        IldaBuilder b;
        Frame(b, 0, 1, 0, 3);
        Frame(b, 0, 1, 1, 3);
        Frame(b, 0, 1, 7, 3).End(3);
        add("frame numbers jumping", b,
            {{K::FrameNumbers, S::Warning, 3, 80, "frame numbers jump from 1 to 7"}});
    }
    {
        IldaBuilder b;
        Frame(b, 0, 1, 0, 1);
        Frame(b, 0, 1, 1, 1).End(2);
        add("total frames too small", b,
            {{K::TotalFrames, S::Warning, 1, 0,
              "total frames says 1, but the sequence has 2 frames; 2 of its frames say other"}});
    }
    {
        IldaBuilder b;
        Frame(b, 0, 1, 0, 2);
        Frame(b, 0, 1, 1, 3).End(2);
        add("total frames of one frame", b,
            {{K::TotalFrames, S::Warning, 2, 40, "total frames says 3, but the sequence has 2"}});
    }
    {
        IldaBuilder b;
        Frame(b, 0, 1, 0, 1);
        add("no closing section", b,
            {{K::NoClosingSection, S::Warning, 1, 40,
              "no closing section (a header with no records) after the last frame"}});
    }
    {
        IldaBuilder b;
        Frame(b, 5, 1, 0, 1).End(1);
        add("closing section of another format", b,
            {{K::ClosingFormat, S::Warning, 2, 40,
              "closing section of format 0 after frames of format 5"}});
    }
    {
        IldaBuilder b;
        Sequence(b, 0, 1).Bytes("\r\n\x1a");
        add("bytes after the closing section", b,
            {{K::BytesAfterEnd, S::Warning, 2, 80, "3 bytes after the closing section"}});
    }
    {
        IldaBuilder b;
        Sequence(b, 0, 1);
        std::vector<uint8_t> bytes = Patched(b.Data(), 5, 0x01);
        bytes.at(48 + 31) = 0xFF; // in the closing section
        cases.push_back({"reserved bytes",
                         bytes,
                         {{K::ReservedBytes, S::Warning, 1, 5,
                           "reserved header bytes not zero: byte 5 is 0x01"},
                          {K::ReservedBytes, S::Warning, 2, 79, "byte 31 is 0xff"}}});
    }
    {
        IldaBuilder b;
        Frame(b, 0, 1, 0, 1, "\xe9t\xe9").End(1);
        add("name not ASCII", b,
            {{K::NameField, S::Warning, 1, 8,
              "frame name holds byte 0xe9 at position 1, which is not printable ASCII"}});
    }
    {
        IldaBuilder b;
        Sequence(b, 0, 1);
        cases.push_back({"company name with text after its zero",
                         Patched(Patched(b.Data(), 16 + 3, 0), 16 + 4, 'x'),
                         {{K::NameField, S::Warning, 1, 20,
                           "company name holds byte 0x78 at position 5, after the zero"}}});
    }
    {
        IldaBuilder b;
        Sequence(b, 0, 1);
        Sequence(b, 1, 1);
        add("2D after 3D", b,
            {{K::MixedDimensions, S::Warning, 3, 80,
              "a 2D section (format 1) in a file whose first frame is 3D (format 0)"}});
    }

    // Notes.
    {
        IldaBuilder b;
        b.Header(2, 2, 0, 0, "PAL").PaletteEntry(255, 0, 0).PaletteEntry(0, 255, 0);
        Sequence(b, 0, 1);
        add("palette section", b,
            {{K::Palette, S::Note, 1, 0, "palette section of 2 colours, not used"}});
    }
    {
        IldaBuilder b;
        Frame(b, 0, 1, 0, 2);
        Frame(b, 4, 1, 1, 2);
        b.Header(4, 0, 2, 2);
        add("formats 0 and 4 in one sequence", b,
            {{K::MixedFormats, S::Note, 2, 40,
              "a section of format 4 in a sequence that began in format 0"}});
    }
    return cases;
}

TEST(IldaCheck, EachKindShowsWhereItIs) {
    for (const CheckCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        const std::vector<IldaDeparture> found = CheckIlda(c.bytes.data(), c.bytes.size());
        ASSERT_EQ(found.size(), c.departures.size());
        for (size_t i = 0; i < found.size(); ++i) {
            const Expected& e = c.departures[i];
            SCOPED_TRACE(found[i].text);
            EXPECT_EQ(IldaKindInfo(found[i].kind).word, IldaKindInfo(e.kind).word);
            EXPECT_EQ(found[i].Severity(), e.severity);
            EXPECT_EQ(found[i].section, e.section);
            EXPECT_EQ(found[i].offset, e.offset);
            EXPECT_NE(found[i].text.find(e.words), std::string::npos);
        }
    }
}

TEST(IldaCheck, EveryKindHasAFixtureAndAWordOfItsOwn) {
    std::set<std::string> shown;
    for (const CheckCase& c : Cases())
        for (const Expected& e : c.departures)
            shown.insert(IldaKindInfo(e.kind).word);
    std::set<std::string> words;
    for (const IldaDepartureKindInfo& kind : IldaDepartureKinds()) {
        EXPECT_TRUE(words.insert(kind.word).second) << kind.word;
        EXPECT_EQ(&IldaKindInfo(kind.kind), &kind) << kind.word;
        EXPECT_TRUE(shown.count(kind.word)) << "no fixture shows " << kind.word;
    }
}

TEST(IldaCheck, CountsBySeverity) {
    IldaBuilder b;
    b.Header(2, 1, 0, 0).PaletteEntry(1, 2, 3);
    b.Header(0, 2, 1, 1).Point3D(0, 0, 0, kLast).Point3D(0, 0, 0, 0).Cut(1);
    const IldaDepartureCounts counts = CountDepartures(CheckIlda(b.Data().data(), b.Data().size()));
    EXPECT_EQ(counts.errors, 2u); // cut off, last-point bit on record 1
    EXPECT_EQ(counts.warnings, 0u);
    EXPECT_EQ(counts.notes, 1u);
}

// Sequences longer than the 16-bit fields count: the numbering the header promises passes, a
// count that runs on to 65,534 and 65,535 before the last frame does not.
TEST(IldaCheck, SequencesOfMoreThan65535Frames) {
    constexpr int kFrames = 65537;
    const auto build = [](bool pinned) {
        IldaBuilder b;
        for (int i = 0; i < kFrames; ++i) {
            int number = i;
            if (pinned)
                number = i == kFrames - 1 ? 65534 : std::min(i, 65533);
            b.Header(1, 1, static_cast<uint16_t>(number), 65535).Point2D(0, 0, kLast);
        }
        return b.Header(1, 0, 65535, 65535, "END");
    };
    const IldaBuilder pinned = build(true);
    EXPECT_TRUE(CheckIlda(pinned.Data().data(), pinned.Size()).empty());

    const IldaBuilder counting = build(false);
    const std::vector<IldaDeparture> found = CheckIlda(counting.Data().data(), counting.Size());
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].kind, K::FrameNumbers);
    EXPECT_EQ(found[0].section, 65535u);
    EXPECT_EQ(found[0].offset, 65534u * 38);
    EXPECT_NE(found[0].text.find("jump from 65533 to 65534"), std::string::npos);
}

} // namespace

namespace {

// What the writer makes of a channel, for every palette, has nothing to depart from the
// standard: empty frames, single points, outlines, and channels longer than the frame fields
// count.
class WrittenFilesTest : public IldaTest {};

struct ChannelCase {
    const char* name;
    // Frames, each a list of points; a frame with a negative count has one thing without
    // vertices, a frame of 0 none.
    std::vector<int> pointsPerFrame;
    bool outline = false; // the first frame also holds a poly of three vertices
};

void Fill(CChannel* channel, const ChannelCase& c) {
    static constexpr uint32_t kColours[] = {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF, 0x123456};
    for (size_t f = 0; f < c.pointsPerFrame.size(); ++f) {
        CFrame* frame = channel->AddFrame();
        ASSERT_NE(frame, nullptr);
        const int points = c.pointsPerFrame[f];
        if (points == 0)
            continue;
        CThing* thing = frame->AddThing();
        ASSERT_NE(thing, nullptr);
        if (c.outline && f == 0) {
            CPoly* poly = thing->AddPoly();
            ASSERT_NE(poly, nullptr);
            for (int i = 0; i < 3; ++i)
                ASSERT_NE(poly->AddVertex(float(i * 100), float(-i * 50), 0.0f, kColours[i], 0),
                          nullptr);
        }
        for (int i = 0; i < points; ++i)
            ASSERT_NE(thing->AddVertex(float(i % 4096 - 2048), float(i % 7), float(-(i % 3)),
                                       kColours[i % 5], static_cast<uint8_t>(i % 9 == 0)),
                      nullptr);
    }
}

TEST_F(WrittenFilesTest, PassTheCheckWithNothingToSay) {
    std::vector<ChannelCase> cases = {
        {"one empty frame", {0}},
        {"a frame whose thing has no vertices", {-1}},
        {"empty frames between frames", {3, 0, -1, 2, 0}},
        {"one point", {1}},
        {"a poly and free vertices", {4}, true},
        {"a frame of 65,535 points", {65535}},
    };
    for (int frames : {65535, 65536, 65537}) {
        ChannelCase c{frames == 65535   ? "65,535 frames"
                      : frames == 65536 ? "65,536 frames"
                                        : "65,537 frames",
                      std::vector<int>(static_cast<size_t>(frames), 1)};
        c.pointsPerFrame[1] = 0; // an empty frame among them
        cases.push_back(c);
    }
    for (const ChannelCase& c : cases) {
        CChannel* channel = NewChannel();
        Fill(channel, c);
        for (int palette = 0; palette < PaletteCount; ++palette) {
            SCOPED_TRACE(std::string(c.name) + ", palette " + std::to_string(palette));
            const std::vector<uint8_t> bytes = CIlda().SaveBytes(channel, palette);
            for (const IldaDeparture& d : CheckIlda(bytes.data(), bytes.size()))
                ADD_FAILURE() << "section " << d.section << " at byte " << d.offset << ": "
                              << IldaKindInfo(d.kind).word << ": " << d.text;
        }
    }
}

} // namespace
