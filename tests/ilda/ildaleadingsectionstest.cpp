// Reading only the leading point sections of an ILDA file: the frames loaded from the part read
// are exactly the whole file's first frames, and where the headers cannot be followed by their
// counts the whole file is read instead.

#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ilda/cilda.h"
#include "ilda/ildaleadingsections.h"
#include "model/cchannel.h"
#include "model/cframe.h"
#include "model/cscene.h"
#include "model/cthing.h"
#include "model/cvector.h"
#include "settings/settings.h"
#include "tests/ilda/ildabuilder.h"

namespace {

// What a frame holds, point by point: x, y, z, blank and colour.
std::vector<std::vector<float>> FrameContents(CFrame* frame) {
    std::vector<std::vector<float>> points;
    for (CThing* thing = frame->FirstThing(); thing != nullptr; thing = thing->Next(false))
        for (CVector* v = thing->FirstVertex(); v != nullptr; v = v->next)
            points.push_back({v->x, v->y, v->z, float(v->blank), float(v->colour)});
    return points;
}

std::vector<std::vector<std::vector<float>>> Frames(CChannel* channel) {
    std::vector<std::vector<std::vector<float>>> frames;
    for (CFrame* f = channel->FirstFrame(); f != nullptr; f = f->Next(false))
        frames.push_back(FrameContents(f));
    return frames;
}

struct LeadingCase {
    const char* name;
    std::function<void(IldaBuilder&)> build;
    int sections;
    bool whole;
    // Frames expected from the part read; every one must equal the whole file's frame.
    int frames;
};

class ReadLeadingSectionsTest : public ::testing::TestWithParam<LeadingCase> {};

TEST_P(ReadLeadingSectionsTest, GivesTheWholeFilesFirstFrames) {
    const LeadingCase& row = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = dir.filePath(QStringLiteral("show.ild")).toStdString();
    IldaBuilder b;
    row.build(b);
    {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, b.Data().data(), b.Size()), static_cast<ssize_t>(b.Size()));
        ::close(fd);
    }

    IldaLeadingBytes leading;
    ASSERT_TRUE(ReadLeadingSections(path, row.sections, leading));
    EXPECT_EQ(leading.whole, row.whole);
    EXPECT_EQ(leading.whole, leading.bytes.size() == b.Size());

    CScene partScene(DefaultSettings());
    CChannel* part = partScene.AddChannel();
    CIlda partReader;
    ASSERT_TRUE(partReader.LoadBytes(leading.bytes.data(), leading.bytes.size(), part, 1));
    CScene wholeScene(DefaultSettings());
    CChannel* whole = wholeScene.AddChannel();
    CIlda wholeReader;
    ASSERT_TRUE(wholeReader.Load(path, whole, 1));

    const auto partFrames = Frames(part);
    auto wholeFrames = Frames(whole);
    ASSERT_EQ(static_cast<int>(partFrames.size()), row.frames);
    ASSERT_GE(wholeFrames.size(), partFrames.size());
    wholeFrames.resize(partFrames.size());
    EXPECT_EQ(partFrames, wholeFrames);
}

// Frame f of a file: f + 1 points, so frames tell themselves apart.
void Frames3D(IldaBuilder& b, int count, int first, int total) {
    for (int f = 0; f < count; ++f)
        b.Frame3D(static_cast<uint16_t>(first + f + 1), static_cast<uint16_t>(first + f),
                  static_cast<uint16_t>(total));
}

INSTANTIATE_TEST_SUITE_P(
    Files, ReadLeadingSectionsTest,
    ::testing::Values(
        LeadingCase{"LongSequenceIsCut",
                    [](IldaBuilder& b) {
                        Frames3D(b, 20, 0, 20);
                        b.End(20);
                    },
                    5, false, 5},
        LeadingCase{"PaletteSectionsDoNotCount",
                    [](IldaBuilder& b) {
                        b.Header(2, 2, 0, 0).PaletteEntry(255, 0, 0).PaletteEntry(0, 255, 0);
                        Frames3D(b, 10, 0, 10);
                        b.End(10);
                    },
                    4, false, 4},
        LeadingCase{"SecondSequenceAfterAClosingSection",
                    [](IldaBuilder& b) {
                        Frames3D(b, 3, 0, 3);
                        b.End(3);
                        Frames3D(b, 5, 0, 5);
                        b.End(5);
                    },
                    6, false, 6},
        LeadingCase{"TrueColourAnd2DSections",
                    [](IldaBuilder& b) {
                        for (uint16_t f = 0; f < 6; ++f) {
                            b.Header(f % 2 == 0 ? 5 : 1, 2, f, 6);
                            for (int16_t p = 0; p < 2; ++p) {
                                if (f % 2 == 0)
                                    b.Point2DTrueColour(static_cast<int16_t>(p * 800),
                                                        static_cast<int16_t>(f * 160), 0, 200,
                                                        static_cast<uint8_t>(f * 30), 10);
                                else
                                    b.Point2D(static_cast<int16_t>(-p * 800),
                                              static_cast<int16_t>(f * 160), 3);
                            }
                        }
                        b.End(6);
                    },
                    3, false, 3},
        LeadingCase{"FewerSectionsThanWantedReadsTheWholeFile",
                    [](IldaBuilder& b) {
                        Frames3D(b, 3, 0, 3);
                        b.End(3);
                    },
                    64, true, 3},
        LeadingCase{"UnknownFormatReadsTheWholeFile",
                    [](IldaBuilder& b) {
                        b.Header(3, 4, 0, 9).Word(1).Word(2).Word(3).Word(4);
                        Frames3D(b, 8, 0, 8);
                        b.End(8);
                    },
                    2, true, 8},
        // Frame numbers select nothing: a section that says it is the last of its sequence but
        // holds points is a frame like any other, and the frames after it count on.
        LeadingCase{"NumbersThatSayLastEndNothing",
                    [](IldaBuilder& b) {
                        Frames3D(b, 2, 0, 2);
                        b.Header(0, 1, 1, 2).Point3D(1, 2, 3, 0);
                        Frames3D(b, 4, 0, 4);
                        b.End(4);
                    },
                    4, false, 4},
        // The reader scans past stray bytes after a closing section for the next "ILDA"; the
        // counts no longer say where that is.
        LeadingCase{"StrayBytesAfterAClosingSectionReadTheWholeFile",
                    [](IldaBuilder& b) {
                        Frames3D(b, 2, 0, 2);
                        b.End(2).Bytes("junk");
                        Frames3D(b, 4, 0, 4);
                        b.End(4);
                    },
                    4, true, 6},
        // The reader passes over bytes between frames up to the next "ILDA" too.
        LeadingCase{"StrayBytesBetweenFramesReadTheWholeFile",
                    [](IldaBuilder& b) {
                        Frames3D(b, 2, 0, 6);
                        b.Bytes("\r\n");
                        Frames3D(b, 4, 2, 6);
                        b.End(6);
                    },
                    4, true, 6},
        // A count that overflowed 16 bits is followed as the reader follows it: the part read
        // ends after the frame's last record, not after the records its count gives.
        LeadingCase{"CountThatOverflowedIsFollowed",
                    [](IldaBuilder& b) {
                        Frames3D(b, 1, 0, 5);
                        b.Header(0, 3, 1, 5);
                        for (int i = 0; i < 65536 + 3; ++i)
                            b.Point3D(static_cast<int16_t>(i % 1000), 0, 0, 2);
                        Frames3D(b, 3, 2, 5);
                        b.End(5);
                    },
                    2, false, 2},
        LeadingCase{"SectionsAfterACountThatOverflowed",
                    [](IldaBuilder& b) {
                        b.Header(1, 3, 0, 6);
                        for (int i = 0; i < 65536 + 3; ++i)
                            b.Point2D(static_cast<int16_t>(i % 1000), 0, 2);
                        Frames3D(b, 5, 1, 6);
                        b.End(6);
                    },
                    3, false, 3},
        LeadingCase{"CountBeyondTheEndReadsTheWholeFile",
                    [](IldaBuilder& b) {
                        Frames3D(b, 2, 0, 9);
                        b.Header(0, 500, 2, 9).Point3D(0, 0, 0, 1);
                    },
                    5, true, 3}),
    [](const ::testing::TestParamInfo<LeadingCase>& info) { return std::string(info.param.name); });

TEST(ReadLeadingSections, AMissingFileIsReportedWithItsReason) {
    IldaLeadingBytes leading;
    std::string why;
    EXPECT_FALSE(ReadLeadingSections("/nonexistent/show.ild", 4, leading, &why));
    EXPECT_FALSE(why.empty());
    EXPECT_TRUE(leading.bytes.empty());
}

} // namespace
