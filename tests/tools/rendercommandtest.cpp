// trellion-cli render, run as a program on ILDA files made here.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include "ilda/colourpalettes.h"
#include "render/cscreen.h"
#include "tests/tools/clirun.h"

namespace {

struct Point {
    int16_t x, y, z;
    bool blank;
    uint8_t colour;
};

void Put16(std::string& out, uint16_t v) {
    out += static_cast<char>(v >> 8);
    out += static_cast<char>(v & 0xFF);
}

// A format-0 section; frame number and total frames as the sequence needs them.
std::string Section(const std::vector<Point>& points, int number, int total) {
    std::string out = "ILDA";
    out += std::string(3, '\0');
    out += '\0'; // format 0
    out += std::string("frame   ", 8);
    out += std::string("trellion", 8);
    Put16(out, static_cast<uint16_t>(points.size()));
    Put16(out, static_cast<uint16_t>(number));
    Put16(out, static_cast<uint16_t>(total));
    out += std::string(2, '\0');
    for (size_t i = 0; i < points.size(); ++i) {
        const Point& p = points[i];
        Put16(out, static_cast<uint16_t>(p.x));
        Put16(out, static_cast<uint16_t>(p.y));
        Put16(out, static_cast<uint16_t>(p.z));
        uint16_t status = p.colour;
        if (p.blank)
            status |= 0x4000;
        if (i + 1 == points.size())
            status |= 0x8000;
        Put16(out, status);
    }
    return out;
}

constexpr uint8_t kColourIndex = 0;

// Frame 1: a horizontal line through the centre; frame 2: a vertical one; then the closing
// section. In model units the lines run from -1000 to 1000.
std::string TwoFrameFile() {
    const std::vector<Point> horizontal = {{-16000, 0, 0, true, 0},
                                           {-16000, 0, 0, false, kColourIndex},
                                           {16000, 0, 0, false, kColourIndex}};
    const std::vector<Point> vertical = {{0, -16000, 0, true, 0},
                                         {0, -16000, 0, false, kColourIndex},
                                         {0, 16000, 0, false, kColourIndex}};
    return Section(horizontal, 0, 2) + Section(vertical, 1, 2) + Section({}, 0, 0);
}

class RenderCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ildaPath = dir.filePath("lines.ild");
        QFile file(ildaPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const std::string bytes = TwoFrameFile();
        ASSERT_EQ(file.write(bytes.data(), static_cast<qint64>(bytes.size())),
                  static_cast<qint64>(bytes.size()));
    }

    int Run(const QStringList& args) {
        // A settings file that does not exist gives every channel setting its default, whatever
        // the machine's own Tarvexa.ini holds.
        const CliRun run =
            RunCli(QStringList{"render", "--settings", dir.filePath("absent.ini")} + args);
        out = QString::fromLocal8Bit(run.out);
        err = QString::fromLocal8Bit(run.err);
        return run.status;
    }

    // Pixel at column x, row y counted upwards from the bottom, as 0x00RRGGBB.
    static uint32_t At(const QImage& image, int x, int y) {
        return image.pixel(x, image.height() - 1 - y) & 0xFFFFFF;
    }

    static uint32_t Expected() { return CScreen::PixelFromColour(PaletteColour(1, kColourIndex)); }

    QTemporaryDir dir;
    QString ildaPath;
    QString out;
    QString err;
};

TEST_F(RenderCommandTest, DrawsTheFirstFrameAtThePreviewsSize) {
    const QString png = dir.filePath("one.png");
    ASSERT_EQ(Run({ildaPath, "-o", png}), 0) << err.toStdString();
    QImage image(png);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(260, 280));
    ASSERT_NE(Expected(), 0u);
    EXPECT_EQ(At(image, 130, 140), Expected());
    EXPECT_EQ(At(image, 80, 140), Expected());
    EXPECT_EQ(At(image, 130, 170), 0u);
    EXPECT_EQ(At(image, 5, 140), 0u);
    EXPECT_TRUE(err.isEmpty()) << err.toStdString();
}

TEST_F(RenderCommandTest, FrameAndSizeOptionsPickWhatIsDrawn) {
    const QString png = dir.filePath("two.png");
    ASSERT_EQ(Run({ildaPath, "--frame", "2", "--size=400x300", "-o", png}), 0) << err.toStdString();
    QImage image(png);
    ASSERT_EQ(image.size(), QSize(400, 300));
    EXPECT_EQ(At(image, 200, 150), Expected());
    EXPECT_EQ(At(image, 200, 180), Expected());
    EXPECT_EQ(At(image, 230, 150), 0u);
}

TEST_F(RenderCommandTest, TimeDrivesTheEffectsOfTheSettingsFile) {
    const QString ini = dir.filePath("scroll.ini");
    QFile file(ini);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[CHANNEL]\nscroll_right_flag=true\nscroll_right_speed=100\n"
               "scroll_right_frames=50\n");
    file.close();
    const QString png = dir.filePath("scroll.png");
    // At time 0 the picture is 2500 units off to the left, at 25 it passes the centre.
    ASSERT_EQ(Run({ildaPath, "--settings", ini, "-o", png}), 0) << err.toStdString();
    EXPECT_EQ(At(QImage(png), 130, 140), 0u);
    ASSERT_EQ(Run({ildaPath, "--settings", ini, "--time", "25", "-o", png}), 0);
    EXPECT_EQ(At(QImage(png), 130, 140), Expected());
}

TEST_F(RenderCommandTest, AllFramesMakeAContactSheet) {
    const QString png = dir.filePath("sheet.png");
    ASSERT_EQ(Run({ildaPath, "--all", "--size", "100x80", "-o", png}), 0) << err.toStdString();
    QImage image(png);
    // Two cells of 100 x 80 with a 2-pixel gap around each.
    ASSERT_EQ(image.size(), QSize(2 + 2 * 102, 2 + 82));
    const QImage first = image.copy(2, 2, 100, 80);
    const QImage second = image.copy(104, 2, 100, 80);
    EXPECT_EQ(At(first, 60, 40), Expected());  // horizontal line
    EXPECT_EQ(At(second, 50, 55), Expected()); // vertical line
    EXPECT_EQ(At(second, 60, 40), 0u);
}

TEST_F(RenderCommandTest, AllFramesIntoADirectoryMakeOnePicturePerFrame) {
    const QString frames = dir.filePath("frames");
    ASSERT_TRUE(QDir().mkdir(frames));
    ASSERT_EQ(Run({ildaPath, "--all", "-o", frames}), 0) << err.toStdString();
    const QStringList names = QDir(frames).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(names, QStringList({"frame-0001.png", "frame-0002.png"}));
    EXPECT_EQ(At(QImage(frames + "/frame-0002.png"), 130, 170), Expected());
}

struct FailureCase {
    const char* name;
    QStringList args; // %I is the ILDA file, %D the temporary directory
    int status;
    const char* message; // part of the single error line
};

TEST_F(RenderCommandTest, FailuresGiveOneLineAndTheirStatus) {
    const FailureCase cases[] = {
        {"missing file", {"%D/none.ild", "-o", "%D/x.png"}, 1, "none.ild"},
        {"frame beyond the file", {"%I", "--frame", "3", "-o", "%D/x.png"}, 1, "no frame 3"},
        {"unwritable output", {"%I", "-o", "%D/no/such/dir/x.png"}, 1, "x.png"},
        {"unknown palette", {"%I", "--palette", "rainbow", "-o", "%D/x.png"}, 2, "rainbow"},
        {"frame 0", {"%I", "--frame", "0", "-o", "%D/x.png"}, 2, "--frame"},
        {"bad size", {"%I", "--size", "12", "-o", "%D/x.png"}, 2, "--size"},
        {"unknown option", {"%I", "--fast", "-o", "%D/x.png"}, 2, "--fast"},
        {"two files", {"%I", "%I", "-o", "%D/x.png"}, 2, "one ILDA file"},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        QStringList args;
        for (QString a : c.args)
            args << a.replace("%I", ildaPath).replace("%D", dir.path());
        EXPECT_EQ(Run(args), c.status);
        EXPECT_TRUE(err.contains(QString::fromUtf8(c.message))) << err.toStdString();
        EXPECT_EQ(err.count('\n'), 1) << err.toStdString();
        EXPECT_FALSE(QFile::exists(dir.filePath("x.png")));
    }
}

// A lit line along the bottom, a blanked move straight up the right side, a lit line back
// along the top: model x +-1000, y +-500.
std::string BlankedMoveFile() {
    return Section({{-16000, -8000, 0, true, 0},
                    {-16000, -8000, 0, false, kColourIndex},
                    {16000, -8000, 0, false, kColourIndex},
                    {16000, 8000, 0, true, 0},
                    {-16000, 8000, 0, false, kColourIndex}},
                   0, 1);
}

// Where the lines of BlankedMoveFile landed in the plain picture: the rows of the two lit
// lines and the columns of their ends (rows counted from the bottom).
struct Corners {
    int left = -1, right = -1, bottom = -1, top = -1;
};

Corners FindCorners(const QImage& image, uint32_t lit) {
    Corners c;
    const int middle = image.width() / 2;
    for (int y = 0; y < image.height(); ++y) {
        if ((image.pixel(middle, image.height() - 1 - y) & 0xFFFFFF) != lit)
            continue;
        (c.bottom < 0 ? c.bottom : c.top) = y;
    }
    for (int x = 0; x < image.width(); ++x) {
        if ((image.pixel(x, image.height() - 1 - c.bottom) & 0xFFFFFF) != lit)
            continue;
        if (c.left < 0)
            c.left = x;
        c.right = x;
    }
    return c;
}

TEST_F(RenderCommandTest, BlankedAndPointsAddTheirMarksAndNothingElse) {
    const QString file = dir.filePath("moves.ild");
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        const std::string bytes = BlankedMoveFile();
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    ASSERT_EQ(Run({file, "-o", dir.filePath("plain.png")}), 0) << err.toStdString();
    ASSERT_EQ(Run({file, "--blanked", "-o", dir.filePath("blanked.png")}), 0) << err.toStdString();
    ASSERT_EQ(Run({file, "--points", "-o", dir.filePath("points.png")}), 0) << err.toStdString();
    const QImage plain(dir.filePath("plain.png"));
    const QImage blanked(dir.filePath("blanked.png"));
    const QImage points(dir.filePath("points.png"));
    ASSERT_EQ(blanked.size(), plain.size());
    ASSERT_EQ(points.size(), plain.size());

    const Corners c = FindCorners(plain, Expected());
    // Two lit lines of the same length, one above the other, the top one drawn too.
    ASSERT_GT(c.bottom, 0);
    ASSERT_GT(c.top, c.bottom + 10);
    ASSERT_LT(c.left + 10, c.right);
    EXPECT_EQ(At(plain, c.left, c.top), Expected());
    EXPECT_EQ(At(plain, c.right, c.top), Expected());
    // The preview leaves the blanked move black.
    EXPECT_EQ(At(plain, c.right, (c.bottom + c.top) / 2), 0u);

    // Pixel by pixel: --blanked changes exactly the column of the move between the lines, to
    // dim grey; --points exactly the 3x3 squares around the four points, white where lit and
    // light grey at the one blanked point on its own (the first point shares its place with a
    // lit one, whose mark lies on top).
    const auto inSquare = [](int x, int y, int cx, int cy) {
        return std::abs(x - cx) <= 1 && std::abs(y - cy) <= 1;
    };
    int blankedWrong = 0;
    int pointsWrong = 0;
    std::string firstWrong;
    for (int y = 0; y < plain.height(); ++y) {
        for (int x = 0; x < plain.width(); ++x) {
            const bool onMove = x == c.right && y > c.bottom && y < c.top;
            if (At(blanked, x, y) != (onMove ? 0x505050u : At(plain, x, y))) {
                if (blankedWrong++ == 0)
                    firstWrong += " --blanked at " + std::to_string(x) + "," + std::to_string(y);
            }
            uint32_t expected = At(plain, x, y);
            if (inSquare(x, y, c.right, c.top))
                expected = 0xA0A0A0;
            if (inSquare(x, y, c.left, c.bottom) || inSquare(x, y, c.right, c.bottom) ||
                inSquare(x, y, c.left, c.top))
                expected = 0xFFFFFF;
            if (At(points, x, y) != expected) {
                if (pointsWrong++ == 0)
                    firstWrong += " --points at " + std::to_string(x) + "," + std::to_string(y);
            }
        }
    }
    EXPECT_EQ(blankedWrong, 0) << firstWrong;
    EXPECT_EQ(pointsWrong, 0) << firstWrong;
    // Both together: the move stays visible between the marks.
    ASSERT_EQ(Run({file, "--blanked", "--points", "-o", dir.filePath("both.png")}), 0);
    const QImage both(dir.filePath("both.png"));
    EXPECT_EQ(At(both, c.right, (c.bottom + c.top) / 2), 0x505050u);
    EXPECT_EQ(At(both, c.right, c.top), 0xA0A0A0u);
    EXPECT_EQ(At(both, c.left, c.bottom), 0xFFFFFFu);
}

TEST_F(RenderCommandTest, MissingOutputIsAUsageError) {
    EXPECT_EQ(Run({ildaPath}), 2);
    EXPECT_TRUE(err.contains("usage"));
}

TEST_F(RenderCommandTest, HelpDescribesTheOptions) {
    EXPECT_EQ(Run({"--help"}), 0);
    for (const char* option :
         {"--palette", "--frame", "--all", "--time", "--size", "--blanked", "--points", "-o"})
        EXPECT_TRUE(out.contains(option)) << option;
}

} // namespace
