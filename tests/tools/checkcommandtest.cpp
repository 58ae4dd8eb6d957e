// trellion-cli check, and the count info gives of the same departures, run as a program on
// files made here.
#include <cstdint>
#include <fstream>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "tests/ilda/ildabuilder.h"
#include "tests/tools/clirun.h"

namespace {

constexpr uint16_t kLast = 0x8000;

// One frame of two points and its closing section: nothing to say.
IldaBuilder Conforming() {
    IldaBuilder b;
    b.Header(0, 2, 0, 1).Point3D(0, 0, 0, 0x01).Point3D(16, 16, 0, kLast | 0x01).End(1);
    return b;
}

// Two warnings: no last-point bit, no closing section.
IldaBuilder WarningsOnly() {
    IldaBuilder b;
    b.Header(0, 3, 0, 1).Point3D(0, 0, 0, 1).Point3D(0, 0, 0, 2).Point3D(0, 0, 0, 3);
    return b;
}

// An error (the last-point bit on record 1 of 2), a warning (frames from 1) and a note (a
// palette).
IldaBuilder EachSeverity() {
    IldaBuilder b;
    b.Header(2, 2, 0, 0, "PAL").PaletteEntry(255, 0, 0).PaletteEntry(0, 0, 255);
    b.Header(0, 2, 1, 1).Point3D(0, 0, 0, kLast).Point3D(0, 0, 0, kLast).End(1);
    return b;
}

class CheckCommandTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    QString Write(const QByteArray& name, const IldaBuilder& bytes) {
        const QByteArray path = QFile::encodeName(dir_.path()) + "/" + name;
        QFile file(QFile::decodeName(path));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        const std::string data = bytes.String();
        EXPECT_EQ(file.write(data.data(), static_cast<qint64>(data.size())),
                  static_cast<qint64>(data.size()));
        return QFile::decodeName(path);
    }

    static QJsonObject ParseJson(const std::string& text) {
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
        return doc.object();
    }

    QTemporaryDir dir_;
};

TEST_F(CheckCommandTest, OneLineADepartureAndACountLine) {
    const std::string good = Write("good.ild", Conforming()).toStdString();
    const std::string mixed = Write("mixed.ild", EachSeverity()).toStdString();
    const CliRun run =
        RunCli({"check", QString::fromStdString(good), QString::fromStdString(mixed)});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out,
              good + ": 0 errors, 0 warnings, 0 notes\n" + //
                  mixed +
                  ": section 1 at byte 0: note: palette section of 2 colours, not used: "
                  "colours come from the palette chosen for reading [palette]\n" + //
                  mixed +
                  ": section 2 at byte 38: warning: frame numbers start at 1, not at 0 "
                  "[frame_numbers]\n" + //
                  mixed +
                  ": section 2 at byte 70: error: last-point bit on 1 record before "
                  "the last of 2: record 1 [early_last_point]\n" + //
                  mixed +
                  ": 1 error, 1 warning, 1 note\n");
}

// What resave writes, from files that depart in many ways and with every palette, has nothing
// to say.
TEST_F(CheckCommandTest, ResavedFilesConform) {
    IldaBuilder numbered;
    numbered.Header(1, 2, 1, 9).Point2D(0, 0, kLast).Point2D(16, 16, 0);
    numbered.Header(5, 1, 1, 9).Point2DTrueColour(0, 0, 0, 255, 255, 255);
    numbered.Header(7, 1, 0, 0).Point2D(0, 0, 0).Bytes("trailing");
    const QString sources[] = {Write("warned.ild", WarningsOnly()),
                               Write("mixed.ild", EachSeverity()), Write("numbered.ild", numbered)};
    for (const QString& source : sources) {
        for (const char* palette : {"pangolin", "ilda", "x29"}) {
            SCOPED_TRACE(source.toStdString() + ", " + palette);
            const QString out = dir_.filePath("out.ild");
            const CliRun resave = RunCli({"resave", "--palette", palette, source, "-o", out});
            ASSERT_EQ(resave.status, 0) << resave.err;
            const CliRun check = RunCli({"check", out});
            EXPECT_EQ(check.status, 0);
            EXPECT_EQ(check.out, out.toStdString() + ": 0 errors, 0 warnings, 0 notes\n");
        }
    }
}

TEST_F(CheckCommandTest, ExitStatus) {
    const QString good = Write("good.ild", Conforming());
    const QString warned = Write("warned.ild", WarningsOnly());
    const QString bad = Write("bad.ild", EachSeverity());
    const QString missing = dir_.filePath("missing.ild");
    const struct {
        const char* name;
        QStringList args;
        int status;
    } rows[] = {
        {"conforming file", {"check", good}, 0},
        {"warnings only", {"check", warned, good}, 0},
        {"an error in one file of two", {"check", good, bad}, 1},
        {"a file that cannot be read", {"check", good, missing}, 1},
        {"a directory", {"check", dir_.path()}, 1},
        {"--json with an error", {"check", "--json", bad}, 1},
        {"no file", {"check"}, 2},
        {"only --json", {"check", "--json"}, 2},
        {"unknown option", {"check", "--strict", good}, 2},
        {"a name after --", {"check", "--", good}, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(RunCli(row.args).status, row.status);
    }
}

TEST_F(CheckCommandTest, UnreadableFileIsOneLineOnStandardError) {
    const QString good = Write("good.ild", Conforming());
    const QString missing = dir_.filePath("missing.ild");
    const CliRun run = RunCli({"check", missing, good});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "trellion-cli check: " + missing.toStdString() + ": No such file or directory\n");
    EXPECT_EQ(run.out, good.toStdString() + ": 0 errors, 0 warnings, 0 notes\n");
}

TEST_F(CheckCommandTest, JsonHoldsTheSameFacts) {
    // A name that is not UTF-8 also comes back as its bytes in base64. The shell passes it on as
    // bytes, which a QString argument could not.
    const std::string odd = "odd\xff.ild";
    const std::string oddPath = QFile::encodeName(dir_.path()).toStdString() + "/" + odd;
    std::ofstream(oddPath, std::ios::binary) << EachSeverity().String();
    IldaBuilder junk;
    junk.Bytes("JUNK").Bytes(Conforming().String());
    Write("lead.ild", junk);

    CliSetting inDir;
    inDir.workingDirectory = QFile::encodeName(dir_.path()).toStdString();
    const CliRun json = RunCliBytes({"check", "--json", odd, "lead.ild", "missing.ild"}, inDir);
    ASSERT_NE(json.status, -1);
    ::unlink(oddPath.c_str()); // QTemporaryDir cannot remove names that are not UTF-8

    EXPECT_EQ(json.status, 1);
    EXPECT_EQ(json.err, "trellion-cli check: missing.ild: No such file or directory\n");
    const QJsonArray files = ParseJson(json.out)["files"].toArray();
    ASSERT_EQ(files.size(), 3);

    const QJsonObject first = files[0].toObject();
    EXPECT_EQ(QByteArray::fromBase64(first["file_base64"].toString().toLatin1()),
              QByteArray::fromStdString(odd));
    EXPECT_EQ(first["file"].toString(), QString::fromUtf8("odd\xef\xbf\xbd.ild"));
    const QJsonArray departures = first["departures"].toArray();
    ASSERT_EQ(departures.size(), 3);
    const QJsonObject early = departures[2].toObject();
    EXPECT_EQ(early["section"].toInteger(), 2);
    EXPECT_EQ(early["offset"].toInteger(), 70);
    EXPECT_EQ(early["kind"].toString(), "early_last_point");
    EXPECT_EQ(early["severity"].toString(), "error");
    EXPECT_EQ(early["text"].toString(),
              "last-point bit on 1 record before the last of 2: record 1");
    EXPECT_EQ(departures[0]["kind"].toString(), "palette");
    EXPECT_EQ(departures[0]["severity"].toString(), "note");
    EXPECT_EQ(first["counts"].toObject(),
              (QJsonObject{{"errors", 1}, {"warnings", 1}, {"notes", 1}}));

    const QJsonObject second = files[1].toObject();
    EXPECT_EQ(second["file"].toString(), "lead.ild");
    EXPECT_FALSE(second.contains("file_base64"));
    ASSERT_EQ(second["departures"].toArray().size(), 1);
    EXPECT_TRUE(second["departures"][0]["section"].isNull()) << "bytes before any section";
    EXPECT_EQ(second["departures"][0]["kind"].toString(), "not_a_header");

    EXPECT_EQ(files[2]["file"].toString(), "missing.ild");
    EXPECT_EQ(files[2]["error"].toString(), "No such file or directory");
}

TEST_F(CheckCommandTest, HelpNamesEveryKindWithItsSeverity) {
    const CliRun help = RunCli({"check", "--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* line : {"  cut_off             error", "  count_overflow      error",
                             "  early_last_point    error", "  unknown_format      error",
                             "  not_a_header        error", "  no_last_point       warning",
                             "  frame_numbers       warning", "  total_frames        warning",
                             "  no_closing_section  warning", "  closing_format      warning",
                             "  bytes_after_end     warning", "  reserved_bytes      warning",
                             "  name_field          warning", "  mixed_dimensions    warning",
                             "  palette             note", "  mixed_formats       note", "--json"})
        EXPECT_NE(help.out.find(line), std::string::npos) << line;
    const CliRun overview = RunCli({"--help"});
    EXPECT_NE(overview.out.find("\n  check "), std::string::npos) << overview.out;
}

TEST_F(CheckCommandTest, InfoCountsTheDeparturesAndSaysNothingWithoutThem) {
    const QString good = Write("good.ild", Conforming());
    const QString bad = Write("bad.ild", EachSeverity());
    const std::string pointer =
        "3 departures from the standard: trellion-cli check " + bad.toStdString() + "\n";

    const CliRun full = RunCli({"info", bad});
    EXPECT_EQ(full.status, 0) << full.err;
    EXPECT_NE(full.out.find(pointer), std::string::npos) << full.out;
    const CliRun brief = RunCli({"info", "--brief", good, bad});
    EXPECT_EQ(brief.out.find("departure"), brief.out.find(pointer) + 2) << "only bad.ild has any";
    EXPECT_NE(brief.out.find("; " + pointer), std::string::npos) << brief.out;

    const CliRun json = RunCli({"info", "--json", "--brief", good, bad});
    const QJsonArray files = ParseJson(json.out)["files"].toArray();
    ASSERT_EQ(files.size(), 2);
    EXPECT_EQ(files[0]["summary"]["departures"].toInteger(), 0);
    EXPECT_EQ(files[1]["summary"]["departures"].toInteger(), 3);
}

} // namespace
