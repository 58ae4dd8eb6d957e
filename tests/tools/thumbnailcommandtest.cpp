// trellion-cli thumbnail, run as a program on ILDA files made here: which frame it draws (the
// render command's picture of that frame, at the same size, is the oracle), the size, and the
// files it refuses without writing anything.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include "tests/ilda/ildabuilder.h"
#include "tests/tools/clirun.h"

namespace {

// Frame content: a horizontal line of `lit` lit points (and one blanked point to reach its
// start) at height y, so that every frame draws differently.
void LineFrame(IldaBuilder& b, int lit, int y, uint16_t number, uint16_t total, int format = 0) {
    b.Header(format, static_cast<uint16_t>(lit + 1), number, total);
    for (int p = 0; p <= lit; ++p) {
        const auto x = static_cast<int16_t>(-16000 + p * 32000 / (lit > 0 ? lit : 1));
        const bool last = p == lit;
        if (format == 5) {
            b.Point2DTrueColour(x, static_cast<int16_t>(y),
                                static_cast<uint8_t>((p == 0 ? 0x40 : 0) | (last ? 0x80 : 0)), 255,
                                255, 0);
        } else {
            const uint16_t status = p == 0 ? 0x4000 : 16;
            b.Point3D(x, static_cast<int16_t>(y), 0,
                      static_cast<uint16_t>(status | (last ? 0x8000 : 0)));
        }
    }
}

// A frame of blanked points only.
void DarkFrame(IldaBuilder& b, uint16_t number, uint16_t total) {
    b.Header(0, 2, number, total);
    b.Point3D(0, 0, 0, 0x4000);
    b.Point3D(100, 100, 0, 0xC000);
}

class ThumbnailCommandTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QString Write(const QString& name, const IldaBuilder& b) {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(b.Data().data()), static_cast<qint64>(b.Size()));
        return path;
    }

    int Run(const QStringList& args) {
        // No settings file: every channel setting has its default, whatever the machine holds.
        std::vector<std::string> bytes;
        for (const QString& arg : args)
            bytes.push_back(arg.toStdString());
        CliSetting setting;
        setting.environment =
            OwnEnvironmentWith({"WINEPREFIX=" + dir.filePath("wine").toStdString()});
        const CliRun run = RunCliBytes(bytes, setting);
        err = QString::fromLocal8Bit(run.err);
        return run.status;
    }

    // The render command's picture of frame `frame` at size x size, as the preview draws it.
    QImage Rendered(const QString& ild, int frame, int size) {
        const QString png = dir.filePath(QStringLiteral("expected.png"));
        EXPECT_EQ(Run({"render", ild, "--frame", QString::number(frame), "--size",
                       QStringLiteral("%1x%1").arg(size), "--settings",
                       dir.filePath(QStringLiteral("absent.ini")), "-o", png}),
                  0)
            << err.toStdString();
        return QImage(png).convertToFormat(QImage::Format_RGB32);
    }

    QTemporaryDir dir;
    QString err;
};

struct FrameCase {
    const char* name;
    std::function<void(IldaBuilder&)> build;
    int expectedFrame; // from 1, as the whole file is loaded
};

class ThumbnailFrameTest : public ThumbnailCommandTest,
                           public ::testing::WithParamInterface<FrameCase> {};

TEST_P(ThumbnailFrameTest, DrawsTheMostTellingFrameAsThePreviewDoes) {
    IldaBuilder b;
    GetParam().build(b);
    const QString ild = Write(QStringLiteral("show.ild"), b);
    const QString png = dir.filePath(QStringLiteral("thumb.png"));
    ASSERT_EQ(Run({"thumbnail", "--size", "96", ild, png}), 0) << err.toStdString();
    const QImage thumbnail = QImage(png).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(thumbnail.size(), QSize(96, 96));
    const QImage expected = Rendered(ild, GetParam().expectedFrame, 96);
    EXPECT_EQ(thumbnail, expected);
    QImage black(96, 96, QImage::Format_RGB32);
    black.fill(Qt::black);
    EXPECT_NE(thumbnail, black);
    EXPECT_TRUE(err.isEmpty()) << err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Files, ThumbnailFrameTest,
    ::testing::Values(FrameCase{"OnlyFrame",
                                [](IldaBuilder& b) {
                                    LineFrame(b, 3, 0, 0, 1);
                                    b.End(1);
                                },
                                1},
                      // Frames 2 and 4 hold the most lit points; the first of them is drawn.
                      FrameCase{"FirstOfThoseWithTheMostLitPoints",
                                [](IldaBuilder& b) {
                                    LineFrame(b, 2, 8000, 0, 5);
                                    LineFrame(b, 9, 4000, 1, 5);
                                    LineFrame(b, 5, 0, 2, 5);
                                    LineFrame(b, 9, -4000, 3, 5);
                                    DarkFrame(b, 4, 5);
                                    b.End(5);
                                },
                                2},
                      // Frame 70 holds more, but lies beyond the first 64.
                      FrameCase{"OnlyTheFirst64FramesAreWeighed",
                                [](IldaBuilder& b) {
                                    for (uint16_t f = 0; f < 80; ++f)
                                        LineFrame(b, f == 69 ? 40 : (f == 10 ? 6 : 2),
                                                  f * 200 - 8000, f, 80);
                                    b.End(80);
                                },
                                11},
                      // A show that opens dark: the first lit frame after the first 64.
                      FrameCase{"FirstLitFrameAfterADarkOpening",
                                [](IldaBuilder& b) {
                                    for (uint16_t f = 0; f < 70; ++f)
                                        DarkFrame(b, f, 72);
                                    LineFrame(b, 2, 3000, 70, 72);
                                    LineFrame(b, 8, -3000, 71, 72);
                                    b.End(72);
                                },
                                71},
                      // A palette section and a second sequence after the first one's closing
                      // section: the frames counted as the reader counts them.
                      FrameCase{"FramesOfASecondSequence",
                                [](IldaBuilder& b) {
                                    b.Header(2, 1, 0, 0).PaletteEntry(255, 0, 0);
                                    LineFrame(b, 2, 0, 0, 2);
                                    LineFrame(b, 3, 1000, 1, 2);
                                    b.End(2);
                                    LineFrame(b, 4, 2000, 0, 2, 5);
                                    LineFrame(b, 12, -2000, 1, 2, 5);
                                    b.End(2);
                                },
                                4}),
    [](const ::testing::TestParamInfo<FrameCase>& info) { return std::string(info.param.name); });

TEST_F(ThumbnailCommandTest, DefaultSizeIs256) {
    IldaBuilder b;
    LineFrame(b, 4, 0, 0, 1);
    b.End(1);
    const QString ild = Write(QStringLiteral("line.ild"), b);
    const QString png = dir.filePath(QStringLiteral("line.png"));
    ASSERT_EQ(Run({"thumbnail", ild, png}), 0) << err.toStdString();
    EXPECT_EQ(QImage(png).size(), QSize(256, 256));
    EXPECT_EQ(QImage(png).convertToFormat(QImage::Format_RGB32), Rendered(ild, 1, 256));
}

// Files that give no picture: exit status 1, one line naming the file, and no picture written
// (an earlier one of that name stays as it was).
struct RefusedCase {
    const char* name;
    std::function<QString(ThumbnailCommandTest&, const QString& dirPath)> input;
    const char* says;
};

class ThumbnailRefusedTest : public ThumbnailCommandTest,
                             public ::testing::WithParamInterface<RefusedCase> {
public:
    QString WriteFile(const QString& name, const IldaBuilder& b) { return Write(name, b); }
};

TEST_P(ThumbnailRefusedTest, ExitsOneAndWritesNothing) {
    const QString input = GetParam().input(*this, dir.path());
    const QString fresh = dir.filePath(QStringLiteral("fresh.png"));
    ASSERT_EQ(Run({"thumbnail", input, fresh}), 1);
    EXPECT_FALSE(QFile::exists(fresh));
    EXPECT_TRUE(err.contains(input)) << err.toStdString();
    EXPECT_TRUE(err.contains(QString::fromUtf8(GetParam().says))) << err.toStdString();

    const QString existing = dir.filePath(QStringLiteral("existing.png"));
    {
        QFile file(existing);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("earlier");
    }
    ASSERT_EQ(Run({"thumbnail", input, existing}), 1);
    QFile file(existing);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("earlier"));
}

INSTANTIATE_TEST_SUITE_P(
    Files, ThumbnailRefusedTest,
    ::testing::Values(
        RefusedCase{"Missing",
                    [](ThumbnailCommandTest&, const QString& d) { return d + "/missing.ild"; },
                    "cannot read"},
        RefusedCase{"Directory", [](ThumbnailCommandTest&, const QString& d) { return d; },
                    "cannot read"},
        RefusedCase{"NoPoints",
                    [](ThumbnailCommandTest& t, const QString&) {
                        IldaBuilder b;
                        b.End(0);
                        return static_cast<ThumbnailRefusedTest&>(t).WriteFile("empty.ild", b);
                    },
                    "no lit point"},
        RefusedCase{"NotIlda",
                    [](ThumbnailCommandTest& t, const QString&) {
                        IldaBuilder b;
                        b.Bytes("GIF89a and the rest of a picture");
                        return static_cast<ThumbnailRefusedTest&>(t).WriteFile("a.ild", b);
                    },
                    "no lit point"},
        RefusedCase{"OnlyBlankedPoints",
                    [](ThumbnailCommandTest& t, const QString&) {
                        IldaBuilder b;
                        for (uint16_t f = 0; f < 70; ++f)
                            DarkFrame(b, f, 70);
                        b.End(70);
                        return static_cast<ThumbnailRefusedTest&>(t).WriteFile("dark.ild", b);
                    },
                    "no lit point"}),
    [](const ::testing::TestParamInfo<RefusedCase>& info) { return std::string(info.param.name); });

struct UsageCase {
    const char* name;
    QStringList args;
};

class ThumbnailUsageTest : public ThumbnailCommandTest,
                           public ::testing::WithParamInterface<UsageCase> {};

TEST_P(ThumbnailUsageTest, IsAUsageError) {
    EXPECT_EQ(Run(QStringList{"thumbnail"} + GetParam().args), 2);
    EXPECT_FALSE(err.isEmpty());
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("o.png"))));
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, ThumbnailUsageTest,
    ::testing::Values(UsageCase{"NoNames", {}}, UsageCase{"OneName", {"a.ild"}},
                      UsageCase{"ThreeNames", {"a.ild", "b.png", "c.png"}},
                      UsageCase{"SizeZero", {"--size", "0", "a.ild", "o.png"}},
                      UsageCase{"SizeTooLarge", {"--size=4097", "a.ild", "o.png"}},
                      UsageCase{"SizeNotANumber", {"--size", "12px", "a.ild", "o.png"}},
                      UsageCase{"SizeWithoutValue", {"a.ild", "o.png", "--size"}},
                      UsageCase{"UnknownOption", {"--palette", "x29", "a.ild", "o.png"}}),
    [](const ::testing::TestParamInfo<UsageCase>& info) { return std::string(info.param.name); });

} // namespace
