// trellion-cli info: what an ILDA file holds and what the reader makes of it.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>

#include "ilda/cilda.h"
#include "ilda/ildacheck.h"
#include "ilda/ildasections.h"
#include "model/cscene.h"
#include "model/geometry.h"
#include "platform/messagehook.h"
#include "settings/settings.h"
#include "tools/channelsummary.h"
#include "tools/commandregistry.h"
#include "tools/jsonoutput.h"
#include "tools/outofmemory.h"

namespace {

constexpr long long kDefaultPointsPerSecond = 30000;
constexpr long long kMaxPointsPerSecond = 100000000;

CommandSpec DescribeInfo() {
    CommandSpec spec;
    spec.usage = "usage: trellion-cli info [--frames] [--brief] [--pps N] [--json] FILE.ild...\n";
    spec.description =
        "For each FILE lists its sections (offset, format code and what it\n"
        "holds, point count, frame number, total frames, frame and company\n"
        "names), then the frames and points the reader loads from it, as the\n"
        "window's preview, conversion and save load them. The reader takes\n"
        "formats 0 and 1 (indexed colour) and 4 and 5 (true colour): each section\n"
        "of them that holds points is one frame with every point it counts, and a\n"
        "section of no points closes a sequence without adding a frame. A file that\n"
        "gives no point at all is named on standard error.\n"
        "\n"
        "What was loaded ends each file in one summary line: frames, points,\n"
        "blanked and lit points with the lit share, the box the points span in\n"
        "ILDA coordinates (blanked points included; the reader keeps coordinates\n"
        "to steps of 16), the number of distinct colours of the lit points, and\n"
        "the playing time of one pass at the scan rate with the frames per second\n"
        "that gives.\n";
    spec.options = {
        Flag({"frames"}, "also list the points of every loaded frame"),
        Flag({"brief"}, "print only the summary, one line a file: FILE: SUMMARY"),
        Valued({"pps"}, "N",
               "the scan rate in points per second for the playing time;\n"
               "default {default}",
               std::to_string(kDefaultPointsPerSecond)),
        Flag({"json"}, "print one JSON document with the same facts instead:\n"
                       "{\"pps\", \"files\": [{\"file\", \"bytes\", \"sections\",\n"
                       "\"frames\", \"summary\"}, ...]}, with --brief only \"file\"\n"
                       "and \"summary\"; a file that failed as {\"file\", \"error\"}.\n"
                       "The README lists every key."),
    };
    spec.closing = "A file that cannot be read is reported in one line on standard error.\n"
                   "Exit status: 0 when every file could be read, 1 when any could not,\n"
                   "2 when the arguments are wrong.\n";
    spec.operands = {FilesNamed("ild")};
    return spec;
}

struct InfoOptions {
    bool listFrames = false;
    bool brief = false;
    bool json = false;
    long long pointsPerSecond = kDefaultPointsPerSecond;
};

// A name field as text: non-printing bytes shown as '.', trailing spaces kept visible by the
// quotes around it.
std::string Printable(const char* field) {
    std::string text;
    for (const char* p = field; *p != '\0'; ++p)
        text += (*p >= 0x20 && *p < 0x7F) ? *p : '.';
    return text;
}

// The summary as one line of text; `departures` from the standard, when there are any, end it
// with the command that lists them.
std::string SummaryText(const ChannelSummary& summary, long long pointsPerSecond, size_t departures,
                        const char* name) {
    char text[400];
    const PointCounts& c = summary.counts;
    int n = std::snprintf(text, sizeof text, "%d frames, %lld points, %lld blanked, %lld lit",
                          summary.frames, c.points, c.blanked, c.lit);
    if (summary.box) {
        const IldaBox& b = *summary.box;
        const double seconds = summary.Seconds(pointsPerSecond);
        const bool underASecond = seconds < 1.0;
        std::snprintf(text + n, sizeof text - static_cast<size_t>(n),
                      " (%.1f%%); x %d..%d, y %d..%d, z %d..%d; %lld colour%s; %.2f %s at %lld "
                      "pps, %.1f frames/s",
                      summary.LitShare() * 100.0, b.minX, b.maxX, b.minY, b.maxY, b.minZ, b.maxZ,
                      summary.colours, summary.colours == 1 ? "" : "s",
                      underASecond ? seconds * 1000.0 : seconds, underASecond ? "ms" : "s",
                      pointsPerSecond, summary.FramesPerSecond(pointsPerSecond).value_or(0.0));
    }
    std::string line = text;
    if (departures != 0)
        line += "; " + std::to_string(departures) +
                (departures == 1 ? " departure" : " departures") +
                " from the standard: trellion-cli check " + name;
    return line;
}

QJsonObject SummaryJson(const ChannelSummary& summary, long long pointsPerSecond,
                        size_t departures) {
    const PointCounts& c = summary.counts;
    QJsonValue box = QJsonValue::Null;
    if (summary.box) {
        const IldaBox& b = *summary.box;
        box = QJsonObject{{"x", QJsonArray{b.minX, b.maxX}},
                          {"y", QJsonArray{b.minY, b.maxY}},
                          {"z", QJsonArray{b.minZ, b.maxZ}}};
    }
    const std::optional<double> fps = summary.FramesPerSecond(pointsPerSecond);
    return QJsonObject{{"frames", summary.frames},
                       {"points", static_cast<double>(c.points)},
                       {"lit", static_cast<double>(c.lit)},
                       {"blanked", static_cast<double>(c.blanked)},
                       {"lit_share", summary.LitShare()},
                       {"box", box},
                       {"colours", static_cast<double>(summary.colours)},
                       {"pps", static_cast<double>(pointsPerSecond)},
                       {"seconds", summary.Seconds(pointsPerSecond)},
                       {"frames_per_second", fps ? QJsonValue(*fps) : QJsonValue(QJsonValue::Null)},
                       {"departures", static_cast<double>(departures)}};
}

const char* SectionRemark(const IldaSectionInfo& s) {
    if (s.complete)
        return "";
    return IldaRecordSize(s.header.formatCode) == 0 ? " (unknown record size)"
                                                    : " (cut off by the end of the file)";
}

void PrintSections(const char* name, size_t size, const std::vector<IldaSectionInfo>& sections) {
    std::printf("%s: %zu bytes\n", name, size);
    if (sections.empty())
        std::printf("  no ILDA section at the start\n");
    for (size_t i = 0; i < sections.size(); ++i) {
        const IldaSectionInfo& s = sections[i];
        std::printf("  section %zu at %zu: format %d, %s, %u points, frame %d of %d, \"%s\" "
                    "\"%s\"%s\n",
                    i + 1, s.header.offset, s.header.formatCode,
                    IldaFormatName(s.header.formatCode), s.header.pointCount, s.header.frameNumber,
                    s.header.totalFrames, Printable(s.header.frameName).c_str(),
                    Printable(s.header.companyName).c_str(), SectionRemark(s));
        if (s.strayBytes != 0)
            std::printf("  %zu bytes outside any section\n", s.strayBytes);
    }
}

QJsonArray SectionsJson(const std::vector<IldaSectionInfo>& sections) {
    QJsonArray list;
    for (const IldaSectionInfo& s : sections)
        list.append(QJsonObject{{"offset", static_cast<double>(s.header.offset)},
                                {"format", s.header.formatCode},
                                {"format_name", IldaFormatName(s.header.formatCode)},
                                {"points", s.header.pointCount},
                                {"frame_number", s.header.frameNumber},
                                {"total_frames", s.header.totalFrames},
                                {"frame_name", JsonText(QByteArray(s.header.frameName))},
                                {"company_name", JsonText(QByteArray(s.header.companyName))},
                                {"scanner_head", s.header.scannerHead},
                                {"complete", s.complete},
                                {"stray_bytes", static_cast<double>(s.strayBytes)}});
    return list;
}

QJsonObject FrameJson(const CFrame& frame) {
    const PointCounts c = CountPoints(frame);
    return QJsonObject{{"index", frame.Index()},
                       {"points", static_cast<double>(c.points)},
                       {"lit", static_cast<double>(c.lit)},
                       {"blanked", static_cast<double>(c.blanked)}};
}

// Loads one file and prints (or, with --json, adds to `files`) what it holds. False when it
// could not be loaded; that has been reported on standard error.
bool ShowFile(const char* name, const InfoOptions& options, QJsonArray& files) {
    std::string failure;
    const MessageHook previous = SetMessageHook([&](const std::string& text, int, unsigned) {
        std::fprintf(stderr, "trellion-cli info: %s: %s\n", name, text.c_str());
        failure = text;
        return static_cast<int>(mrOk);
    });
    CScene scene(DefaultSettings());
    CIlda ilda;
    CChannel* channel = nullptr;
    bool loaded = false;
    try {
        channel = scene.AddChannel();
        loaded = channel != nullptr && ilda.Load(name, channel, 1);
    } catch (const std::bad_alloc&) {
        SetMessageHook(previous);
        ReportOutOfMemory("info", "load", name);
        if (options.json) {
            QJsonObject entry{{"error", QStringLiteral("not enough memory")}};
            SetJsonPath(entry, "file", QByteArray(name));
            files.append(entry);
        }
        return false;
    }
    SetMessageHook(previous);
    if (!loaded) {
        if (failure.empty()) {
            failure = "cannot be loaded";
            std::fprintf(stderr, "trellion-cli info: %s: %s\n", name, failure.c_str());
        }
        if (options.json) {
            QJsonObject entry{{"error", JsonText(QByteArray::fromStdString(failure))}};
            SetJsonPath(entry, "file", QByteArray(name));
            files.append(entry);
        }
        return false;
    }

    const std::span<const uint8_t> bytes = ilda.Input();
    const size_t size = bytes.size();
    const ChannelSummary summary = SummariseChannel(*channel);
    const size_t departures = CheckIlda(bytes.data(), size).size();
    if (options.json) {
        QJsonObject entry;
        SetJsonPath(entry, "file", QByteArray(name));
        if (!options.brief) {
            entry.insert("bytes", static_cast<double>(size));
            entry.insert("sections", SectionsJson(ListIldaSections(bytes.data(), size)));
            QJsonArray frames;
            for (CFrame* f = channel->FirstFrame(); f != nullptr; f = f->Next(false))
                frames.append(FrameJson(*f));
            entry.insert("frames", frames);
        }
        entry.insert("summary", SummaryJson(summary, options.pointsPerSecond, departures));
        files.append(entry);
    } else if (options.brief) {
        std::printf("%s: %s\n", name,
                    SummaryText(summary, options.pointsPerSecond, departures, name).c_str());
    } else {
        PrintSections(name, size, ListIldaSections(bytes.data(), size));
        if (options.listFrames)
            for (CFrame* f = channel->FirstFrame(); f != nullptr; f = f->Next(false))
                std::printf("  frame %d: %lld points\n", f->Index(), CountPoints(*f).points);
        std::printf("  loaded: %s\n",
                    SummaryText(summary, options.pointsPerSecond, departures, name).c_str());
    }
    if (summary.counts.points == 0) {
        // After the file's own lines, where both streams go to one terminal.
        std::fflush(stdout);
        ReportNoPoints("info", name);
    }
    return true;
}

bool ParsePointsPerSecond(const char* text, long long* out) {
    errno = 0;
    char* stop = nullptr;
    const long long value = std::strtoll(text, &stop, 10);
    if (*text == '\0' || *stop != '\0' || errno != 0 || value < 1 || value > kMaxPointsPerSecond)
        return false;
    *out = value;
    return true;
}

int RunInfo(const CommandLine& line) {
    InfoOptions options;
    options.listFrames = line.IsSet("frames");
    options.brief = line.IsSet("brief");
    options.json = line.IsSet("json");
    if (!ParsePointsPerSecond(line.Value("pps").c_str(), &options.pointsPerSecond))
        return line.Fail("--pps needs a number of points per second from 1 to " +
                         std::to_string(kMaxPointsPerSecond));
    const std::vector<std::string>& files = line.Operands();
    if (files.empty())
        return line.Fail("no file given", true);

    // The model's placements are built from the angle tables.
    FillAngleTables();
    bool allRead = true;
    QJsonArray entries;
    for (const std::string& file : files) {
        try {
            allRead = ShowFile(file.c_str(), options, entries) && allRead;
        } catch (const std::bad_alloc&) {
            std::fflush(stdout);
            ReportOutOfMemory("info", "load", file);
            allRead = false;
        }
    }
    if (options.json) {
        if (!WriteJson(QJsonObject{{"pps", static_cast<double>(options.pointsPerSecond)},
                                   {"files", entries}})) {
            std::fprintf(stderr, "trellion-cli info: cannot write to standard output\n");
            return 1;
        }
        return allRead ? 0 : 1;
    }
    std::fflush(stdout);
    return allRead ? 0 : 1;
}

const CommandRegistration registration("info", "list the sections and frames of ILDA files",
                                       &DescribeInfo, &RunInfo);

} // namespace
