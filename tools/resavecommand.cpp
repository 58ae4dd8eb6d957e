// trellion-cli resave: what the window does when it saves a found file.
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "model/geometry.h"
#include "operations/fileoperations.h"
#include "platform/messagehook.h"
#include "settings/settings.h"
#include "tools/channelsummary.h"
#include "tools/commandregistry.h"
#include "tools/filebatch.h"
#include "tools/outofmemory.h"
#include "tools/paletteoption.h"
#include "tools/progressline.h"
#include "tools/targetclaims.h"

namespace {

CommandSpec DescribeResave() {
    CommandSpec spec;
    spec.usage = "usage: trellion-cli resave [--palette PALETTE] FILE.ild -o OUT.ild\n"
                 "       trellion-cli resave [--palette PALETTE] FILE.ild... -o DIR\n";
    spec.description = "Loads FILE with PALETTE and saves it as OUT with the same palette: a\n"
                       "format-0 ILDA file whose colours are re-derived through the palette,\n"
                       "frames renumbered from 0 and closed by an end section. When -o names an\n"
                       "existing directory, each FILE is saved into it under its own name.\n";
    OptionSpec output = Valued({"o", "output"}, "OUT", "the file to write; OUT may be FILE itself",
                               {}, FilesNamed("ild"));
    output.otherValueName = "DIR";
    output.otherHelp = "the directory to save every FILE into";
    spec.options = {
        Valued({"palette"}, "PALETTE", "pangolin, ilda or x29 (or 0, 1, 2); default {default}",
               "ilda", OneOf(PaletteWords())),
        output,
    };
    spec.closing = "OUT is written in full or not at all; a FILE that cannot be read writes\n"
                   "nothing, and neither does a FILE whose name an earlier FILE of the same\n"
                   "run has taken in DIR. A FILE that gives no point at all is saved as one\n"
                   "frame and named on standard error: like every frame without points, that\n"
                   "frame holds one blanked point at the origin, so that it reads back as a\n"
                   "frame. When standard error is a terminal, one line there shows the file\n"
                   "being saved and the points read so far.\n"
                   "\n"
                   "Exit status: 0 when every file was saved, 1 when any could not be read\n"
                   "or written, 2 when the arguments are wrong.\n";
    spec.operands = {FilesNamed("ild")};
    return spec;
}

bool IsDirectory(const char* path) {
    struct stat st {};
    return ::stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

// Loads one file and saves it to target; the file code's reports name the file they concern.
// Adds the points read to *points while the progress line shows them.
bool ResaveFile(const std::string& input, const std::string& target, int palette,
                ProgressLine& progress, long long* points) {
    const std::string* current = &input;
    const MessageHook previous = SetMessageHook([&](const std::string& text, int, unsigned) {
        progress.Clear();
        std::fprintf(stderr, "trellion-cli resave: %s: %s\n", current->c_str(), text.c_str());
        return static_cast<int>(mrOk);
    });
    LoadedIlda file;
    FileResult result = LoadIldaFile(input, palette, DefaultSettings(), file);
    if (result.outcome == FileOutcome::Loaded) {
        if (result.NoPoints()) {
            // Still saved, as the window saves it, but not in silence.
            progress.Clear();
            ReportNoPoints("resave", input);
        }
        *points += result.points;
        current = &target;
        result = SaveAsIldaFile(file, target);
    }
    if (result.outcome == FileOutcome::NotEnoughMemory) {
        // Nothing has been written: the output is put in place only once complete.
        progress.Clear();
        ReportOutOfMemory("resave", current == &input ? "load" : "save", *current);
    } else if (result.outcome == FileOutcome::Corrupt) {
        progress.Clear();
        std::fprintf(stderr, "trellion-cli resave: %s: The Following File is Corrupt (%s)\n",
                     current->c_str(), result.detail.c_str());
    }
    const bool ok = result.outcome == FileOutcome::Written;
    SetMessageHook(previous);
    return ok;
}

int RunResave(const CommandLine& line) {
    const int palette = PaletteIndexOf(line.Value("palette"));
    if (palette < 0)
        return line.Fail("unknown palette '" + line.Value("palette") + "'");
    const std::vector<std::string>& inputs = line.Operands();
    if (inputs.empty())
        return line.Fail("no input file given", true);
    if (!line.IsSet("o"))
        return line.Fail("no output file given (-o)", true);
    const std::string outputName = line.Value("o");
    const char* output = outputName.c_str();
    const bool intoDirectory = IsDirectory(output);
    if (inputs.size() > 1 && !intoDirectory) {
        std::fprintf(stderr,
                     "trellion-cli resave: %zu input files need -o to name an existing "
                     "directory ('%s' is none)\n",
                     inputs.size(), output);
        return 2;
    }

    FillAngleTables();
    return RunFileBatch(
        inputs, "resave",
        [&](const std::string& source) {
            return intoDirectory ? std::string(output) + "/" + BaseName(source)
                                 : std::string(output);
        },
        [&](const std::string& source, const std::string& target, ProgressLine& progress,
            long long* points) { return ResaveFile(source, target, palette, progress, points); });
}

const CommandRegistration registration("resave", "load ILDA files and save them again",
                                       &DescribeResave, &RunResave);

} // namespace
