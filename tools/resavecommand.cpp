// trellion-cli resave: what the window does when it saves a found file.
#include <cstdio>
#include <cstring>
#include <string>

#include "ilda/cilda.h"
#include "model/cscene.h"
#include "model/geometry.h"
#include "platform/messagehook.h"
#include "tools/commandregistry.h"
#include "tools/loadedtotals.h"
#include "tools/paletteoption.h"

namespace {

void PrintResaveUsage(FILE* out) {
    std::fprintf(out, "usage: trellion-cli resave [--palette PALETTE] FILE.ild -o OUT.ild\n"
                      "\n"
                      "Loads FILE with PALETTE and saves it as OUT with the same palette: a\n"
                      "format-0 ILDA file whose colours are re-derived through the palette,\n"
                      "frames renumbered from 0 and closed by an end section.\n"
                      "\n"
                      "  --palette PALETTE  pangolin, ilda or x29 (or 0, 1, 2); default ilda\n"
                      "  -o OUT             the file to write; OUT may be FILE itself\n"
                      "\n"
                      "OUT is written in full or not at all; a FILE that cannot be read writes\n"
                      "nothing. A FILE that gives no point at all is saved as one empty frame\n"
                      "and named on standard error. Exit status: 0 when saved, 1 when FILE\n"
                      "could not be read or OUT not written, 2 when the arguments are wrong.\n");
}

int RunResave(int argc, char** argv) {
    int palette = 1;
    const char* input = nullptr;
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
        } else if (input == nullptr) {
            input = arg;
        } else {
            std::fprintf(stderr, "trellion-cli resave: one input file only ('%s' is a second)\n",
                         arg);
            return 2;
        }
    }
    if (input == nullptr || output == nullptr) {
        std::fprintf(stderr, "trellion-cli resave: %s\n",
                     input == nullptr ? "no input file given" : "no output file given (-o)");
        PrintResaveUsage(stderr);
        return 2;
    }

    // The file code reports through the message hook; here each report names its file.
    const char* current = input;
    const MessageHook previous = SetMessageHook([&](const std::string& text, int, unsigned) {
        std::fprintf(stderr, "trellion-cli resave: %s: %s\n", current, text.c_str());
        return static_cast<int>(mrOk);
    });
    FillAngleTables();
    CScene scene;
    CChannel* channel = scene.AddChannel();
    CIlda ilda;
    bool ok = channel != nullptr && ilda.Load(input, channel, palette);
    if (ok) {
        // Still saved, as the window saves it, but not in silence.
        ReportIfNoPoints("resave", input, CountLoaded(*channel));
        current = output;
        ok = ilda.Save(output, channel, palette);
    }
    SetMessageHook(previous);
    return ok ? 0 : 1;
}

const CommandRegistration registration("resave", "load an ILDA file and save it again", &RunResave);

} // namespace
