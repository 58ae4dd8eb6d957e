// convert: ILDA files to scene files, as the window's batch conversion makes them.
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "model/geometry.h"
#include "operations/fileoperations.h"
#include "platform/messagehook.h"
#include "scene/scenefile.h"
#include "settings/settings.h"
#include "tools/channelsummary.h"
#include "tools/commandregistry.h"
#include "tools/filebatch.h"
#include "tools/loadfailure.h"
#include "tools/messagecollector.h"
#include "tools/outofmemory.h"
#include "tools/paletteoption.h"
#include "tools/progressline.h"
#include "tools/targetclaims.h"

namespace {

CommandSpec DescribeConvert() {
    CommandSpec spec;
    spec.usage =
        "usage: trellion-cli convert [--palette NAME] [--settings FILE] FILE.ild... -o DIR\n";
    spec.description =
        "Converts each ILDA file into a scene file in DIR, named after the ILDA file with\n"
        "its last three characters replaced by \"scn\" (laser.ild -> laser.scn). An\n"
        "existing scene file is replaced; a file that cannot be read is not converted,\n"
        "nor one whose scene file an earlier FILE of the same run has written. A file\n"
        "that gives no point at all (empty, not ILDA, or only sections the reader\n"
        "passes over) is converted to one empty frame and named on standard error.\n";
    spec.options = {
        Valued({"palette"}, "NAME", "pangolin, ilda or x29 (or 0, 1, 2); default {default}", "ilda",
               OneOf(PaletteWords())),
        Valued({"settings"}, "FILE",
               "take the defaults of new scenes and channels from FILE\n"
               "instead of the show software's Tarvexa.ini",
               {}, FilesNamed("ini")),
        Valued({"o", "output"}, "DIR", "the directory the scene files are written into", {},
               AnyDirectory()),
    };
    spec.closing = "When standard error is a terminal, one line there shows the file being\n"
                   "converted and the points read so far.\n"
                   "\n"
                   "Exit status: 0 all converted, 1 any file failed, 2 usage error.\n";
    spec.helpColumn = 20;
    spec.operands = {FilesNamed("ild")};
    return spec;
}

// The conversion's naming rule: only the last three characters change, the case of the rest
// stays (SHOW.ILD -> SHOW.scn).
std::string SceneFileName(const std::string& ildaName) {
    const size_t keep = ildaName.size() >= 3 ? ildaName.size() - 3 : 0;
    return ildaName.substr(0, keep) + "scn";
}

// One file as the batch converts it: a fresh scene with one channel, the reader, channel type
// 1, the scene file. False when the file could not be read or the scene file not written; the
// reason has been printed, after the progress line was cleared. Adds the points read to
// *points while the progress line shows them.
bool ConvertFile(const std::string& source, const std::string& target, int palette,
                 MessageCollector& messages, ProgressLine& progress, long long* points) {
    const FileResult result = ConvertIldaFile(source, target, palette, Settings);
    if (result.NoPoints()) {
        // Still converted, as the window's batch does, but not in silence.
        progress.Clear();
        ReportNoPoints("convert", source);
    }
    *points += result.points;
    progress.Clear();
    switch (result.outcome) {
    case FileOutcome::Loaded:
    case FileOutcome::Written:
        std::printf("%s -> %s (%d frames)\n", source.c_str(), target.c_str(), result.frames);
        return true;
    case FileOutcome::WriteFailed:
        std::fprintf(stderr, "trellion-cli convert: %s: %s\n", target.c_str(),
                     messages.Take("Cannot save file.").c_str());
        return false;
    case FileOutcome::Unreadable:
        // Unlike the window's batch, no scene file of one empty frame is written for it.
    case FileOutcome::NotEnoughMemory:
    case FileOutcome::Corrupt:
        if (result.step == FileStep::Save && result.outcome == FileOutcome::NotEnoughMemory)
            ReportOutOfMemory("convert", "save", target);
        else
            ReportLoadFailure("convert", source, result, messages);
        return false;
    }
    return false;
}

int RunConvert(const CommandLine& line) {
    const std::string palette = line.Value("palette");
    const std::string outputDir = line.Value("o");
    const std::vector<std::string>& inputs = line.Operands();
    const int paletteIndex = PaletteIndexOf(palette);
    if (paletteIndex < 0)
        return line.Fail("unknown palette '" + palette + "' (pangolin, ilda, x29, 0, 1, 2)");
    if (inputs.empty())
        return line.Fail("no file given", true);
    if (outputDir.empty())
        return line.Fail("no output directory given (-o)", true);
    struct stat st {};
    if (::stat(outputDir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        std::fprintf(stderr, "trellion-cli convert: %s: not a directory\n", outputDir.c_str());
        return 1;
    }

    // Start-up order of the window: settings first, then the angle tables, then the model.
    if (line.IsSet("settings"))
        LoadSettings(line.Value("settings"));
    else
        LoadSettings();
    FillAngleTables();

    MessageCollector messages;
    return RunFileBatch(
        inputs, "convert",
        [&](const std::string& source) {
            return outputDir + "/" + SceneFileName(BaseName(source));
        },
        [&](const std::string& source, const std::string& target, ProgressLine& progress,
            long long* points) {
            return ConvertFile(source, target, paletteIndex, messages, progress, points);
        });
}

const CommandRegistration registration("convert", "convert ILDA files into scene files (.scn)",
                                       &DescribeConvert, &RunConvert);

} // namespace
