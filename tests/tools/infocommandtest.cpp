// trellion-cli info: the summary, --brief and --json, run as a program on files made here.
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "tests/ilda/ildabuilder.h"
#include "tests/tools/clirun.h"

namespace {

// What a generated file must give: sections as listed, frames and points as loaded.
struct FileCase {
    const char* name;
    IldaBuilder bytes;
    int sections;
    int frames;
    long long points;
    long long lit;
    long long blanked;
    // Box in ILDA coordinates; unused without points.
    int box[6];
    long long colours;
};

// Status words of the indexed formats: colour index in the low byte.
constexpr uint16_t kBlank = 0x4000;
constexpr uint16_t kLast = 0x8000;

std::vector<FileCase> Cases() {
    std::vector<FileCase> cases;
    {
        IldaBuilder b;
        b.Header(0, 3, 0, 2).Point3D(-32768, 100, 40, 0x01).Point3D(32767, -100, 0, kBlank);
        b.Point3D(0, 0, -48, 0x02);
        b.Header(0, 2, 1, 2).Point3D(16, 16, 16, 0x01).Point3D(31, 31, 31, kLast | 0x03);
        b.End(2);
        cases.push_back(
            {"format 0, 3D indexed", b, 3, 2, 5, 4, 1, {-32768, 32752, -112, 96, -48, 32}, 3});
    }
    {
        IldaBuilder b;
        b.Header(1, 2, 0, 1).Point2D(-1600, 800, 0x05).Point2D(1600, -800, kBlank | kLast);
        b.Header(1, 0, 1, 1);
        cases.push_back(
            {"format 1, 2D indexed", b, 2, 1, 2, 1, 1, {-1600, 1600, -800, 800, 0, 0}, 1});
    }
    {
        IldaBuilder b;
        b.Header(2, 2, 0, 0, "PAL").PaletteEntry(255, 0, 0).PaletteEntry(0, 255, 0);
        b.Header(0, 1, 0, 1).Point3D(160, 320, 480, 0x04);
        b.End(1);
        cases.push_back({"palette section, then format 0",
                         b,
                         3,
                         1,
                         1,
                         1,
                         0,
                         {160, 160, 320, 320, 480, 480},
                         1});
    }
    {
        IldaBuilder b;
        b.Header(7, 2, 0, 0).Point3D(1, 1, 1, 1).Point3D(2, 2, 2, 2);
        b.Header(1, 1, 0, 1).Point2D(-16, -16, kBlank);
        cases.push_back(
            {"unknown format passed over", b, 2, 1, 1, 0, 1, {-16, -16, -16, -16, 0, 0}, 0});
    }
    {
        IldaBuilder b;
        b.Header(0, 4, 0, 1).Point3D(1600, 0, 0, 0x01).Point3D(3200, 0, 0, 0x01).Cut(3);
        cases.push_back({"section cut off", b, 1, 1, 1, 1, 0, {1600, 1600, 0, 0, 0, 0}, 1});
    }
    {
        // True colour: blanked by the status bit or by black; every lit colour a palette entry.
        IldaBuilder b;
        b.Header(4, 3, 0, 2)
            .Point3DTrueColour(-3200, 480, 1600, 0x00, 255, 0, 0)
            .Point3DTrueColour(3200, -480, -1600, 0x40, 255, 0, 0)
            .Point3DTrueColour(0, 0, 0, 0x00, 0, 0, 0);
        b.Header(4, 1, 1, 2).Point3DTrueColour(160, 160, 160, 0x80, 0, 255, 0);
        b.End(2);
        cases.push_back({"format 4, 3D true colour",
                         b,
                         3,
                         2,
                         4,
                         2,
                         2,
                         {-3200, 3200, -480, 480, -1600, 1600},
                         2});
    }
    {
        IldaBuilder b;
        b.Header(5, 2, 0, 1)
            .Point2DTrueColour(-32768, 32767, 0x00, 0, 0, 255)
            .Point2DTrueColour(16, -16, 0x80, 255, 255, 255);
        b.Header(5, 0, 1, 1);
        cases.push_back(
            {"format 5, 2D true colour", b, 2, 1, 2, 2, 0, {-32768, 16, -16, 32752, 0, 0}, 2});
    }
    {
        // Both kinds in one file are both read.
        IldaBuilder b;
        b.Header(5, 1, 0, 2).Point2DTrueColour(800, 800, 0x80, 255, 0, 0);
        b.Header(1, 1, 1, 2).Point2D(-800, -800, kLast | 0x01);
        cases.push_back(
            {"format 5 then format 1", b, 2, 2, 2, 2, 0, {-800, 800, -800, 800, 0, 0}, 2});
    }
    cases.push_back({"empty file", IldaBuilder(), 0, 1, 0, 0, 0, {}, 0});
    return cases;
}

class InfoCommandTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    QString Write(const QString& name, const IldaBuilder& bytes) {
        const QString path = dir_.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        const std::string data = bytes.String();
        EXPECT_EQ(file.write(data.data(), static_cast<qint64>(data.size())),
                  static_cast<qint64>(data.size()));
        return path;
    }

    static QJsonObject ParseJson(const std::string& text) {
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
        EXPECT_TRUE(doc.isObject());
        return doc.object();
    }

    QTemporaryDir dir_;
};

// The numbers of a text line matched by pattern, in order.
std::vector<long long> Numbers(const QString& line, const QString& pattern) {
    std::vector<long long> numbers;
    const QRegularExpressionMatch m = QRegularExpression(pattern).match(line);
    if (!m.hasMatch())
        return numbers;
    for (int i = 1; i <= m.lastCapturedIndex(); ++i)
        numbers.push_back(m.captured(i).toLongLong());
    return numbers;
}

const QString kSectionLine = R"(^  section (\d+) at (\d+): format (\d+), [a-zA-Z0-9 ]+, (\d+) )"
                             R"(points, frame (-?\d+) of (-?\d+))";
const QString kSummaryLine = R"(^  loaded: (\d+) frames, (\d+) points, (\d+) blanked, (\d+) lit)";
const QString kBoxPart = R"(x (-?\d+)\.\.(-?\d+), y (-?\d+)\.\.(-?\d+), z (-?\d+)\.\.(-?\d+); )"
                         R"((\d+) colours?)";

TEST_F(InfoCommandTest, JsonCarriesTheTextsFactsForEveryFormat) {
    for (const FileCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        const QString path = Write("case.ild", c.bytes);
        const CliRun text = RunCli({"info", path});
        const CliRun json = RunCli({"info", "--json", path});
        ASSERT_EQ(text.status, 0) << text.err;
        ASSERT_EQ(json.status, 0) << json.err;
        // A file that gives no point is named on standard error, also with --json.
        EXPECT_EQ(json.err, c.points == 0 ? "trellion-cli info: " + path.toStdString() +
                                                ": holds no points this reader takes\n"
                                          : std::string());
        EXPECT_EQ(json.err, text.err);

        const QJsonObject doc = ParseJson(json.out);
        EXPECT_EQ(doc["pps"].toInteger(), 30000);
        const QJsonArray files = doc["files"].toArray();
        ASSERT_EQ(files.size(), 1);
        const QJsonObject file = files[0].toObject();
        EXPECT_EQ(file["file"].toString(), path);
        EXPECT_EQ(file["bytes"].toInteger(), static_cast<qint64>(c.bytes.Size()));

        // Sections: one text line each, the same numbers in the JSON.
        const QStringList lines = QString::fromStdString(text.out).split('\n');
        const QJsonArray sections = file["sections"].toArray();
        ASSERT_EQ(sections.size(), c.sections);
        int sectionLines = 0;
        for (const QString& line : lines) {
            const std::vector<long long> n = Numbers(line, kSectionLine);
            if (n.empty())
                continue;
            ASSERT_LT(sectionLines, sections.size());
            const QJsonObject s = sections[sectionLines++].toObject();
            EXPECT_EQ(n[0], sectionLines);
            EXPECT_EQ(n[1], s["offset"].toInteger());
            EXPECT_EQ(n[2], s["format"].toInteger());
            EXPECT_TRUE(line.contains(", " + s["format_name"].toString() + ", "))
                << line.toStdString();
            EXPECT_EQ(n[3], s["points"].toInteger());
            EXPECT_EQ(n[4], s["frame_number"].toInteger());
            EXPECT_EQ(n[5], s["total_frames"].toInteger());
            // An incomplete section carries a remark in parentheses.
            EXPECT_EQ(!line.contains(" ("), s["complete"].toBool()) << line.toStdString();
        }
        EXPECT_EQ(sectionLines, c.sections);

        // Frames: their counts add up to the summary's.
        const QJsonArray frames = file["frames"].toArray();
        ASSERT_EQ(frames.size(), c.frames);
        long long points = 0, lit = 0, blanked = 0;
        for (int i = 0; i < frames.size(); ++i) {
            const QJsonObject f = frames[i].toObject();
            EXPECT_EQ(f["index"].toInt(), i + 1);
            EXPECT_EQ(f["points"].toInteger(), f["lit"].toInteger() + f["blanked"].toInteger());
            points += f["points"].toInteger();
            lit += f["lit"].toInteger();
            blanked += f["blanked"].toInteger();
        }

        // The summary: what the file holds, in the text's line and in the JSON.
        const QJsonObject summary = file["summary"].toObject();
        QString summaryLine;
        for (const QString& line : lines)
            if (line.startsWith("  loaded: "))
                summaryLine = line;
        const std::vector<long long> t = Numbers(summaryLine, kSummaryLine);
        ASSERT_EQ(t.size(), 4u) << summaryLine.toStdString();
        const std::vector<long long> expected = {c.frames, c.points, c.blanked, c.lit};
        EXPECT_EQ(t, expected);
        EXPECT_EQ(summary["frames"].toInteger(), c.frames);
        EXPECT_EQ(summary["points"].toInteger(), c.points);
        EXPECT_EQ(summary["lit"].toInteger(), c.lit);
        EXPECT_EQ(summary["blanked"].toInteger(), c.blanked);
        EXPECT_EQ(points, c.points);
        EXPECT_EQ(lit, c.lit);
        EXPECT_EQ(blanked, c.blanked);
        EXPECT_EQ(summary["colours"].toInteger(), c.colours);
        EXPECT_DOUBLE_EQ(summary["seconds"].toDouble(), double(c.points) / 30000.0);
        if (c.points == 0) {
            EXPECT_TRUE(summary["box"].isNull());
            EXPECT_TRUE(summary["frames_per_second"].isNull());
            // No box and no time; only the departures of a file with no section.
            EXPECT_TRUE(summaryLine.endsWith(" 0 lit; 1 departure from the standard: "
                                             "trellion-cli check " +
                                             path))
                << summaryLine.toStdString();
            continue;
        }
        const QJsonObject box = summary["box"].toObject();
        const std::vector<long long> jsonBox = {box["x"][0].toInteger(), box["x"][1].toInteger(),
                                                box["y"][0].toInteger(), box["y"][1].toInteger(),
                                                box["z"][0].toInteger(), box["z"][1].toInteger()};
        const std::vector<long long> knownBox(c.box, c.box + 6);
        EXPECT_EQ(jsonBox, knownBox);
        std::vector<long long> textBox = Numbers(summaryLine, kBoxPart);
        ASSERT_EQ(textBox.size(), 7u) << summaryLine.toStdString();
        EXPECT_EQ(textBox.back(), c.colours);
        textBox.pop_back();
        EXPECT_EQ(textBox, knownBox);
        EXPECT_DOUBLE_EQ(summary["lit_share"].toDouble(), double(c.lit) / double(c.points));
        EXPECT_DOUBLE_EQ(summary["frames_per_second"].toDouble(),
                         double(c.frames) * 30000.0 / double(c.points));
    }
}

// Three frames of 10,000 points each, every fourth blanked, the lit ones in 5 colour indices:
// 30,000 points take exactly one second at the default rate.
IldaBuilder KnownCountsFile() {
    IldaBuilder b;
    for (uint16_t f = 0; f < 3; ++f) {
        b.Header(0, 10000, f, 3);
        for (int i = 0; i < 10000; ++i) {
            uint16_t status = i % 4 == 3 ? kBlank : static_cast<uint16_t>(i % 5);
            // As the standard writes it, so that the summary has no departures to name.
            if (i == 9999)
                status |= kLast;
            b.Point3D(static_cast<int16_t>(i - 5000), static_cast<int16_t>(f * 160), 0, status);
        }
    }
    return b.End(3);
}

TEST_F(InfoCommandTest, SummaryFiguresOfAFileWithKnownCounts) {
    const QString path = Write("known.ild", KnownCountsFile());
    const struct {
        const char* name;
        QStringList options;
        std::string figures;
    } rows[] = {
        {"default rate",
         {},
         "3 frames, 30000 points, 7500 blanked, 22500 lit (75.0%); x -5008..4992, "
         "y 0..320, z 0..0; 5 colours; 1.00 s at 30000 pps, 3.0 frames/s"},
        {"--pps 60000",
         {"--pps", "60000"},
         "3 frames, 30000 points, 7500 blanked, 22500 lit (75.0%); x -5008..4992, "
         "y 0..320, z 0..0; 5 colours; 500.00 ms at 60000 pps, 6.0 frames/s"},
        {"--pps=12000",
         {"--pps=12000"},
         "3 frames, 30000 points, 7500 blanked, 22500 lit (75.0%); x -5008..4992, "
         "y 0..320, z 0..0; 5 colours; 2.50 s at 12000 pps, 1.2 frames/s"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const CliRun full = RunCli(QStringList{"info"} + row.options + QStringList{path});
        ASSERT_EQ(full.status, 0) << full.err;
        EXPECT_NE(full.out.find("\n  loaded: " + row.figures + "\n"), std::string::npos)
            << full.out;
        const CliRun brief =
            RunCli(QStringList{"info", "--brief"} + row.options + QStringList{path});
        EXPECT_EQ(brief.out, path.toStdString() + ": " + row.figures + "\n");
    }
}

TEST_F(InfoCommandTest, BriefPrintsOneLineAFileAndJsonListsFailuresToo) {
    const QString a = Write("a.ild", KnownCountsFile());
    IldaBuilder one;
    one.Header(1, 1, 0, 1).Point2D(0, 0, 0x01);
    const QString b = Write("b.ild", one);
    const QString missing = dir_.filePath("missing.ild");

    const CliRun brief = RunCli({"info", "--brief", a, missing, b});
    EXPECT_EQ(brief.status, 1);
    const QStringList lines = QString::fromStdString(brief.out).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << brief.out;
    EXPECT_TRUE(lines[0].startsWith(a + ": 3 frames, 30000 points"));
    EXPECT_TRUE(lines[1].startsWith(b + ": 1 frames, 1 points, 0 blanked, 1 lit (100.0%)"));
    EXPECT_EQ(brief.err,
              "trellion-cli info: " + missing.toStdString() + ": Cannot open Ilda file.\n");

    const CliRun json = RunCli({"info", "--json", "--brief", a, missing, b});
    EXPECT_EQ(json.status, 1);
    EXPECT_EQ(json.err, brief.err);
    const QJsonArray files = ParseJson(json.out)["files"].toArray();
    ASSERT_EQ(files.size(), 3);
    EXPECT_EQ(files[0]["summary"]["points"].toInteger(), 30000);
    EXPECT_FALSE(files[0].toObject().contains("sections")) << "--brief leaves out the sections";
    EXPECT_FALSE(files[0].toObject().contains("frames"));
    EXPECT_EQ(files[1]["file"].toString(), missing);
    EXPECT_EQ(files[1]["error"].toString(), "Cannot open Ilda file.");
    EXPECT_EQ(files[2]["summary"]["lit_share"].toDouble(), 1.0);
}

TEST_F(InfoCommandTest, BadRatesAreUsageErrors) {
    const QString a = Write("a.ild", KnownCountsFile());
    for (const char* value : {"0", "-30000", "fast", "", "30000x", "100000001"}) {
        SCOPED_TRACE(value);
        const CliRun run = RunCli({"info", "--pps", value, a});
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("--pps"), std::string::npos) << run.err;
    }
    EXPECT_EQ(RunCli({"info", a, "--pps"}).status, 2);
}

TEST_F(InfoCommandTest, HelpDescribesTheOptions) {
    const CliRun help = RunCli({"info", "--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* option : {"--frames", "--brief", "--pps N", "--json", "30000"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
}

} // namespace
