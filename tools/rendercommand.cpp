// render: a frame (or every frame) of an ILDA file as the preview draws it, as PNG pictures.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <string>
#include <sys/stat.h>

#include <QImage>
#include <QPainter>

#include "model/cchannel.h"
#include "model/cframe.h"
#include "model/cpoly.h"
#include "model/cthing.h"
#include "model/cvector.h"
#include "model/geometry.h"
#include "operations/fileoperations.h"
#include "platform/messagehook.h"
#include "render/cscreen.h"
#include "render/drawbuffers.h"
#include "settings/settings.h"
#include "tools/commandregistry.h"
#include "tools/loadfailure.h"
#include "tools/messagecollector.h"
#include "tools/outofmemory.h"
#include "tools/paletteoption.h"
#include "tools/previewpicture.h"

namespace {

constexpr const char* kName = "trellion-cli render";
// The drawing area of the main window.
constexpr int kDefaultWidth = 260;
constexpr int kDefaultHeight = 280;
// Larger pictures are refused rather than allocated: a whole file's contact sheet at full size
// grows with the frame count.
constexpr long long kMaxSide = 16384;
constexpr long long kMaxPixels = 64LL * 1024 * 1024;
constexpr int kSheetColumns = 8;
constexpr int kSheetGap = 2;
// The diagnostic marks, as pixels (0x00RRGGBB): blanked moves in a dim grey that lit lines
// cover, lit points white, blanked points a lighter grey than the moves.
constexpr uint32_t kBlankedMovePixel = 0x505050;
constexpr uint32_t kLitPointPixel = 0xFFFFFF;
constexpr uint32_t kBlankedPointPixel = 0xA0A0A0;

CommandSpec DescribeRender() {
    CommandSpec spec;
    spec.usage = "usage: trellion-cli render FILE.ild [options] -o OUT.png\n";
    spec.description =
        "Loads FILE as the window's preview does and draws one of its frames the way the\n"
        "preview shows it, into a PNG picture.\n";
    spec.options = {
        Valued({"palette"}, "NAME", "pangolin, ilda or x29 (or 0, 1, 2); default {default}", "ilda",
               OneOf(PaletteWords())),
        Valued({"settings"}, "FILE",
               "take the defaults of the new channel (its effects included) from\n"
               "FILE instead of the show software's Tarvexa.ini",
               {}, FilesNamed("ini")),
        Valued({"frame"}, "N", "the frame to draw, counted from 1; default {default}", "1"),
        Flag({"all"}, "draw every frame: into OUT.png as a contact sheet of numbered\n"
                      "frames (" +
                          std::to_string(kSheetColumns) +
                          " a row, more for long files), or, when -o names an\n"
                          "existing directory, as one picture per frame, frame-0001.png\n"
                          "and so on"),
        Valued({"time"}, "T",
               "the animation clock in frames for the channel's effects; the\n"
               "preview always draws at 0",
               "0"),
        Valued({"size"}, "WxH", "size of the picture (of each frame on a sheet); default {default}",
               std::to_string(kDefaultWidth) + "x" + std::to_string(kDefaultHeight)),
        Flag({"blanked"}, "also draw the blanked moves (the beam travelling while off),\n"
                          "as dim grey lines beneath the lit ones"),
        Flag({"points"}, "mark every point with a 3x3 square: white where the beam is\n"
                         "on, light grey where it is blanked"),
        Valued({"o", "output"}, "OUT", "the PNG file to write (or the directory, with --all)", {},
               FilesNamed("png")),
    };
    spec.closing =
        "Without --blanked and --points the picture is exactly the preview's.\n"
        "\n"
        "Exit status: 0 written, 1 the file could not be read or the picture not written,\n"
        "2 usage error.\n";
    spec.helpColumn = 20;
    spec.operands = {FilesNamed("ild")};
    return spec;
}

bool ParseInt(const std::string& text, long long low, long long high, int* out) {
    if (text.empty())
        return false;
    errno = 0;
    char* stop = nullptr;
    const long long value = std::strtoll(text.c_str(), &stop, 10);
    if (errno != 0 || *stop != '\0' || value < low || value > high)
        return false;
    *out = static_cast<int>(value);
    return true;
}

bool ParseSize(const std::string& text, int* width, int* height) {
    const auto x = text.find_first_of("xX");
    return x != std::string::npos && ParseInt(text.substr(0, x), 1, kMaxSide, width) &&
           ParseInt(text.substr(x + 1), 1, kMaxSide, height);
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

struct Options {
    std::string input;
    std::string output;
    std::string settingsFile;
    int palette = 1;
    int frame = 1;
    bool all = false;
    bool blanked = false;
    bool points = false;
    int time = 0;
    int width = kDefaultWidth;
    int height = kDefaultHeight;
};

// The preview blacks out a segment that ends in a blanked point; recolouring those before the
// rasteriser runs shows the moves while lit lines, drawn after them, stay on top.
void ShowBlankedMoves(CScreen& screen) {
    constexpr uint32_t colour = kBlankedMovePixel; // grey reads the same as a model colour
    for (int32_t i = 0; i < screen.segmentCount; ++i)
        if (screen.firstSegment[i].end.blank)
            screen.firstSegment[i].end.colour = colour;
}

void MarkPoint(QImage& image, const CVector& point, uint32_t pixel) {
    const int column = static_cast<int>(point.view_x);
    const int row = image.height() - 1 - static_cast<int>(point.view_y);
    for (int y = row - 1; y <= row + 1; ++y)
        for (int x = column - 1; x <= column + 1; ++x)
            if (image.valid(x, y))
                image.setPixel(x, y, pixel);
}

// Marks each point of the frame that lies in view, projected through the view RenderFrame set
// up, blanked ones first so that lit marks stay on top where they meet. The renderer's own dot
// buffer holds fewer points than a frame may have, so the points are projected here again.
void MarkPoints(CScreen& screen, CFrame* frame) {
    QImage& image = *screen.bitmap;
    for (const bool blanked : {true, false}) {
        const auto mark = [&](CVector* v) {
            if ((v->blank != 0) != blanked)
                return;
            screen.TransformPoint(v);
            // As the renderer's edges: what is not finite in eye space has no place on screen.
            if (!std::isfinite(v->view_x) || !std::isfinite(v->view_y) || !std::isfinite(v->view_z))
                return;
            screen.ComputeOutcode(v);
            if (v->clip_flags != 0)
                return;
            screen.ProjectPoint(v);
            MarkPoint(image, *v, blanked ? kBlankedPointPixel : kLitPointPixel);
        };
        for (CThing* thing = frame->FirstThing(); thing != nullptr; thing = thing->Next(false)) {
            for (CPoly* poly = thing->FirstPoly(); poly != nullptr; poly = poly->Next(false))
                for (CVector* v = poly->FirstVertex(); v != nullptr; v = v->next)
                    mark(v);
            for (CVector* v = thing->FirstVertex(); v != nullptr; v = v->next)
                mark(v);
        }
    }
}

// The preview's draw of one frame; with the diagnostic options, the marks on top of that.
void Draw(const Options& o, CScreen& screen, CChannel* channel, CFrame* frame) {
    DrawPreviewFrame(screen, channel, frame, o.time, [&o](CScreen& drawn) {
        if (o.blanked)
            ShowBlankedMoves(drawn);
    });
    if (o.points && screen.bits != nullptr)
        MarkPoints(screen, frame);
}

int RenderOne(const Options& o, CChannel* channel, CScreen& screen) {
    CFrame* frame = channel->FirstFrame();
    for (int i = 1; i < o.frame && frame != nullptr; ++i)
        frame = frame->Next(false);
    if (frame == nullptr) {
        std::fprintf(stderr, "%s: %s: has %d frames, no frame %d\n", kName, o.input.c_str(),
                     channel->FrameCount(), o.frame);
        return 1;
    }
    Draw(o, screen, channel, frame);
    return WritePng(*screen.Image(), o.output, kName) ? 0 : 1;
}

int RenderEachToDirectory(const Options& o, CChannel* channel, CScreen& screen) {
    const int digits = std::max(4, static_cast<int>(std::to_string(channel->FrameCount()).size()));
    for (CFrame* frame = channel->FirstFrame(); frame != nullptr; frame = frame->Next(false)) {
        Draw(o, screen, channel, frame);
        char name[32];
        std::snprintf(name, sizeof name, "frame-%0*d.png", digits, frame->Index());
        if (!WritePng(*screen.Image(), o.output + "/" + name, kName))
            return 1;
    }
    std::printf("%s: %d frames -> %s/\n", o.input.c_str(), channel->FrameCount(), o.output.c_str());
    return 0;
}

int RenderSheet(const Options& o, CChannel* channel, CScreen& screen) {
    const long long frames = channel->FrameCount();
    if (frames == 0) {
        std::fprintf(stderr, "%s: %s: holds no frame\n", kName, o.input.c_str());
        return 1;
    }
    // Roughly square sheets for long files, rows of at least kSheetColumns otherwise.
    long long columns = kSheetColumns;
    while (columns * columns < frames)
        ++columns;
    columns = std::min(columns, frames);
    const long long rows = (frames + columns - 1) / columns;
    const long long sheetWidth = columns * (o.width + kSheetGap) + kSheetGap;
    const long long sheetHeight = rows * (o.height + kSheetGap) + kSheetGap;
    if (sheetWidth > kMaxSide || sheetHeight > kMaxSide || sheetWidth * sheetHeight > kMaxPixels) {
        std::fprintf(stderr,
                     "%s: %s: a sheet of %lld frames would be %lldx%lld pixels; give a smaller "
                     "--size or a directory as -o\n",
                     kName, o.input.c_str(), frames, sheetWidth, sheetHeight);
        return 1;
    }
    QImage sheet(static_cast<int>(sheetWidth), static_cast<int>(sheetHeight), QImage::Format_RGB32);
    if (sheet.isNull()) {
        std::fprintf(stderr, "%s: %s: not enough memory for the sheet\n", kName, o.input.c_str());
        return 1;
    }
    sheet.fill(QColor(0x50, 0x50, 0x50));
    QPainter painter(&sheet);
    QFont font = painter.font();
    font.setPixelSize(10);
    painter.setFont(font);
    painter.setPen(QColor(0xA0, 0xA0, 0xA0));
    long long i = 0;
    for (CFrame* frame = channel->FirstFrame(); frame != nullptr; frame = frame->Next(false), ++i) {
        Draw(o, screen, channel, frame);
        const int x = static_cast<int>(kSheetGap + (i % columns) * (o.width + kSheetGap));
        const int y = static_cast<int>(kSheetGap + (i / columns) * (o.height + kSheetGap));
        painter.save();
        painter.translate(x, y);
        screen.CopyTo(painter);
        painter.restore();
        painter.drawText(QRect(x + 3, y + 2, o.width - 6, 14), Qt::AlignLeft | Qt::AlignTop,
                         QString::number(frame->Index()));
    }
    painter.end();
    if (!WritePng(sheet, o.output, kName))
        return 1;
    std::printf("%s: %lld frames -> %s\n", o.input.c_str(), frames, o.output.c_str());
    return 0;
}

int RunRender(const CommandLine& line) {
    Options o;
    o.output = line.Value("o");
    o.settingsFile = line.Value("settings");
    o.all = line.IsSet("all");
    o.blanked = line.IsSet("blanked");
    o.points = line.IsSet("points");
    const struct {
        const char* option;
        bool (*parse)(const std::string& value, Options& o);
    } numbers[] = {
        {"frame",
         [](const std::string& v, Options& o) { return ParseInt(v, 1, INT_MAX, &o.frame); }},
        {"time",
         [](const std::string& v, Options& o) { return ParseInt(v, INT_MIN, INT_MAX, &o.time); }},
        {"size",
         [](const std::string& v, Options& o) {
             return ParseSize(v, &o.width, &o.height) &&
                    static_cast<long long>(o.width) * o.height <= kMaxPixels;
         }},
    };
    for (const auto& number : numbers)
        if (!number.parse(line.Value(number.option), o))
            return line.Fail("bad value '" + line.Value(number.option) + "' for --" +
                             number.option);
    const std::string palette = line.Value("palette");
    o.palette = PaletteIndexOf(palette);
    if (o.palette < 0)
        return line.Fail("unknown palette '" + palette + "' (pangolin, ilda, x29, 0, 1, 2)");
    const std::vector<std::string>& inputs = line.Operands();
    if (inputs.size() > 1)
        return line.Fail("one ILDA file at a time (" + inputs[0] + ", " + inputs[1] + ")");
    if (inputs.empty())
        return line.Fail("no file given", true);
    if (o.output.empty())
        return line.Fail("no output given (-o)", true);
    o.input = inputs.front();

    // Text needs Qt's font machinery, which needs an application object.
    const PictureApplication app(kName, line.Argv0());

    // Start-up order of the window: settings, angle tables, then the surface and the model.
    if (line.IsSet("settings"))
        LoadSettings(o.settingsFile);
    else
        LoadSettings();
    FillAngleTables();
    CScreen screen;
    screen.SetSize(o.width, o.height);
    if (screen.Image() == nullptr || screen.Image()->isNull()) {
        std::fprintf(stderr, "%s: %s: not enough memory for a %dx%d picture\n", kName,
                     o.input.c_str(), o.width, o.height);
        return 1;
    }

    MessageCollector messages;
    try {
        LoadedIlda file;
        const FileResult loaded = LoadIldaFile(o.input, o.palette, Settings, file);
        if (loaded.outcome != FileOutcome::Loaded) {
            ReportLoadFailure("render", o.input, loaded, messages);
            return 1;
        }
        CChannel* channel = file.channel;
        if (!o.all)
            return RenderOne(o, channel, screen);
        if (IsDirectory(o.output))
            return RenderEachToDirectory(o, channel, screen);
        return RenderSheet(o, channel, screen);
    } catch (const std::bad_alloc&) {
        ReportOutOfMemory("render", "load", o.input);
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s: The Following File is Corrupt (%s)\n", kName, o.input.c_str(),
                     e.what());
        return 1;
    }
}

const CommandRegistration registration("render", "draw frames of an ILDA file as the preview does",
                                       &DescribeRender, &RunRender);

} // namespace
