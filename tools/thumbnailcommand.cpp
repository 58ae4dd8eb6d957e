// thumbnail: a small square picture of an ILDA file's most telling frame, for file managers
// (the freedesktop thumbnailer runs `trellion-cli thumbnail --size %s %i %o`).
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <new>
#include <string>

#include <QImage>

#include "ilda/cilda.h"
#include "ilda/ildaleadingsections.h"
#include "model/cchannel.h"
#include "model/cframe.h"
#include "model/cpoly.h"
#include "model/cscene.h"
#include "model/cthing.h"
#include "model/cvector.h"
#include "model/geometry.h"
#include "operations/fileoperations.h"
#include "render/cscreen.h"
#include "settings/settings.h"
#include "tools/commandregistry.h"
#include "tools/loadfailure.h"
#include "tools/messagecollector.h"
#include "tools/outofmemory.h"
#include "tools/previewpicture.h"

namespace {

constexpr const char* kName = "trellion-cli thumbnail";
constexpr int kDefaultSize = 256;
// File managers ask for up to 1024; larger sizes are refused rather than allocated.
constexpr int kMaxSize = 4096;
// The frames looked at for the most telling one. A show's opening frames say what it is, and
// a long file need not be looked at to its end: a 2,000-frame file is judged by its first 64.
constexpr int kTellingFrames = 64;
// The palette the preview starts with: Ilda.
constexpr int kDefaultPalette = 1;

CommandSpec DescribeThumbnail() {
    CommandSpec spec;
    spec.usage = "usage: trellion-cli thumbnail [--size N] FILE.ild OUT.png\n";
    spec.description =
        "Draws the most telling frame of FILE as the preview draws it, with the Ilda\n"
        "palette on black, into a square PNG picture of N x N pixels. The most telling\n"
        "frame is the first of those with the most lit points among the first " +
        std::to_string(kTellingFrames) +
        "\n"
        "frames; when none of them has a lit point, the first later frame that has.\n"
        "File managers run this as the thumbnailer of ILDA files.\n";
    spec.options = {
        Valued({"size"}, "N",
               "the side of the picture in pixels, 1 to " + std::to_string(kMaxSize) +
                   "; default {default}",
               std::to_string(kDefaultSize)),
    };
    spec.closing =
        "Exit status: 0 written, 1 the file could not be read, holds no lit point or\n"
        "the picture could not be written (no picture is written then), 2 usage error.\n";
    spec.helpColumn = 13;
    spec.operands = {FilesNamed("ild"), FilesNamed("png")};
    return spec;
}

bool ParseSize(const std::string& text, int* size) {
    if (text.empty())
        return false;
    errno = 0;
    char* stop = nullptr;
    const long value = std::strtol(text.c_str(), &stop, 10);
    if (errno != 0 || *stop != '\0' || value < 1 || value > kMaxSize)
        return false;
    *size = static_cast<int>(value);
    return true;
}

long LitPoints(CFrame* frame) {
    long lit = 0;
    for (CThing* thing = frame->FirstThing(); thing != nullptr; thing = thing->Next(false)) {
        for (CPoly* poly = thing->FirstPoly(); poly != nullptr; poly = poly->Next(false))
            for (CVector* v = poly->FirstVertex(); v != nullptr; v = v->next)
                lit += v->blank == 0 ? 1 : 0;
        for (CVector* v = thing->FirstVertex(); v != nullptr; v = v->next)
            lit += v->blank == 0 ? 1 : 0;
    }
    return lit;
}

// The first frame with the most lit points among the first kTellingFrames, or the first later
// one with any; null when no frame has a lit point.
CFrame* TellingFrame(CChannel* channel) {
    CFrame* best = nullptr;
    long bestLit = 0;
    int index = 0;
    for (CFrame* frame = channel->FirstFrame(); frame != nullptr; frame = frame->Next(false)) {
        const long lit = LitPoints(frame);
        if (lit > bestLit) {
            best = frame;
            bestLit = lit;
        }
        if (++index >= kTellingFrames && best != nullptr)
            break;
    }
    return best;
}

struct Options {
    std::string input;
    std::string output;
    int size = kDefaultSize;
};

int RunThumbnail(const CommandLine& line) {
    Options o;
    if (!ParseSize(line.Value("size"), &o.size))
        return line.Fail("bad value '" + line.Value("size") + "' for --size (1 to " +
                         std::to_string(kMaxSize) + ")");
    const std::vector<std::string>& names = line.Operands();
    if (names.size() > 2)
        return line.Fail("one ILDA file and one picture (" + names[2] + ")");
    if (names.size() < 2)
        return line.Fail(names.empty() ? "no file given" : "no picture given", true);
    o.input = names[0];
    o.output = names[1];

    const PictureApplication app(kName, line.Argv0());
    // Start-up order of the window: settings, angle tables, then the surface and the model.
    LoadSettings();
    FillAngleTables();
    CScreen screen;
    screen.SetSize(o.size, o.size);
    if (screen.Image() == nullptr || screen.Image()->isNull()) {
        std::fprintf(stderr, "%s: %s: not enough memory for a %dx%d picture\n", kName,
                     o.input.c_str(), o.size, o.size);
        return 1;
    }

    MessageCollector messages;
    try {
        // The opening frames are all a thumbnail looks at, so a long show is read only that
        // far; the whole file only when none of them has a lit point.
        IldaLeadingBytes leading;
        std::string why;
        if (!ReadLeadingSections(o.input, kTellingFrames, leading, &why)) {
            std::fprintf(stderr, "%s: %s: cannot read the file (%s)\n", kName, o.input.c_str(),
                         why.c_str());
            return 1;
        }
        auto scene = std::make_unique<CScene>(Settings);
        CChannel* channel = scene->AddChannel();
        auto reader = std::make_unique<CIlda>();
        if (channel == nullptr || !reader->LoadBytes(leading.bytes.data(), leading.bytes.size(),
                                                     channel, kDefaultPalette)) {
            std::fprintf(stderr, "%s: %s: cannot read the file\n", kName, o.input.c_str());
            return 1;
        }
        CFrame* frame = TellingFrame(channel);
        LoadedIlda whole;
        if (frame == nullptr && !leading.whole) {
            leading = IldaLeadingBytes();
            reader.reset();
            scene.reset();
            const FileResult loaded = LoadIldaFile(o.input, kDefaultPalette, Settings, whole);
            if (loaded.outcome != FileOutcome::Loaded) {
                ReportLoadFailure("thumbnail", o.input, loaded, messages);
                return 1;
            }
            channel = whole.channel;
            frame = TellingFrame(channel);
        }
        if (frame == nullptr) {
            std::fprintf(stderr, "%s: %s: holds no lit point to draw\n", kName, o.input.c_str());
            return 1;
        }
        DrawPreviewFrame(screen, channel, frame, 0);
        return WritePng(*screen.Image(), o.output, kName) ? 0 : 1;
    } catch (const std::bad_alloc&) {
        ReportOutOfMemory("thumbnail", "load", o.input);
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s: The Following File is Corrupt (%s)\n", kName, o.input.c_str(),
                     e.what());
        return 1;
    }
}

const CommandRegistration registration("thumbnail",
                                       "draw a file's most telling frame as a small square picture",
                                       &DescribeThumbnail, &RunThumbnail);

} // namespace
