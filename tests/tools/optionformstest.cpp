// Every command reads its options alike: --opt value, --opt=value, -o value, -- before names
// that begin with "-", and the same one-line errors with status 2.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <QImage>

#include "tests/ilda/ildabuilder.h"
#include "tests/tools/clirun.h"

namespace fs = std::filesystem;

namespace {

struct FormRow {
    const char* name;
    std::vector<std::string> args;
    int status;
    std::string outHas;   // a text standard output holds (status 0)
    std::string fileMade; // a file the run makes, relative to the directory it runs in
    std::string err;      // the whole of standard error
};

class OptionForms : public testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/optionforms-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        dir_ = name;
        // Two frames of lit points; the same bytes under a name that looks like an option.
        IldaBuilder b;
        b.Header(0, 3, 0, 2).Point3D(-8000, -8000, 0, 0x01).Point3D(8000, 8000, 0, 0x02);
        b.Point3D(8000, -8000, 0, 0x8003);
        b.Header(0, 2, 1, 2).Point3D(-4000, 0, 0, 0x01).Point3D(4000, 0, 0, 0x8001);
        b.End(2);
        for (const char* file : {"show.ild", "-x.ild", "dir/a.ild", "-d/c.ild"}) {
            fs::create_directories((dir_ / file).parent_path());
            std::ofstream out(dir_ / file, std::ios::binary);
            out.write(reinterpret_cast<const char*>(b.Data().data()),
                      static_cast<std::streamsize>(b.Data().size()));
        }
        std::ofstream(dir_ / "dir" / "b.txt") << "text";
        fs::create_directory(dir_ / "out");
        ASSERT_EQ(Run({"convert", "show.ild", "-x.ild", "-o", "."}).status, 2)
            << "-x.ild reads as an option without --";
        ASSERT_EQ(Run({"convert", "-o", ".", "--", "show.ild", "-x.ild"}).status, 0);
        ASSERT_TRUE(fs::exists(dir_ / "-x.scn"));
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    CliRun Run(const std::vector<std::string>& args) {
        CliSetting setting;
        setting.workingDirectory = dir_.string();
        setting.environment = {"HOME=" + dir_.string(), "QT_QPA_PLATFORM=offscreen"};
        return RunCliBytes(args, setting);
    }

    fs::path dir_;
};

std::vector<FormRow> Rows() {
    const auto unknown = [](const std::string& command) {
        return "trellion-cli " + command + ": unknown option '--fast'\n";
    };
    const auto needs = [](const std::string& command, const std::string& option) {
        return "trellion-cli " + command + ": " + option + " needs a value\n";
    };
    return {
        {"find --masks value", {"find", "--masks", "*.txt", "dir"}, 0, "dir/b.txt", {}, {}},
        {"find --masks=value", {"find", "--masks=*.txt", "dir"}, 0, "dir/b.txt", {}, {}},
        {"find -- -d", {"find", "--", "-d"}, 0, "-d/c.ild", {}, {}},
        {"find unknown", {"find", "--fast", "dir"}, 2, {}, {}, unknown("find")},
        {"find no value", {"find", "dir", "--masks"}, 2, {}, {}, needs("find", "--masks")},

        {"info --pps value",
         {"info", "--brief", "--pps", "60000", "show.ild"},
         0,
         "60000 pps",
         {},
         {}},
        {"info --pps=value",
         {"info", "--brief", "--pps=60000", "show.ild"},
         0,
         "60000 pps",
         {},
         {}},
        {"info -- -x.ild", {"info", "--brief", "--", "-x.ild"}, 0, "-x.ild: 2 frames", {}, {}},
        {"info unknown", {"info", "--fast", "show.ild"}, 2, {}, {}, unknown("info")},
        {"info no value", {"info", "show.ild", "--pps"}, 2, {}, {}, needs("info", "--pps")},

        {"check --json", {"check", "--json", "show.ild"}, 0, "\"files\"", {}, {}},
        {"check -- -x.ild", {"check", "--", "-x.ild"}, 0, "-x.ild: 0 errors", {}, {}},
        {"check --json=value",
         {"check", "--json=yes", "show.ild"},
         2,
         {},
         {},
         "trellion-cli check: --json takes no value\n"},
        {"check unknown", {"check", "--fast", "show.ild"}, 2, {}, {}, unknown("check")},

        {"convert -o value", {"convert", "show.ild", "-o", "out"}, 0, {}, "out/show.scn", {}},
        {"convert --output=value",
         {"convert", "show.ild", "--output=out"},
         0,
         {},
         "out/show.scn",
         {}},
        {"convert --output value",
         {"convert", "--output", "out", "show.ild"},
         0,
         {},
         "out/show.scn",
         {}},
        {"convert --palette=value",
         {"convert", "--palette=x29", "show.ild", "-o", "out"},
         0,
         {},
         "out/show.scn",
         {}},
        {"convert -- -x.ild", {"convert", "-o", "out", "--", "-x.ild"}, 0, {}, "out/-x.scn", {}},
        {"convert unknown",
         {"convert", "--fast", "show.ild", "-o", "out"},
         2,
         {},
         {},
         unknown("convert")},
        {"convert no value", {"convert", "show.ild", "-o"}, 2, {}, {}, needs("convert", "-o")},

        {"resave -o value", {"resave", "show.ild", "-o", "o.ild"}, 0, {}, "o.ild", {}},
        {"resave --output=value", {"resave", "show.ild", "--output=o.ild"}, 0, {}, "o.ild", {}},
        {"resave --palette=value",
         {"resave", "--palette=pangolin", "show.ild", "-o", "o.ild"},
         0,
         {},
         "o.ild",
         {}},
        {"resave -- -x.ild", {"resave", "-o", "o.ild", "--", "-x.ild"}, 0, {}, "o.ild", {}},
        {"resave unknown",
         {"resave", "--fast", "show.ild", "-o", "o.ild"},
         2,
         {},
         {},
         unknown("resave")},
        {"resave no value",
         {"resave", "show.ild", "-o", "o.ild", "--palette"},
         2,
         {},
         {},
         needs("resave", "--palette")},

        {"render --frame value",
         {"render", "show.ild", "--frame", "2", "-o", "p.png"},
         0,
         {},
         "p.png",
         {}},
        {"render --frame=value",
         {"render", "show.ild", "--frame=2", "--output=p.png"},
         0,
         {},
         "p.png",
         {}},
        {"render -- -x.ild", {"render", "-o", "p.png", "--", "-x.ild"}, 0, {}, "p.png", {}},
        {"render unknown",
         {"render", "show.ild", "--fast", "-o", "p.png"},
         2,
         {},
         {},
         unknown("render")},
        {"render no value",
         {"render", "show.ild", "-o", "p.png", "--size"},
         2,
         {},
         {},
         needs("render", "--size")},

        {"scene-info --frame-limit value",
         {"scene-info", "--frame-limit", "1", "show.scn"},
         0,
         "1 frame,",
         {},
         {}},
        {"scene-info --frame-limit=value",
         {"scene-info", "--frame-limit=1", "show.scn"},
         0,
         "1 frame,",
         {},
         {}},
        {"scene-info -- -x.scn", {"scene-info", "--", "-x.scn"}, 0, "2 frames,", {}, {}},
        {"scene-info unknown",
         {"scene-info", "--fast", "show.scn"},
         2,
         {},
         {},
         unknown("scene-info")},
        {"scene-info no value",
         {"scene-info", "show.scn", "--frame-limit"},
         2,
         {},
         {},
         needs("scene-info", "--frame-limit")},

        {"thumbnail --size value",
         {"thumbnail", "--size", "32", "show.ild", "t.png"},
         0,
         {},
         "t.png",
         {}},
        {"thumbnail --size=value",
         {"thumbnail", "--size=32", "show.ild", "t.png"},
         0,
         {},
         "t.png",
         {}},
        {"thumbnail -- -x.ild",
         {"thumbnail", "--size=32", "--", "-x.ild", "t.png"},
         0,
         {},
         "t.png",
         {}},
        {"thumbnail unknown",
         {"thumbnail", "--fast", "show.ild", "t.png"},
         2,
         {},
         {},
         unknown("thumbnail")},
        {"thumbnail no value",
         {"thumbnail", "show.ild", "t.png", "--size"},
         2,
         {},
         {},
         needs("thumbnail", "--size")},
    };
}

TEST_F(OptionForms, EveryCommandReadsEveryForm) {
    for (const FormRow& row : Rows()) {
        SCOPED_TRACE(row.name);
        const CliRun run = Run(row.args);
        EXPECT_EQ(run.status, row.status) << run.err;
        if (row.status == 0) {
            EXPECT_EQ(run.err, "");
            EXPECT_NE(run.out.find(row.outHas), std::string::npos) << run.out;
        } else {
            EXPECT_EQ(run.err, row.err);
            EXPECT_EQ(run.out, "");
        }
        if (!row.fileMade.empty()) {
            EXPECT_TRUE(fs::exists(dir_ / row.fileMade));
            fs::remove(dir_ / row.fileMade);
        }
    }
}

// Each value reaches the command, whichever form carried it: the picture's size, the frame
// drawn and the palette written.
TEST_F(OptionForms, ValuesArriveInEveryForm) {
    for (const std::vector<std::string>& sizeArgs :
         {std::vector<std::string>{"--size", "40x24"}, {"--size=40x24"}}) {
        std::vector<std::string> args = {"render", "show.ild", "-o", "p.png"};
        args.insert(args.end(), sizeArgs.begin(), sizeArgs.end());
        ASSERT_EQ(Run(args).status, 0);
        EXPECT_EQ(QImage(QString::fromStdString((dir_ / "p.png").string())).size(), QSize(40, 24));
        fs::remove(dir_ / "p.png");
    }
    // The second frame is another picture than the first, in either form.
    ASSERT_EQ(Run({"render", "show.ild", "-o", "one.png"}).status, 0);
    ASSERT_EQ(Run({"render", "show.ild", "--frame", "2", "-o", "two.png"}).status, 0);
    ASSERT_EQ(Run({"render", "show.ild", "--frame=2", "-o", "two=.png"}).status, 0);
    const QImage one(QString::fromStdString((dir_ / "one.png").string()));
    const QImage two(QString::fromStdString((dir_ / "two.png").string()));
    EXPECT_NE(one, two);
    EXPECT_EQ(two, QImage(QString::fromStdString((dir_ / "two=.png").string())));
    // A palette given with = writes the same file as one given as the next argument.
    ASSERT_EQ(Run({"resave", "--palette", "x29", "show.ild", "-o", "a.ild"}).status, 0);
    ASSERT_EQ(Run({"resave", "--palette=x29", "show.ild", "--output", "b.ild"}).status, 0);
    ASSERT_EQ(Run({"resave", "show.ild", "-o", "c.ild"}).status, 0);
    const auto bytes = [&](const char* name) {
        std::ifstream in(dir_ / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    EXPECT_EQ(bytes("a.ild"), bytes("b.ild"));
    EXPECT_NE(bytes("a.ild"), bytes("c.ild")) << "the palette was not passed on";
}

// Help and version are answered alike by every command; the last of repeated values counts.
TEST_F(OptionForms, HelpVersionAndRepeatedOptions) {
    for (const char* command :
         {"find", "info", "check", "convert", "resave", "render", "scene-info", "thumbnail"}) {
        SCOPED_TRACE(command);
        for (const char* help : {"--help", "-h"}) {
            const CliRun run = Run({command, help});
            EXPECT_EQ(run.status, 0);
            EXPECT_EQ(run.out.rfind(std::string("usage: trellion-cli ") + command, 0), 0u);
        }
        const CliRun version = Run({command, "--fast", "--version"});
        EXPECT_EQ(version.status, 0);
        EXPECT_EQ(version.out.rfind("trellion-cli ", 0), 0u);
        // After --, --help is a name like any other.
        EXPECT_NE(Run({command, "--", "--help"}).out.rfind("usage:", 0), 0u);
    }
    const CliRun repeated = Run({"info", "--brief", "--pps", "1000", "--pps=60000", "show.ild"});
    EXPECT_NE(repeated.out.find("60000 pps"), std::string::npos) << repeated.out;
}

} // namespace
