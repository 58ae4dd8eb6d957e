// trellion-cli resave: what the window does when it saves a found file.
#include <cstdio>
#include <cstring>
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

void PrintResaveUsage(FILE* out) {
    std::fprintf(out, "usage: trellion-cli resave [--palette PALETTE] FILE.ild -o OUT.ild\n"
                      "       trellion-cli resave [--palette PALETTE] FILE.ild... -o DIR\n"
                      "\n"
                      "Loads FILE with PALETTE and saves it as OUT with the same palette: a\n"
                      "format-0 ILDA file whose colours are re-derived through the palette,\n"
                      "frames renumbered from 0 and closed by an end section. When -o names an\n"
                      "existing directory, each FILE is saved into it under its own name.\n"
                      "\n"
                      "  --palette PALETTE  pangolin, ilda or x29 (or 0, 1, 2); default ilda\n"
                      "  -o OUT             the file to write; OUT may be FILE itself\n"
                      "  -o DIR             the directory to save every FILE into\n"
                      "\n"
                      "OUT is written in full or not at all; a FILE that cannot be read writes\n"
                      "nothing, and neither does a FILE whose name an earlier FILE of the same\n"
                      "run has taken in DIR. A FILE that gives no point at all is saved as one\n"
                      "frame and named on standard error: like every frame without points, that\n"
                      "frame holds one blanked point at the origin, so that it reads back as a\n"
                      "frame. When standard error is a terminal, one line there shows the file\n"
                      "being saved and the points read so far.\n"
                      "\n"
                      "Exit status: 0 when every file was saved, 1 when any could not be read\n"
                      "or written, 2 when the arguments are wrong.\n");
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

int RunResave(int argc, char** argv) {
    int palette = 1;
    std::vector<std::string> inputs;
    const char* output = nullptr;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const char* value = nullptr;
        if (!optionsEnded && std::strcmp(arg, "--") == 0) {
            optionsEnded = true;
        } else if (!optionsEnded &&
                   (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0)) {
            PrintResaveUsage(stdout);
            return 0;
        } else if (!optionsEnded && (std::strcmp(arg, "--palette") == 0 ||
                                     std::strncmp(arg, "--palette=", 10) == 0)) {
            if (arg[9] == '=') {
                value = arg + 10;
            } else if (i + 1 < argc) {
                value = argv[++i];
            } else {
                std::fprintf(stderr, "trellion-cli resave: --palette needs a value\n");
                return 2;
            }
            palette = PaletteIndexOf(value);
            if (palette < 0) {
                std::fprintf(stderr, "trellion-cli resave: unknown palette '%s'\n", value);
                return 2;
            }
        } else if (!optionsEnded &&
                   (std::strcmp(arg, "-o") == 0 || std::strcmp(arg, "--output") == 0)) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "trellion-cli resave: %s needs a file name\n", arg);
                return 2;
            }
            output = argv[++i];
        } else if (!optionsEnded && arg[0] == '-' && arg[1] != '\0') {
            std::fprintf(stderr, "trellion-cli resave: unknown option '%s'\n", arg);
            PrintResaveUsage(stderr);
            return 2;
        } else {
            inputs.emplace_back(arg);
        }
    }
    if (inputs.empty() || output == nullptr) {
        std::fprintf(stderr, "trellion-cli resave: %s\n",
                     inputs.empty() ? "no input file given" : "no output file given (-o)");
        PrintResaveUsage(stderr);
        return 2;
    }
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

const CommandRegistration registration("resave", "load ILDA files and save them again", &RunResave);

} // namespace
