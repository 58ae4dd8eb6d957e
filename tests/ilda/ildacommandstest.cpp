// Runs the built trellion-cli's info and resave commands on files they did not write.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

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
    // Runs the tool with args; `limits` is shell text run first, such as "ulimit -f 64;".
    CliResult Run(const std::vector<std::string>& args, const std::string& limits = "") {
        std::string command = limits + "'" TRELLION_CLI "'";
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

    // A large file: `frames` frames of 65,535 points each (512 KiB a frame).
    static IldaBuilder Large(uint16_t frames) {
        IldaBuilder b;
        for (uint16_t f = 0; f < frames; ++f)
            b.Frame3D(65535, f, frames);
        b.End(frames);
        return b;
    }

    std::set<std::string> Entries() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir_))
            names.insert(entry.path().filename().string());
        return names;
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

// Under a memory limit too small for a large file, every command that loads it says so in one
// line naming the file, ends with status 1 and writes nothing; none aborts.
TEST_F(IldaCommandsTest, RunningOutOfMemoryIsReportedAsSuchAndWritesNothing) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer reserves more address space than the limit allows";
#endif
    const fs::path big = dir_ / "big.ild";
    Put(big, Large(30).Data()); // 2 million points: far more model than 150 MB hold
    fs::create_directory(dir_ / "scenes");
    const std::set<std::string> before = Entries();
    const struct {
        const char* command;
        std::vector<std::string> args;
    } rows[] = {
        {"info", {"info", big.string()}},
        {"resave", {"resave", big.string(), "-o", (dir_ / "out.ild").string()}},
        {"convert", {"convert", big.string(), "-o", (dir_ / "scenes").string()}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.command);
        const CliResult r = Run(row.args, "ulimit -v 150000; ");
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, std::string("trellion-cli ") + row.command +
                             ": not enough memory to load " + big.string() + "\n");
        EXPECT_EQ(Entries(), before);
        EXPECT_TRUE(fs::is_empty(dir_ / "scenes"));
    }
}

// Under a file size limit the write fails and is reported with the writer's message; the
// process is not killed, the old target keeps its bytes and no temporary file stays.
TEST_F(IldaCommandsTest, AFileSizeLimitFailsTheWriteAndLeavesTheTargetAlone) {
    const fs::path big = dir_ / "big.ild";
    Put(big, Large(4).Data());
    fs::create_directory(dir_ / "scenes");
    const fs::path ildTarget = dir_ / "out.ild";
    const fs::path sceneTarget = dir_ / "scenes" / "big.scn";
    Put(ildTarget, std::string("old ILDA bytes"));
    Put(sceneTarget, std::string("old scene bytes"));
    const std::set<std::string> before = Entries();
    const struct {
        const char* command;
        std::vector<std::string> args;
        std::string err;
    } rows[] = {
        {"resave",
         {"resave", big.string(), "-o", ildTarget.string()},
         "trellion-cli resave: " + ildTarget.string() + ": Cannot open Ilda file.\n"},
        {"convert",
         {"convert", big.string(), "-o", (dir_ / "scenes").string()},
         "trellion-cli convert: " + sceneTarget.string() + ": Cannot save file.\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.command);
        const CliResult r = Run(row.args, "ulimit -f 256; "); // 256 KiB
        EXPECT_EQ(r.status, 1) << "153 is a process killed by SIGXFSZ";
        EXPECT_EQ(r.err, row.err);
        EXPECT_EQ(Read(ildTarget), "old ILDA bytes");
        EXPECT_EQ(Read(sceneTarget), "old scene bytes");
        EXPECT_EQ(Entries(), before);
        EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "scenes"), {}), 1);
    }
}

// A run ended in the middle of writing a large file, by Ctrl-C, by a polite kill or by SIGKILL,
// leaves the directory as it was: the old target whole and no temporary file.
TEST_F(IldaCommandsTest, ARunKilledMidWriteLeavesNoFileBehind) {
    const fs::path big = dir_ / "big.ild";
    Put(big, Large(40).Data()); // 20 MiB to write
    const fs::path target = dir_ / "out.ild";
    Put(target, std::string("old bytes"));
    const std::set<std::string> before = Entries();
    for (const int signal : {SIGKILL, SIGINT, SIGTERM}) {
        SCOPED_TRACE(strsignal(signal));
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const std::string in = big.string();
            const std::string out = target.string();
            ::execl(TRELLION_CLI, TRELLION_CLI, "resave", in.c_str(), "-o", out.c_str(),
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        // Wait until the output file, named or not, holds a MiB: the write is under way.
        bool writing = false;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!writing && std::chrono::steady_clock::now() < deadline) {
            std::error_code ec;
            for (const auto& fd :
                 fs::directory_iterator("/proc/" + std::to_string(child) + "/fd", ec)) {
                const std::string link = fs::read_symlink(fd.path(), ec).string();
                struct stat info {};
                if (link.rfind(dir_.string() + "/", 0) == 0 && link != big.string() &&
                    ::stat(fd.path().c_str(), &info) == 0 && info.st_size > (1 << 20))
                    writing = true;
            }
            if (!writing)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        ::kill(child, signal);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(writing) << "the output was never seen being written";
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal);
        EXPECT_EQ(Read(target), "old bytes");
        EXPECT_EQ(Entries(), before);
    }
}

// Names that are no regular file are refused at once by every reader, not waited for or read
// without end (a reader that did would be stopped by these bounds).
TEST_F(IldaCommandsTest, ReadersRefuseWhatIsNoRegularFileAtOnce) {
#if defined(__SANITIZE_ADDRESS__) // the sanitizer reserves more address space than the limit
    const std::string kBounded = "exec timeout 10 ";
#else
    const std::string kBounded = "ulimit -v 1000000; exec timeout 10 ";
#endif
    const fs::path pipe = dir_ / "pipe.scn";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const struct {
        const char* name;
        std::vector<std::string> args;
        std::string err;
    } rows[] = {
        {"scene file FIFO",
         {"scene-info", pipe.string()},
         "trellion-cli scene-info: " + pipe.string() + ": not a regular file\n"},
        {"scene file device",
         {"scene-info", "/dev/zero"},
         "trellion-cli scene-info: /dev/zero: not a regular file\n"},
        {"ILDA FIFO",
         {"info", pipe.string()},
         "trellion-cli info: " + pipe.string() + ": Cannot open Ilda file.\n"},
        {"settings FIFO",
         {"convert", "--settings", pipe.string(), (dir_ / "none.ild").string(), "-o",
          dir_.string()},
         "trellion-cli convert: " + (dir_ / "none.ild").string() + ": Cannot open Ilda file.\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const CliResult r = Run(row.args, kBounded);
        EXPECT_EQ(r.status, 1) << "124 is a reader that waited";
        EXPECT_EQ(r.err, row.err);
    }
}
