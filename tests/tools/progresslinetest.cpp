// The progress line of convert and resave: on a terminal only, rewritten in place.
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <pty.h>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "tests/ilda/ildabuilder.h"
#include "tests/tools/clirun.h"
#include "tools/progressline.h"

namespace {

// Everything readable from a pseudo-terminal's master side until the other side is closed.
std::string Drain(int master) {
    std::string text;
    char block[4096];
    for (;;) {
        const ssize_t got = ::read(master, block, sizeof block);
        if (got > 0)
            text.append(block, static_cast<size_t>(got));
        else if (got < 0 && errno == EINTR)
            continue;
        else
            return text; // EIO once the last slave descriptor is closed
    }
}

// Runs trellion-cli with its standard error on a terminal of `columns` columns and its
// standard output in a file; returns what the terminal received.
std::string RunOnTerminal(const std::vector<std::string>& args, unsigned short columns,
                          const std::string& stdoutFile, int* status) {
    winsize size{};
    size.ws_row = 24;
    size.ws_col = columns;
    int master = -1;
    const pid_t child = ::forkpty(&master, nullptr, nullptr, &size);
    if (child == 0) {
        const int out = ::open(stdoutFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(out, 1);
        std::vector<std::string> copies = args;
        std::vector<char*> argv;
        std::string program = TRELLION_CLI;
        argv.push_back(program.data());
        for (std::string& a : copies)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    if (child < 0)
        return "forkpty failed";
    const std::string text = Drain(master);
    ::close(master);
    int raw = 0;
    ::waitpid(child, &raw, 0);
    *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return text;
}

class ProgressLineTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        ASSERT_TRUE(QDir(dir_.path()).mkdir("out"));
    }

    // A file of `frames` format-0 frames of `points` points.
    std::string Ilda(const char* name, uint16_t frames, uint16_t points) {
        IldaBuilder b;
        for (uint16_t f = 0; f < frames; ++f)
            b.Frame3D(points, f, frames);
        b.End(frames);
        const QString path = dir_.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(b.String().data(), static_cast<qint64>(b.Size()));
        return path.toStdString();
    }

    std::string Path(const char* name) const { return dir_.filePath(name).toStdString(); }

    QTemporaryDir dir_;
};

TEST_F(ProgressLineTest, ConvertAndResaveShowFileCountNameAndPointsOnATerminal) {
    const std::string a = Ilda("a.ild", 2, 10);
    const std::string b = Ilda("b.ild", 1, 25);
    const std::string c = Ilda("c.ild", 3, 5);
    const std::string out = Path("out");
    for (const char* command : {"convert", "resave"}) {
        SCOPED_TRACE(command);
        int status = -1;
        const std::string screen =
            RunOnTerminal({command, a, b, c, "-o", out}, 200, Path("stdout.txt"), &status);
        EXPECT_EQ(status, 0) << screen;
        // Each update returns to the start of the line; the points are those of the files
        // before: 2 x 10, then 25 more.
        const std::string expected[] = {"\rfile 1 of 3: " + a + ", 0 points so far",
                                        "\rfile 2 of 3: " + b + ", 20 points so far",
                                        "\rfile 3 of 3: " + c + ", 45 points so far"};
        size_t at = 0;
        for (const std::string& update : expected) {
            const size_t found = screen.find(update, at);
            EXPECT_NE(found, std::string::npos) << update << "\nin: " << screen;
            if (found != std::string::npos)
                at = found + update.size();
        }
        // Nothing but the line: no newline, and at the end it is wiped.
        EXPECT_EQ(screen.find('\n'), std::string::npos) << screen;
        const std::string wipe = "\r" + std::string(expected[2].size() - 1, ' ') + "\r";
        ASSERT_GE(screen.size(), wipe.size());
        EXPECT_EQ(screen.substr(screen.size() - wipe.size()), wipe) << screen;
    }
}

TEST_F(ProgressLineTest, ErrorLinesStartOnAWipedLine) {
    const std::string a = Ilda("a.ild", 1, 10);
    const std::string missing = Path("missing.ild");
    int status = -1;
    const std::string screen = RunOnTerminal({"convert", a, missing, a, "-o", Path("out")}, 200,
                                             Path("stdout.txt"), &status);
    EXPECT_EQ(status, 1);
    // The line of file 2, wiped, then its error; the same name twice is refused, not written
    // over.
    const std::string line2 = "\rfile 2 of 3: " + missing + ", 10 points so far";
    const std::string error2 = "\r" + std::string(line2.size() - 1, ' ') +
                               "\rtrellion-cli convert: " + missing + ": Cannot open Ilda file.";
    EXPECT_NE(screen.find(line2 + error2), std::string::npos) << screen;
    EXPECT_NE(screen.find("trellion-cli convert: " + a + ": not written, " + Path("out") +
                          "/a.scn holds " + a),
              std::string::npos)
        << screen;
}

TEST_F(ProgressLineTest, NothingExtraWhenStandardErrorIsNoTerminal) {
    const std::string a = Ilda("a.ild", 1, 10);
    const std::string b = Ilda("b.ild", 1, 10);
    for (const char* command : {"convert", "resave"}) {
        SCOPED_TRACE(command);
        const CliRun run = RunCli({command, QString::fromStdString(a), QString::fromStdString(b),
                                   "-o", QString::fromStdString(Path("out"))});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.err, "");
    }
}

// The line itself, on a terminal opened here: cut to the width by leaving out the start of the
// name, on whole UTF-8 characters; control characters of a name shown as '?'.
TEST(ProgressLine, FitsTheTerminalsWidth) {
    struct Row {
        const char* name;
        std::string file;
        std::string shown;
    };
    // 56 usable columns: 13 for "file 1 of 9: ", 17 for ", 7 points so far", 26 for the name.
    const std::string longName = "/shows/2024/summer/" + std::string(60, 'x') + "/finale.ild";
    std::string accented = "/";
    for (int i = 0; i < 40; ++i)
        accented += "\xC3\xA9"; // e with acute accent, two bytes, one column
    accented += ".ild";
    std::string accentedTail;
    for (int i = 0; i < 19; ++i)
        accentedTail += "\xC3\xA9";
    const Row rows[] = {
        {"short name", "/a.ild", "file 1 of 9: /a.ild, 7 points so far"},
        {"long name", longName,
         "file 1 of 9: ..." + longName.substr(longName.size() - 23) + ", 7 points so far"},
        {"long name in UTF-8", accented,
         "file 1 of 9: ..." + accentedTail + ".ild, 7 points so far"},
        {"newline in the name", "/a\nb.ild", "file 1 of 9: /a?b.ild, 7 points so far"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        int master = -1;
        int slave = -1;
        winsize size{};
        size.ws_row = 24;
        size.ws_col = 57;
        ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, &size), 0);
        termios mode{};
        ASSERT_EQ(::tcgetattr(slave, &mode), 0);
        ::cfmakeraw(&mode);
        ASSERT_EQ(::tcsetattr(slave, TCSANOW, &mode), 0);
        FILE* stream = ::fdopen(slave, "w");
        ASSERT_NE(stream, nullptr);
        {
            ProgressLine line(stream, 9);
            EXPECT_TRUE(line.Active());
            line.Show(1, row.file, 7);
        }
        std::fclose(stream);
        const std::string screen = Drain(master);
        ::close(master);
        size_t columns = 0;
        for (char ch : row.shown)
            columns += (static_cast<unsigned char>(ch) & 0xC0) != 0x80;
        EXPECT_LE(columns, 56u);
        const std::string expected = "\r" + row.shown + "\r" + std::string(columns, ' ') + "\r";
        EXPECT_EQ(screen, expected);
    }
}

} // namespace
