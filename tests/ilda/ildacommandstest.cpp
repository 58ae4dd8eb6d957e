// Runs the built trellion-cli's info and resave commands on files they did not write.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>

#include "ilda/cilda.h"
#include "tests/ilda/ildabuilder.h"
#include "tests/ilda/ildatesthelpers.h"

namespace fs = std::filesystem;

namespace {

struct CliResult {
    int status = -1;
    std::string out;
    std::string err;
};

class IldaCommandsTest : public IldaTest {
protected:
    CliResult Run(const std::vector<std::string>& args) {
        std::string command = "'" TRELLION_CLI "'";
        for (const std::string& arg : args) {
            std::string quoted = "'";
            for (char c : arg)
                quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
            command += " " + quoted + "'";
        }
        const fs::path out = dir_ / ".stdout";
        const fs::path err = dir_ / ".stderr";
        command += " >'" + out.string() + "' 2>'" + err.string() + "'";
        const int raw = std::system(command.c_str());
        CliResult result;
        result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        result.out = Read(out);
        result.err = Read(err);
        fs::remove(out);
        fs::remove(err);
        return result;
    }

    // A palette section, two frames of 3 and 4 points (one blanked, the last with the
    // last-point bit) and a closing section, none of it in our writer's layout.
    static IldaBuilder Sample() {
        IldaBuilder b;
        b.Header(2, 2, 0, 0, "PAL", "OTHER").PaletteEntry(1, 2, 3).PaletteEntry(4, 5, 6);
        b.Header(0, 3, 0, 2, "ONE", "OTHER")
            .Point3D(100, 200, 300, 0x0003)
            .Point3D(-100, -200, -300, 0x4001)
            .Point3D(0, 0, 0, 0x0038);
        b.Header(0, 4, 1, 2, "TWO", "OTHER")
            .Point3D(1, 1, 1, 0x0005)
            .Point3D(2, 2, 2, 0x0005)
            .Point3D(3, 3, 3, 0x0005)
            .Point3D(4, 4, 4, 0x8005);
        b.End(2);
        return b;
    }

    static size_t LineCount(const std::string& text) {
        return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
    }
};

} // namespace

TEST_F(IldaCommandsTest, InfoListsSectionsAndWhatWasLoaded) {
    const fs::path file = dir_ / "sample.ild";
    Put(file, Sample().Data());
    const CliResult r = Run({"info", "--frames", file.string()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    const std::string expected =
        file.string() + ": 190 bytes\n"
                        "  section 1 at 0: format 2, 2 points, frame 0 of 0, \"PAL     \" "
                        "\"OTHER   \"\n"
                        "  section 2 at 38: format 0, 3 points, frame 0 of 2, \"ONE     \" "
                        "\"OTHER   \"\n"
                        "  section 3 at 94: format 0, 4 points, frame 1 of 2, \"TWO     \" "
                        "\"OTHER   \"\n"
                        "  section 4 at 158: format 0, 0 points, frame 2 of 2, \"END     \" "
                        "\"TEST    \"\n"
                        "  frame 1: 3 points\n"
                        "  frame 2: 4 points\n"
                        "  loaded: 2 frames, 7 points, 1 blanked\n";
    EXPECT_EQ(r.out, expected);
}

TEST_F(IldaCommandsTest, InfoReportsUnreadableFilesOneLineEachAndGoesOn) {
    const fs::path good = dir_ / "good.ild";
    Put(good, Sample().Data());
    Put(dir_ / "text.ild", std::string("not a laser file"));
    const fs::path missing = dir_ / "missing.ild";
    const CliResult r =
        Run({"info", missing.string(), good.string(), dir_.string(), (dir_ / "text.ild").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "trellion-cli info: " + missing.string() +
                         ": Cannot open Ilda file.\n"
                         "trellion-cli info: " +
                         dir_.string() + ": Cannot open Ilda file.\n");
    EXPECT_NE(r.out.find("loaded: 2 frames, 7 points"), std::string::npos);
    EXPECT_NE(r.out.find("no ILDA section at the start\n  loaded: 1 frames, 0 points"),
              std::string::npos);
}

TEST_F(IldaCommandsTest, ResaveWritesWhatTheSaveOfAFoundFileWrites) {
    const fs::path in = dir_ / "in.ild";
    Put(in, Sample().Data());
    struct Row {
        std::vector<std::string> palette;
        int index;
    };
    const Row rows[] = {{{}, 1},
                        {{"--palette", "pangolin"}, 0},
                        {{"--palette", "ILDA"}, 1},
                        {{"--palette=x29"}, 2},
                        {{"--palette", "0"}, 0},
                        {{"--palette", "2"}, 2}};
    for (const Row& row : rows) {
        SCOPED_TRACE("palette " + std::to_string(row.index));
        std::vector<std::string> args = {"resave"};
        args.insert(args.end(), row.palette.begin(), row.palette.end());
        const fs::path out = dir_ / "out.ild";
        args.insert(args.end(), {in.string(), "-o", out.string()});
        const CliResult r = Run(args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out, "");

        CChannel* channel = NewChannel();
        CIlda ilda;
        ASSERT_TRUE(ilda.Load(in.string(), channel, row.index));
        ASSERT_TRUE(ilda.Save((dir_ / "expected.ild").string(), channel, row.index));
        EXPECT_EQ(Read(out), Read(dir_ / "expected.ild"));
        EXPECT_EQ(Read(out).size(), 152u);
    }
    // With x29, entry 3 (red) goes back as 2, the lower of its pair; the blanked point as 0.
    Run({"resave", "--palette", "x29", in.string(), "-o", (dir_ / "x.ild").string()});
    const std::string x = Read(dir_ / "x.ild");
    EXPECT_EQ(x.substr(32 + 6, 2), std::string("\0\x02", 2));
    EXPECT_EQ(x.substr(40 + 6, 2), std::string("\x40\0", 2));
}

TEST_F(IldaCommandsTest, ResaveOfAFileItCannotReadWritesNothing) {
    const fs::path target = dir_ / "target.ild";
    Put(target, std::string("previous bytes"));
    fs::create_directory(dir_ / "folder.ild");
    for (const fs::path& source : {dir_ / "missing.ild", dir_ / "folder.ild"}) {
        SCOPED_TRACE(source.string());
        const CliResult r = Run({"resave", source.string(), "-o", target.string()});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "trellion-cli resave: " + source.string() + ": Cannot open Ilda file.\n");
        EXPECT_EQ(Read(target), "previous bytes");
    }
    EXPECT_EQ(EntryCount(), 2u);
}

TEST_F(IldaCommandsTest, ResaveToATargetThatCannotBeWrittenNamesTheTarget) {
    const fs::path in = dir_ / "in.ild";
    Put(in, Sample().Data());
    const fs::path out = dir_ / "no such directory" / "out.ild";
    const CliResult r = Run({"resave", in.string(), "-o", out.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "trellion-cli resave: " + out.string() + ": Cannot open Ilda file.\n");
}

// File names are bytes: a Latin-1 name is read and written as the file system has it, and
// named in the messages as given, whatever the locale.
TEST_F(IldaCommandsTest, NamesThatAreNotUtf8AreReadAndWrittenAsTheirBytes) {
    const fs::path in = dir_ / "caf\xe9.ild";
    Put(in, Sample().Data());
    const fs::path out = dir_ / "copie \xe9t\xe9.ild";
    for (const char* locale : {"C.UTF-8", "C"}) {
        SCOPED_TRACE(locale);
        ::setenv("LC_ALL", locale, 1);
        const CliResult info = Run({"info", in.string()});
        EXPECT_EQ(info.status, 0) << info.err;
        EXPECT_EQ(info.out.rfind(in.string() + ": 190 bytes\n", 0), 0u) << info.out;

        fs::remove(out);
        const CliResult resave = Run({"resave", in.string(), "-o", out.string()});
        EXPECT_EQ(resave.status, 0) << resave.err;
        EXPECT_EQ(Read(out).size(), 152u);

        const fs::path missing = dir_ / "absent\xe9.ild";
        const CliResult failed = Run({"info", missing.string()});
        EXPECT_EQ(failed.err,
                  "trellion-cli info: " + missing.string() + ": Cannot open Ilda file.\n");
    }
    ::unsetenv("LC_ALL");
}

TEST_F(IldaCommandsTest, UsageErrorsAndHelp) {
    struct Row {
        const char* name;
        std::vector<std::string> args;
        int status;
    };
    const Row rows[] = {
        {"info without files", {"info"}, 2},
        {"info unknown option", {"info", "--fast", "a.ild"}, 2},
        {"info help", {"info", "--help"}, 0},
        {"resave help", {"resave", "--help"}, 0},
        {"resave without output", {"resave", "a.ild"}, 2},
        {"resave without input", {"resave", "-o", "b.ild"}, 2},
        {"resave two inputs", {"resave", "a.ild", "c.ild", "-o", "b.ild"}, 2},
        {"resave unknown palette", {"resave", "--palette", "rgb", "a.ild", "-o", "b.ild"}, 2},
        {"resave palette without value", {"resave", "a.ild", "-o", "b.ild", "--palette"}, 2},
        {"resave -o without value", {"resave", "a.ild", "-o"}, 2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const CliResult r = Run(row.args);
        EXPECT_EQ(r.status, row.status);
        if (row.status == 0) {
            EXPECT_EQ(r.out.rfind("usage: trellion-cli " + row.args[0], 0), 0u);
            EXPECT_EQ(r.err, "");
        } else {
            EXPECT_EQ(r.err.rfind("trellion-cli " + row.args[0] + ": ", 0), 0u) << r.err;
            EXPECT_EQ(r.out, "");
        }
    }
    EXPECT_FALSE(fs::exists(dir_ / "b.ild"));
}
