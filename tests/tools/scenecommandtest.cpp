// The convert and scene-info commands of trellion-cli, run as the built program.
#include <gtest/gtest.h>

#include <algorithm>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "ilda/cilda.h"
#include "ilda/colourpalettes.h"
#include "model/cchannel.h"
#include "model/cframe.h"
#include "model/cscene.h"
#include "model/cthing.h"
#include "model/geometry.h"
#include "scene/scenefile.h"
#include "settings/settings.h"
#include "tests/ilda/ildabuilder.h"
#include "tests/tools/clirun.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace fs = std::filesystem;

namespace {

std::string ReadText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

size_t LineCount(const std::string& text) {
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

using Result = CliRun;

class SceneCommandTest : public testing::Test {
protected:
    static void SetUpTestSuite() { FillAngleTables(); }
    void SetUp() override {
        char name[] = "/tmp/scenecommand-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        dir_ = name;
        fs::create_directory(dir_ / "out");
        fs::create_directory(dir_ / "home");
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    // Runs trellion-cli with the arguments; HOME points into the test directory, so the
    // default settings location holds no file. fileSizeLimit > 0 runs it under that limit.
    Result Run(const std::vector<std::string>& args, rlim_t fileSizeLimit = 0) {
        CliSetting setting = FileSizeLimited(fileSizeLimit);
        setting.environment = {"HOME=" + (dir_ / "home").string()};
        return RunCliBytes(args, setting);
    }

    // An ILDA file of `frames` format-0 frames of `points` points each, closed by an end
    // section.
    fs::path WriteIlda(const std::string& name, uint16_t frames, uint16_t points) {
        IldaBuilder b;
        for (uint16_t i = 0; i < frames; ++i)
            b.Frame3D(points, i, frames);
        b.End(frames);
        const fs::path p = dir_ / name;
        std::ofstream(p, std::ios::binary) << b.String();
        return p;
    }

    static std::unique_ptr<CScene> Read(const fs::path& p) {
        auto scene = std::make_unique<CScene>(DefaultSettings());
        std::string error;
        EXPECT_TRUE(LoadSceneFile(p.string(), scene.get(), 0, &error)) << p << ": " << error;
        return scene;
    }

    fs::path dir_;
};

TEST_F(SceneCommandTest, ConvertWritesTheWorkflowsSceneFileForEachInput) {
    const fs::path laser = WriteIlda("laser.ild", 3, 7);
    const fs::path show = WriteIlda("SHOW.ILD", 2, 1);
    const Result r = Run({"convert", laser.string(), show.string(), "-o", (dir_ / "out").string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    ASSERT_TRUE(fs::exists(dir_ / "out" / "laser.scn"));
    ASSERT_TRUE(fs::exists(dir_ / "out" / "SHOW.scn")) << "only the last three characters change";
    EXPECT_EQ(fs::file_size(dir_ / "out" / "laser.scn"), size_t(269 + 373 + 3 * (61 + 21 * 7)));
    EXPECT_EQ(fs::file_size(dir_ / "out" / "SHOW.scn"), size_t(269 + 373 + 2 * (61 + 21)));

    // The same bytes as the workflow's own steps give in this process.
    CScene scene(DefaultSettings());
    CChannel* channel = scene.AddChannel();
    CIlda reader;
    ASSERT_TRUE(reader.Load(laser.string(), channel, 1));
    channel->type = 1;
    ASSERT_TRUE(SaveSceneFile(&scene, (dir_ / "here.scn").string()));
    EXPECT_EQ(ReadText(dir_ / "out" / "laser.scn"), ReadText(dir_ / "here.scn"));
}

// File names are bytes: a Latin-1 name gives a scene file of the same bytes, also in an output
// directory so named.
TEST_F(SceneCommandTest, ConvertKeepsNamesThatAreNotUtf8) {
    const fs::path latin = WriteIlda("caf\xe9.ild", 2, 5);
    const fs::path out = dir_ / "Sc\xe8nes";
    fs::create_directory(out);
    const Result r = Run({"convert", latin.string(), "-o", out.string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, latin.string() + " -> " + (out / "caf\xe9.scn").string() + " (2 frames)\n");
    EXPECT_EQ(Read(out / "caf\xe9.scn")->FirstChannel()->FrameCount(), 2);
}

TEST_F(SceneCommandTest, UnreadableInputIsReportedAndNotConverted) {
    const fs::path good = WriteIlda("good.ild", 1, 3);
    fs::create_directory(dir_ / "folder.ild");
    std::ofstream(dir_ / "out" / "missing.scn") << "keep me";
    const Result r = Run({"convert", (dir_ / "missing.ild").string(), good.string(),
                          (dir_ / "folder.ild").string(), "-o", (dir_ / "out").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(LineCount(r.err), 2u) << r.err;
    EXPECT_NE(r.err.find((dir_ / "missing.ild").string() + ": Cannot open Ilda file."),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find((dir_ / "folder.ild").string()), std::string::npos) << r.err;
    EXPECT_EQ(ReadText(dir_ / "out" / "missing.scn"), "keep me");
    EXPECT_FALSE(fs::exists(dir_ / "out" / "folder.scn"));
    EXPECT_TRUE(fs::exists(dir_ / "out" / "good.scn"));
}

TEST_F(SceneCommandTest, FailedSaveKeepsTheOldSceneFileAndNamesIt) {
    const fs::path big = WriteIlda("big.ild", 20, 200); // about 85 KB of scene file
    const fs::path target = dir_ / "out" / "big.scn";
    const std::string previous(3000, 'p');
    std::ofstream(target, std::ios::binary) << previous;
    const Result r = Run({"convert", big.string(), "-o", (dir_ / "out").string()}, 16 * 1024);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "trellion-cli convert: " + target.string() + ": Cannot save file.\n");
    EXPECT_EQ(ReadText(target), previous);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "out"), {}), 1)
        << "a temporary file remains";
}

TEST_F(SceneCommandTest, PaletteOptionChoosesTheVertexColours) {
    const fs::path ild = WriteIlda("p.ild", 1, 5);
    const struct {
        const char* option;
        int palette;
    } rows[] = {{"pangolin", 0}, {"ilda", 1}, {"x29", 2}, {"0", 0}, {"2", 2}, {nullptr, 1}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.option ? row.option : "default");
        std::vector<std::string> args = {"convert", ild.string(), "-o", (dir_ / "out").string()};
        if (row.option)
            args.insert(args.begin() + 1, {"--palette", row.option});
        const Result r = Run(args);
        ASSERT_EQ(r.status, 0) << r.err;
        auto scene = Read(dir_ / "out" / "p.scn");
        ASSERT_EQ(scene->ChannelCount(), 1);
        CVector* v = scene->FirstChannel()->FirstFrame()->FirstThing()->FirstVertex();
        ASSERT_NE(v, nullptr);
        // Frame3D gives point i the colour index i % 64.
        EXPECT_EQ(v->Next(false)->Next(false)->colour, PaletteColour(row.palette, 2));
    }
}

TEST_F(SceneCommandTest, SettingsFileGivesTheNewScenesDefaults) {
    const fs::path ild = WriteIlda("s.ild", 1, 2);
    const fs::path ini = dir_ / "Tarvexa.ini";
    std::ofstream(ini) << "[SCENE]\nzoom_in_speed=5\n[CHANNEL]\nlaser_scan_speed=77\n"
                          "[COLOURS]\nselected=0x00123456\n";
    const Result r =
        Run({"convert", "--settings", ini.string(), ild.string(), "-o", (dir_ / "out").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    auto scene = Read(dir_ / "out" / "s.scn");
    EXPECT_EQ(scene->zoom_in_speed, 5);
    ASSERT_EQ(scene->ChannelCount(), 1);
    EXPECT_EQ(scene->FirstChannel()->laser_scan_speed, 77);
    EXPECT_EQ(scene->FirstChannel()->selected_colour, 0x00123456u);

    const Result info = Run({"scene-info", (dir_ / "out" / "s.scn").string()});
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("  zoom_in_speed = 5 (new scene: 100)\n"), std::string::npos)
        << info.out;
    EXPECT_NE(info.out.find("  laser_scan_speed = 77 (new channel: 56)\n"), std::string::npos);
    EXPECT_NE(info.out.find("  selected_colour = 0x00123456 (new channel: 0x0000FF00)\n"),
              std::string::npos);
    // Compared with the same settings, only the conversion's own change remains.
    const Result same =
        Run({"scene-info", "--settings", ini.string(), (dir_ / "out" / "s.scn").string()});
    EXPECT_EQ(same.out.find("laser_scan_speed"), std::string::npos) << same.out;
    EXPECT_NE(same.out.find("  type = 1 (new channel: 0)\n"), std::string::npos);
}

TEST_F(SceneCommandTest, SceneInfoListsChannelsFramesThingsAndVertices) {
    CScene scene(DefaultSettings());
    scene.name = "two";
    CChannel* a = scene.AddChannel();
    for (int f = 0; f < 2; ++f) {
        CThing* t = a->AddFrame()->AddThing();
        for (int i = 0; i < 3 + f; ++i)
            (void)t->AddVertex(float(i), 0, 0, 0, 0);
    }
    (void)scene.AddChannel()->AddFrame();
    const fs::path file = dir_ / "two.scn";
    ASSERT_TRUE(SaveSceneFile(&scene, file.string()));
    Result r = Run({"scene-info", file.string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, file.string() + ": scene file version 7, " +
                         std::to_string(fs::file_size(file)) +
                         " bytes\n"
                         "scene: name \"two\", 2 channels, 0 values\n"
                         "channel 1: 2 frames, 0 beams, 7 vertices\n"
                         "  frame 1: 1 thing\n"
                         "    thing 1: 0 polys with 0 vertices, 3 free vertices\n"
                         "  frame 2: 1 thing\n"
                         "    thing 1: 0 polys with 0 vertices, 4 free vertices\n"
                         "channel 2: 1 frame, 0 beams, 0 vertices\n"
                         "  frame 1: 0 things\n");

    r = Run({"scene-info", "--frame-limit", "1", file.string()});
    EXPECT_NE(r.out.find("channel 1: 1 frame, 0 beams, 3 vertices\n"), std::string::npos) << r.out;

    // A cut file and a missing one: one line each naming the file, status 1; the good one is
    // still listed.
    const std::string bytes = ReadText(file);
    std::ofstream(dir_ / "cut.scn", std::ios::binary) << bytes.substr(0, bytes.size() - 5);
    r = Run(
        {"scene-info", (dir_ / "cut.scn").string(), (dir_ / "none.scn").string(), file.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(LineCount(r.err), 2u) << r.err;
    EXPECT_EQ(r.err.find("trellion-cli scene-info: " + (dir_ / "cut.scn").string() + ": "), 0u)
        << r.err;
    EXPECT_NE(r.err.find((dir_ / "none.scn").string()), std::string::npos);
    EXPECT_NE(r.out.find("scene: name \"two\""), std::string::npos);
}

TEST_F(SceneCommandTest, ASecondInputOfTheSameNameDoesNotReplaceTheFirstOnesScene) {
    fs::create_directory(dir_ / "a");
    fs::create_directory(dir_ / "b");
    const fs::path first = WriteIlda("a/show.ild", 2, 4);
    const fs::path second = WriteIlda("b/show.ild", 5, 1);
    const Result r =
        Run({"convert", first.string(), second.string(), "-o", (dir_ / "out").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "trellion-cli convert: " + second.string() + ": not written, " +
                         (dir_ / "out" / "show.scn").string() + " holds " + first.string() + "\n");
    EXPECT_EQ(Read(dir_ / "out" / "show.scn")->FirstChannel()->FrameCount(), 2);
}

TEST_F(SceneCommandTest, SceneInfoJsonCarriesTheTextsFacts) {
    CScene scene(DefaultSettings());
    scene.name = "two";
    scene.zoom_in_speed = 5;
    CChannel* a = scene.AddChannel();
    a->laser_scan_speed = 77;
    std::snprintf(a->text, sizeof a->text, "%s", "hello");
    CThing* t = a->AddFrame()->AddThing();
    for (int i = 0; i < 3; ++i)
        (void)t->AddVertex(float(i), 0, 0, 0, 0);
    (void)a->AddFrame();
    (void)scene.AddChannel()->AddFrame();
    const fs::path file = dir_ / "two.scn";
    ASSERT_TRUE(SaveSceneFile(&scene, file.string()));

    const Result text = Run({"scene-info", file.string()});
    const Result json = Run({"scene-info", "--json", file.string(), (dir_ / "none.scn").string()});
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(json.status, 1);
    EXPECT_EQ(LineCount(json.err), 1u) << json.err;
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(json.out), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << json.out;
    const QJsonArray files = doc.object()["files"].toArray();
    ASSERT_EQ(files.size(), 2);
    EXPECT_EQ(files[1]["file"].toString().toStdString(), (dir_ / "none.scn").string());
    EXPECT_FALSE(files[1]["error"].toString().isEmpty());

    const QJsonObject f = files[0].toObject();
    EXPECT_EQ(f["file"].toString().toStdString(), file.string());
    EXPECT_EQ(f["version"].toInt(), 7);
    EXPECT_EQ(f["bytes"].toInteger(), static_cast<qint64>(fs::file_size(file)));
    const QJsonObject sceneRecord = f["scene"].toObject();
    EXPECT_EQ(sceneRecord["name"].toString(), "two");
    EXPECT_EQ(sceneRecord["channels"].toInt(), 2);
    EXPECT_EQ(sceneRecord["values"].toInt(), 0);
    // Exactly the settings the text lists as differing, with both values.
    const QJsonObject sceneSettings = sceneRecord["settings"].toObject();
    EXPECT_EQ(sceneSettings.keys(), QStringList{"zoom_in_speed"});
    EXPECT_EQ(sceneSettings["zoom_in_speed"]["value"].toInt(), 5);
    EXPECT_EQ(sceneSettings["zoom_in_speed"]["new"].toInt(), 100);
    EXPECT_NE(text.out.find("  zoom_in_speed = 5 (new scene: 100)\n"), std::string::npos);
    EXPECT_FALSE(sceneRecord.contains("transform"));

    const QJsonArray channels = f["channels"].toArray();
    ASSERT_EQ(channels.size(), 2);
    const QJsonObject c1 = channels[0].toObject();
    EXPECT_EQ(c1["index"].toInt(), 1);
    EXPECT_EQ(c1["frame_count"].toInt(), 2);
    EXPECT_EQ(c1["beams"].toInt(), 0);
    EXPECT_EQ(c1["vertices"].toInt(), 3);
    const QJsonObject channelSettings = c1["settings"].toObject();
    EXPECT_EQ(channelSettings.keys(), (QStringList{"laser_scan_speed", "text"}));
    EXPECT_EQ(channelSettings["laser_scan_speed"]["value"].toInt(), 77);
    EXPECT_EQ(channelSettings["text"]["value"].toString(), "hello");
    EXPECT_NE(text.out.find("channel 1: 2 frames, 0 beams, 3 vertices\n"), std::string::npos);
    EXPECT_NE(text.out.find("  laser_scan_speed = 77 (new channel: 56)\n"), std::string::npos);
    const QJsonArray frames = c1["frames"].toArray();
    ASSERT_EQ(frames.size(), 2);
    const QJsonArray things = frames[0]["things"].toArray();
    ASSERT_EQ(things.size(), 1);
    EXPECT_EQ(things[0]["free_vertices"].toInt(), 3);
    EXPECT_EQ(things[0]["polys"].toInt(), 0);
    EXPECT_EQ(things[0]["poly_vertices"].toInt(), 0);
    EXPECT_EQ(frames[1]["things"].toArray().size(), 0);
    EXPECT_EQ(channels[1]["frame_count"].toInt(), 1);
}

TEST_F(SceneCommandTest, UsageErrorsAndHelp) {
    const fs::path ild = WriteIlda("u.ild", 1, 1);
    const std::string out = (dir_ / "out").string();
    const struct {
        const char* name;
        std::vector<std::string> args;
        int status;
    } rows[] = {
        {"convert without arguments", {"convert"}, 2},
        {"convert without -o", {"convert", ild.string()}, 2},
        {"convert without inputs", {"convert", "-o", out}, 2},
        {"convert -o without value", {"convert", ild.string(), "-o"}, 2},
        {"unknown palette", {"convert", "--palette", "rgb", ild.string(), "-o", out}, 2},
        {"unknown option", {"convert", "--fast", ild.string(), "-o", out}, 2},
        {"output not a directory", {"convert", ild.string(), "-o", ild.string()}, 1},
        {"convert help", {"convert", "--help"}, 0},
        {"scene-info without arguments", {"scene-info"}, 2},
        {"scene-info bad frame limit", {"scene-info", "--frame-limit", "x", "a.scn"}, 2},
        {"scene-info help", {"scene-info", "--help"}, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Result r = Run(row.args);
        EXPECT_EQ(r.status, row.status) << r.err;
        if (row.status == 0)
            EXPECT_EQ(r.out.find("usage: trellion-cli"), 0u);
        else
            EXPECT_FALSE(r.err.empty());
    }
    EXPECT_FALSE(fs::exists(dir_ / "out" / "u.scn"));
}

} // namespace
