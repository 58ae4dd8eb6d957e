// trellion-cli info: what an ILDA file holds and what the reader makes of it.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "ilda/cilda.h"
#include "ilda/ildasections.h"
#include "model/cscene.h"
#include "model/geometry.h"
#include "platform/messagehook.h"
#include "tools/commandregistry.h"
#include "tools/loadedtotals.h"

namespace {

void PrintInfoUsage(FILE* out) {
    std::fprintf(out, "usage: trellion-cli info [--frames] FILE.ild...\n"
                      "\n"
                      "For each FILE lists its sections (offset, format code and what it holds,\n"
                      "point count, frame number, total frames, frame and company names), then\n"
                      "the frames, points and blanked points the reader loads from it, as the\n"
                      "window's preview, conversion and save load them. The reader takes\n"
                      "formats 0 and 1 (indexed colour) and 4 and 5 (true colour); a file that\n"
                      "gives no point at all is named on standard error.\n"
                      "\n"
                      "  --frames  also list the points of every loaded frame\n"
                      "\n"
                      "Exit status: 0 when every file could be read, 1 when any could not,\n"
                      "2 when the arguments are wrong.\n");
}

// A name field as text: non-printing bytes shown as '.', trailing spaces kept visible by the
// quotes around it.
std::string Printable(const char* field) {
    std::string text;
    for (const char* p = field; *p != '\0'; ++p)
        text += (*p >= 0x20 && *p < 0x7F) ? *p : '.';
    return text;
}

bool ShowFile(const char* name, bool listFrames) {
    bool reported = false;
    const MessageHook previous = SetMessageHook([&](const std::string& text, int, unsigned) {
        std::fprintf(stderr, "trellion-cli info: %s: %s\n", name, text.c_str());
        reported = true;
        return static_cast<int>(mrOk);
    });
    CScene scene;
    CChannel* channel = scene.AddChannel();
    CIlda ilda;
    const bool loaded = channel != nullptr && ilda.Load(name, channel, 1);
    SetMessageHook(previous);
    if (!loaded) {
        if (!reported)
            std::fprintf(stderr, "trellion-cli info: %s: cannot be loaded\n", name);
        return false;
    }

    const size_t size = ilda.buffer ? static_cast<size_t>(ilda.end - ilda.buffer.get()) : 0;
    std::printf("%s: %zu bytes\n", name, size);
    const std::vector<IldaSectionInfo> sections = ListIldaSections(ilda.buffer.get(), size);
    if (sections.empty())
        std::printf("  no ILDA section at the start\n");
    for (size_t i = 0; i < sections.size(); ++i) {
        const IldaSectionInfo& s = sections[i];
        std::printf(
            "  section %zu at %zu: format %d, %s, %u points, frame %d of %d, \"%s\" "
            "\"%s\"%s\n",
            i + 1, s.header.offset, s.header.formatCode, IldaFormatName(s.header.formatCode),
            s.header.pointCount, s.header.frameNumber, s.header.totalFrames,
            Printable(s.header.frameName).c_str(), Printable(s.header.companyName).c_str(),
            s.complete                                 ? ""
            : IldaRecordSize(s.header.formatCode) == 0 ? " (unknown record size)"
                                                       : " (cut off by the end of the file)");
        if (s.strayBytes != 0)
            std::printf("  %zu bytes outside any section\n", s.strayBytes);
    }

    if (listFrames) {
        for (CFrame* frame = channel->FirstFrame(); frame != nullptr; frame = frame->next)
            std::printf("  frame %d: %ld points\n", frame->Index(), FramePoints(*frame));
    }
    const LoadedTotals totals = CountLoaded(*channel);
    std::printf("  loaded: %d frames, %ld points, %ld blanked\n", totals.frames, totals.points,
                totals.blanked);
    std::fflush(stdout);
    ReportIfNoPoints("info", name, totals);
    return true;
}

int RunInfo(int argc, char** argv) {
    bool listFrames = false;
    bool optionsEnded = false;
    std::vector<const char*> files;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (!optionsEnded && std::strcmp(arg, "--") == 0) {
            optionsEnded = true;
        } else if (!optionsEnded &&
                   (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0)) {
            PrintInfoUsage(stdout);
            return 0;
        } else if (!optionsEnded && std::strcmp(arg, "--frames") == 0) {
            listFrames = true;
        } else if (!optionsEnded && arg[0] == '-' && arg[1] != '\0') {
            std::fprintf(stderr, "trellion-cli info: unknown option '%s'\n", arg);
            PrintInfoUsage(stderr);
            return 2;
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty()) {
        std::fprintf(stderr, "trellion-cli info: no file given\n");
        PrintInfoUsage(stderr);
        return 2;
    }

    // The model's placements are built from the angle tables.
    FillAngleTables();
    bool allRead = true;
    for (const char* file : files)
        allRead = ShowFile(file, listFrames) && allRead;
    std::fflush(stdout);
    return allRead ? 0 : 1;
}

const CommandRegistration registration("info", "list the sections and frames of ILDA files",
                                       &RunInfo);

} // namespace
