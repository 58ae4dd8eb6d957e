// Runs the built trellion-cli's info and resave commands on files they did not write.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "ilda/cilda.h"
#include "ilda/colourpalettes.h"
#include "model/cchannel.h"
#include "model/cframe.h"
#include "model/cscene.h"
#include "model/cthing.h"
#include "model/cvector.h"
#include "scene/scenefile.h"
#include "settings/settings.h"
#include "tests/ilda/ildabuilder.h"
#include "tests/ilda/ildatesthelpers.h"
#include "tests/ilda/wildildafiles.h"
#include "tests/tools/clirun.h"

namespace fs = std::filesystem;

namespace {

using CliResult = CliRun;

class IldaCommandsTest : public IldaTest {
protected:
    CliResult Run(const std::vector<std::string>& args, const CliSetting& setting = {}) {
        return RunCliBytes(args, setting);
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

// A point as the reader must load it.
struct ExpectedPoint {
    float x, y, z;
    bool blank;
    uint32_t fileColour; // 0x00BBGGRR
};
using ExpectedFrames = std::vector<std::vector<ExpectedPoint>>;

// A true-colour file as other programs might write it, drawn from a seed: format 5 or 4, one
// frame or hundreds, empty frames, long frames, coordinates over the whole range, a few or
// thousands of colours, black points, blanking, stray status bits, the last-point bit on the
// last record or nowhere, names of any bytes, a palette section first or not, a closing
// section or none, sometimes a second sequence. `frames` receives what the reader must load.
std::vector<uint8_t> GeneratedTrueColourFile(unsigned seed, ExpectedFrames& frames) {
    std::mt19937 rng(seed);
    const auto below = [&](unsigned n) { return static_cast<unsigned>(rng() % n); };
    const int format = below(4) == 0 ? 4 : 5;
    const bool markLast = below(2) == 0;
    const uint8_t strayBits = below(3) == 0 ? static_cast<uint8_t>(below(64)) : 0;
    const unsigned blankPercent = below(3) * 10;
    const unsigned colourCount = below(2) == 0 ? 1 + below(8) : 1u << 24;
    std::vector<uint32_t> fewColours;
    for (unsigned i = 0; i < 8; ++i)
        fewColours.push_back(rng() & 0xFFFFFF);
    const auto name = [&] {
        std::string text(8, ' ');
        for (char& c : text)
            c = static_cast<char>(below(256));
        return text;
    };

    IldaBuilder b;
    if (below(4) == 0) {
        const auto entries = static_cast<uint16_t>(1 + below(256));
        b.Header(2, entries, 0, 0, "PALETTE", name());
        for (uint16_t i = 0; i < entries; ++i)
            b.PaletteEntry(static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng()),
                           static_cast<uint8_t>(rng()));
    }
    const int sequences = below(5) == 0 ? 2 : 1;
    for (int s = 0; s < sequences; ++s) {
        const auto total = static_cast<uint16_t>(below(3) == 0 ? 1 : 1 + below(300));
        for (uint16_t f = 0; f < total; ++f) {
            const unsigned shape = below(40);
            const auto count = static_cast<uint16_t>(shape < 4    ? 0
                                                     : shape == 4 ? 1 + below(20000)
                                                                  : below(600));
            b.Header(format, count, f, total, name(), name());
            // A section without points closes a sequence and is no frame.
            if (count == 0)
                continue;
            std::vector<ExpectedPoint>& points = frames.emplace_back();
            for (uint16_t p = 0; p < count; ++p) {
                const auto x = static_cast<int16_t>(rng());
                const auto y = static_cast<int16_t>(rng());
                const auto z = static_cast<int16_t>(rng());
                uint32_t colour = colourCount < 16 ? fewColours[below(colourCount)]
                                                   : static_cast<uint32_t>(rng() & 0xFFFFFF);
                if (below(20) == 0)
                    colour = 0;
                const bool blanked = below(100) < blankPercent;
                const bool last = markLast && p + 1 == count;
                const auto status =
                    static_cast<uint8_t>((blanked ? 0x40 : 0) | (last ? 0x80 : 0) | strayBits);
                const auto red = static_cast<uint8_t>(colour);
                const auto green = static_cast<uint8_t>(colour >> 8);
                const auto blue = static_cast<uint8_t>(colour >> 16);
                if (format == 4)
                    b.Point3DTrueColour(x, y, z, status, red, green, blue);
                else
                    b.Point2DTrueColour(x, y, status, red, green, blue);
                points.push_back({static_cast<float>(x >> 4), static_cast<float>(y >> 4),
                                  format == 4 ? static_cast<float>(z >> 4) : 0.0f,
                                  blanked || colour == 0, colour});
            }
        }
        if (below(3) != 0)
            b.Header(below(2) == 0 ? 0 : format, 0, total, total, "END", name());
        else if (s + 1 < sequences)
            b.Header(format, 0, total, total, "END", name()); // two sequences need the separator
    }
    // A file without points loads as one empty frame.
    if (frames.empty())
        frames.emplace_back();
    return b.Data();
}

// Compares a loaded channel with the expected frames read with `palette`; the first
// difference, or "" when there is none.
std::string Difference(const CChannel* channel, const ExpectedFrames& frames, int palette) {
    if (channel->FrameCount() != static_cast<int>(frames.size()))
        return "frames: " + std::to_string(channel->FrameCount()) + ", expected " +
               std::to_string(frames.size());
    const CFrame* frame = channel->FirstFrame();
    for (size_t f = 0; f < frames.size(); ++f, frame = frame->next) {
        const std::string where = "frame " + std::to_string(f + 1);
        const CThing* thing = frame->FirstThing();
        if (thing == nullptr && frames[f].empty())
            continue; // the empty frame of a file without points
        if (thing == nullptr || thing->next != nullptr || thing->FirstPoly() != nullptr)
            return where + ": not one thing of free vertices";
        if (thing->VertexCount() != static_cast<int>(frames[f].size()))
            return where + ": " + std::to_string(thing->VertexCount()) + " points, expected " +
                   std::to_string(frames[f].size());
        const CVector* v = thing->FirstVertex();
        for (size_t p = 0; p < frames[f].size(); ++p, v = v->next) {
            const ExpectedPoint& e = frames[f][p];
            const uint32_t colour =
                e.blank ? 0 : PaletteColour(palette, NearestColourIndex(palette, e.fileColour));
            if (v->x != e.x || v->y != e.y || v->z != e.z || v->blank != (e.blank ? 1 : 0) ||
                v->colour != colour)
                return where + " point " + std::to_string(p + 1) + " differs";
        }
    }
    return "";
}

} // namespace

TEST_F(IldaCommandsTest, InfoListsSectionsAndWhatWasLoaded) {
    const fs::path file = dir_ / "sample.ild";
    Put(file, Sample().Data());
    const CliResult r = Run({"info", "--frames", file.string()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    std::string expected =
        file.string() + ": 190 bytes\n"
                        "  section 1 at 0: format 2, colour palette, 2 points, frame 0 of 0, "
                        "\"PAL     \" \"OTHER   \"\n"
                        "  section 2 at 38: format 0, 3D indexed colour, 3 points, frame 0 of 2, "
                        "\"ONE     \" \"OTHER   \"\n"
                        "  section 3 at 94: format 0, 3D indexed colour, 4 points, frame 1 of 2, "
                        "\"TWO     \" \"OTHER   \"\n"
                        "  section 4 at 158: format 0, 3D indexed colour, 0 points, frame 2 of 2, "
                        "\"END     \" \"TEST    \"\n"
                        "  frame 1: 3 points\n"
                        "  frame 2: 4 points\n"
                        "  loaded: 2 frames, 7 points, 1 blanked, 6 lit (85.7%); x -112..96, "
                        "y -208..192, z -304..288; 3 colours; 0.23 ms at 30000 pps, 8571.4 "
                        "frames/s\n";
    // The palette section and the missing last-point bit of frame 1 depart from the standard.
    expected.insert(expected.size() - 1,
                    "; 2 departures from the standard: trellion-cli check " + file.string());
    EXPECT_EQ(r.out, expected);
}

TEST_F(IldaCommandsTest, InfoNamesEveryFormatAndCountsWhatTrueColourLoads) {
    IldaBuilder b;
    b.Header(5, 3, 0, 3, "F5")
        .Point2DTrueColour(0, 0, 0x40, 255, 0, 0)
        .Point2DTrueColour(16, 16, 0x00, 0, 0, 0) // black: blanked
        .Point2DTrueColour(32, 32, 0x80, 10, 200, 30);
    b.Header(4, 2, 1, 3, "F4")
        .Point3DTrueColour(1, 2, 3, 0, 9, 9, 9)
        .Point3DTrueColour(4, 5, 6, 0x80, 0, 0, 0);
    b.Header(1, 1, 2, 3, "F1").Point2D(7, 7, 0x8003);
    b.Header(3, 0, 0, 0, "ODD");
    const fs::path file = dir_ / "true.ild";
    Put(file, b.Data());
    const CliResult r = Run({"info", "--frames", file.string()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    std::string expected =
        file.string() + ": 178 bytes\n"
                        "  section 1 at 0: format 5, 2D true colour, 3 points, frame 0 of 3, "
                        "\"F5      \" \"TEST    \"\n"
                        "  section 2 at 56: format 4, 3D true colour, 2 points, frame 1 of 3, "
                        "\"F4      \" \"TEST    \"\n"
                        "  section 3 at 108: format 1, 2D indexed colour, 1 points, frame 2 of 3, "
                        "\"F1      \" \"TEST    \"\n"
                        "  section 4 at 146: format 3, unknown, 0 points, frame 0 of 0, "
                        "\"ODD     \" \"TEST    \" (unknown record size)\n"
                        "  frame 1: 3 points\n"
                        "  frame 2: 2 points\n"
                        "  frame 3: 1 points\n"
                        "  loaded: 3 frames, 6 points, 3 blanked, 3 lit (50.0%); x 0..32, y 0..32, "
                        "z 0..0; 3 colours; 0.20 ms at 30000 pps, 15000.0 frames/s\n";
    // Format 3, 2D beside 3D, three formats in one sequence and no closing section.
    expected.insert(expected.size() - 1,
                    "; 4 departures from the standard: trellion-cli check " + file.string());
    EXPECT_EQ(r.out, expected);
}

// A file that loads but gives no point still succeeds, as the window treats it, yet each
// command names it on standard error, so a script notices its content was not taken.
TEST_F(IldaCommandsTest, FilesWithoutPointsAreNamedByInfoConvertAndResave) {
    struct Row {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    const Row rows[] = {
        {"empty", {}},
        {"not ILDA", IldaBuilder().Bytes("SCN7 and more").Data()},
        {"only a format-3 section",
         IldaBuilder().Header(3, 1, 0, 1).Bytes("12345678").End(1).Data()},
        {"only a palette", IldaBuilder().Header(2, 1, 0, 0).PaletteEntry(1, 2, 3).Data()},
        {"only a closing section", IldaBuilder().End(0).Data()},
        {"true-colour frames without points",
         IldaBuilder().Header(5, 0, 0, 2).Header(5, 0, 1, 2).Data()},
    };
    fs::create_directory(dir_ / "out");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const fs::path file = dir_ / "nothing.ild";
        Put(file, row.bytes);
        const std::string line = ": " + file.string() + ": holds no points this reader takes\n";
        const CliResult info = Run({"info", file.string()});
        EXPECT_EQ(info.status, 0);
        EXPECT_EQ(info.err, "trellion-cli info" + line);
        EXPECT_NE(info.out.find("loaded: "), std::string::npos);
        const CliResult convert = Run({"convert", file.string(), "-o", (dir_ / "out").string()});
        EXPECT_EQ(convert.status, 0);
        EXPECT_EQ(convert.err, "trellion-cli convert" + line);
        EXPECT_TRUE(fs::exists(dir_ / "out" / "nothing.scn"));
        const CliResult resave = Run({"resave", file.string(), "-o", (dir_ / "re.ild").string()});
        EXPECT_EQ(resave.status, 0);
        EXPECT_EQ(resave.err, "trellion-cli resave" + line);
        EXPECT_TRUE(fs::exists(dir_ / "re.ild"));
    }
    // One point is enough to say nothing.
    const fs::path one = dir_ / "one.ild";
    Put(one, IldaBuilder().Header(5, 1, 0, 1).Point2DTrueColour(0, 0, 0x40, 0, 0, 0).Data());
    EXPECT_EQ(Run({"info", one.string()}).err, "");
    EXPECT_EQ(Run({"convert", one.string(), "-o", (dir_ / "out").string()}).err, "");
    EXPECT_EQ(Run({"resave", one.string(), "-o", (dir_ / "re.ild").string()}).err, "");
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
                         dir_.string() +
                         ": Cannot open Ilda file.\n"
                         "trellion-cli info: " +
                         (dir_ / "text.ild").string() + ": holds no points this reader takes\n");
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

TEST_F(IldaCommandsTest, ResaveOfSeveralFilesIntoADirectoryKeepsTheirNames) {
    const fs::path in = dir_ / "in";
    const fs::path other = dir_ / "other";
    const fs::path out = dir_ / "out";
    for (const fs::path& d : {in, other, out})
        fs::create_directory(d);
    Put(in / "a.ild", Sample().Data());
    Put(in / "B.ILD", Sample().Data());
    Put(other / "a.ild", std::string("a different file of the same name"));
    const CliResult r =
        Run({"resave", "--palette", "x29", (in / "a.ild").string(), (in / "B.ILD").string(),
             (other / "a.ild").string(), "-o", out.string()});
    EXPECT_EQ(r.status, 1);
    // The second a.ild would replace the first one's result: refused, and said so.
    EXPECT_EQ(r.err, "trellion-cli resave: " + (other / "a.ild").string() + ": not written, " +
                         (out / "a.ild").string() + " holds " + (in / "a.ild").string() + "\n");
    CChannel* channel = NewChannel();
    CIlda ilda;
    ASSERT_TRUE(ilda.Load((in / "a.ild").string(), channel, 2));
    ASSERT_TRUE(ilda.Save((dir_ / "expected.ild").string(), channel, 2));
    EXPECT_EQ(Read(out / "a.ild"), Read(dir_ / "expected.ild"));
    EXPECT_EQ(Read(out / "B.ILD"), Read(dir_ / "expected.ild"));
    EXPECT_EQ(std::distance(fs::directory_iterator(out), {}), 2);

    // One file and a directory: saved into it under its name.
    fs::remove(out / "B.ILD");
    EXPECT_EQ(
        Run({"resave", "--palette", "x29", (in / "B.ILD").string(), "-o", out.string()}).status, 0);
    EXPECT_EQ(Read(out / "B.ILD"), Read(dir_ / "expected.ild"));
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

// Files we were never given, as varied as a generator makes them: each converts and re-saves
// with every frame and every point, in the palette's entry nearest to its colour.
TEST_F(IldaCommandsTest, GeneratedTrueColourFilesConvertAndResaveWhole) {
    fs::create_directory(dir_ / "scenes");
    for (unsigned seed = 1; seed <= 24; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        ExpectedFrames frames;
        const fs::path file = dir_ / ("generated" + std::to_string(seed) + ".ild");
        Put(file, GeneratedTrueColourFile(seed, frames));
        const int palette = static_cast<int>(seed % 3);
        size_t points = 0;
        size_t blanked = 0;
        size_t records = 0; // a frame without points is saved as one blanked point
        for (const auto& frame : frames) {
            points += frame.size();
            records += frame.empty() ? 1 : frame.size();
            for (const ExpectedPoint& p : frame)
                blanked += p.blank;
        }

        const CliResult info = Run({"info", file.string()});
        EXPECT_EQ(info.status, 0);
        EXPECT_NE(info.out.find("  loaded: " + std::to_string(frames.size()) + " frames, " +
                                std::to_string(points) + " points, " + std::to_string(blanked) +
                                " blanked, "),
                  std::string::npos)
            << info.out.substr(info.out.rfind("  loaded"));

        const std::string paletteArg = std::to_string(palette);
        const CliResult convert = Run(
            {"convert", "--palette", paletteArg, file.string(), "-o", (dir_ / "scenes").string()});
        ASSERT_EQ(convert.status, 0) << convert.err;
        CScene scene(DefaultSettings());
        ASSERT_TRUE(LoadSceneFile(
            (dir_ / "scenes" / ("generated" + std::to_string(seed) + ".scn")).string(), &scene));
        EXPECT_EQ(Difference(scene.FirstChannel(), frames, palette), "");

        const fs::path resaved = dir_ / "resaved.ild";
        const CliResult resave =
            Run({"resave", "--palette", paletteArg, file.string(), "-o", resaved.string()});
        ASSERT_EQ(resave.status, 0) << resave.err;
        EXPECT_EQ(fs::file_size(resaved), 32 * (frames.size() + 1) + 8 * records);
        CChannel* channel = NewChannel();
        CIlda reader;
        ASSERT_TRUE(reader.Load(resaved.string(), channel, palette));
        // A frame without points comes back as the blanked point at the origin that stands
        // for none.
        ExpectedFrames saved = frames;
        for (auto& frame : saved)
            if (frame.empty())
                frame.push_back({0.0f, 0.0f, 0.0f, true, 0});
        EXPECT_EQ(Difference(channel, saved, palette), "");
    }
}

// Files as other programs write them: info counts exactly their frames and points, and convert
// and resave keep every one of them.
TEST_F(IldaCommandsTest, FilesOfOtherWritersAreCountedConvertedAndResavedWhole) {
    fs::create_directory(dir_ / "scenes");
    for (const wildilda::File& file : wildilda::Files([](int i) { return PaletteColour(1, i); })) {
        SCOPED_TRACE(file.name);
        ExpectedFrames frames;
        size_t points = 0;
        size_t blanked = 0;
        for (const wildilda::Frame& truth : file.frames) {
            std::vector<ExpectedPoint>& expected = frames.emplace_back();
            for (const wildilda::Point& p : truth) {
                expected.push_back({static_cast<float>(p.x >> 4), static_cast<float>(p.y >> 4),
                                    static_cast<float>(p.z >> 4), p.blank,
                                    p.blank ? 0u : PaletteColour(1, p.colour)});
                blanked += p.blank;
            }
            points += truth.size();
        }
        const fs::path path = dir_ / (file.name + ".ild");
        Put(path, file.bytes);

        const CliResult info = Run({"info", "--brief", path.string()});
        EXPECT_EQ(info.status, 0);
        EXPECT_EQ(info.out.substr(0, info.out.find(" (")),
                  path.string() + ": " + std::to_string(frames.size()) + " frames, " +
                      std::to_string(points) + " points, " + std::to_string(blanked) +
                      " blanked, " + std::to_string(points - blanked) + " lit");
        EXPECT_EQ(info.err, "");

        ASSERT_EQ(Run({"convert", path.string(), "-o", (dir_ / "scenes").string()}).status, 0);
        CScene scene(DefaultSettings());
        ASSERT_TRUE(LoadSceneFile((dir_ / "scenes" / (file.name + ".scn")).string(), &scene));
        EXPECT_EQ(Difference(scene.FirstChannel(), frames, 1), "");

        const fs::path resaved = dir_ / "resaved.ild";
        ASSERT_EQ(Run({"resave", path.string(), "-o", resaved.string()}).status, 0);
        CChannel* channel = NewChannel();
        CIlda reader;
        ASSERT_TRUE(reader.Load(resaved.string(), channel, 1));
        EXPECT_EQ(Difference(channel, frames, 1), "");
    }
}

// Frames of more points than a section's count holds, stored with the count modulo 65,536: info
// counts every point, check names the overflow, convert keeps every point (scene files count
// vertices in 32 bits), and resave refuses the file rather than write one that says fewer.
TEST_F(IldaCommandsTest, FramesWhoseCountOverflowedAreKeptWholeAndNotResaved) {
    fs::create_directory(dir_ / "scenes");
    for (const wildilda::File& file :
         wildilda::OverflowFiles([](int i) { return PaletteColour(1, i); })) {
        SCOPED_TRACE(file.name);
        ExpectedFrames frames;
        size_t points = 0;
        int largest = 0;
        int largestFrame = 0;
        for (const wildilda::Frame& truth : file.frames) {
            std::vector<ExpectedPoint>& expected = frames.emplace_back();
            for (const wildilda::Point& p : truth)
                expected.push_back({static_cast<float>(p.x >> 4), static_cast<float>(p.y >> 4),
                                    static_cast<float>(p.z >> 4), p.blank,
                                    p.blank ? 0u : PaletteColour(1, p.colour)});
            points += truth.size();
            if (static_cast<int>(truth.size()) > largest) {
                largest = static_cast<int>(truth.size());
                largestFrame = static_cast<int>(frames.size());
            }
        }
        const fs::path path = dir_ / (file.name + ".ild");
        Put(path, file.bytes);

        const CliResult info = Run({"info", "--brief", path.string()});
        EXPECT_EQ(info.status, 0);
        EXPECT_EQ(info.out.substr(0, info.out.find(" frames")),
                  path.string() + ": " + std::to_string(frames.size()));
        EXPECT_NE(info.out.find(std::to_string(points) + " points"), std::string::npos) << info.out;

        const CliResult check = Run({"check", path.string()});
        EXPECT_NE(check.out.find("count_overflow"), std::string::npos) << check.out;

        ASSERT_EQ(Run({"convert", path.string(), "-o", (dir_ / "scenes").string()}).status, 0);
        CScene scene(DefaultSettings());
        ASSERT_TRUE(LoadSceneFile((dir_ / "scenes" / (file.name + ".scn")).string(), &scene));
        EXPECT_EQ(Difference(scene.FirstChannel(), frames, 1), "");

        const fs::path resaved = dir_ / "resaved.ild";
        const CliResult resave = Run({"resave", path.string(), "-o", resaved.string()});
        EXPECT_EQ(resave.status, 1);
        EXPECT_EQ(resave.err, "trellion-cli resave: " + resaved.string() +
                                  ": Cannot open Ilda file. Frame " + std::to_string(largestFrame) +
                                  " holds " + std::to_string(largest) +
                                  " points, more than the 65535 an ILDA frame can hold.\n");
        EXPECT_FALSE(fs::exists(resaved));
    }
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
        const CliResult r = Run(row.args, AddressSpaceLimited(150000 * 1024));
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
        const CliResult r = Run(row.args, FileSizeLimited(256 * 1024));
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
    CliSetting kBounded;
    kBounded.timeLimit = std::chrono::seconds(10);
#if !defined(__SANITIZE_ADDRESS__) // the sanitizer reserves more address space than the limit
    kBounded.addressSpaceLimit = 1000000 * 1024;
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
        EXPECT_EQ(r.status, 1) << "-1 is a reader that waited";
        EXPECT_EQ(r.err, row.err);
    }
}
