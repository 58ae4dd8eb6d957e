// trellion-cli: the utility's file operations for scripts and terminals.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <new>

#include "platform/allocatortuning.h"
#include "platform/outputfile.h"
#include "tools/commandregistry.h"

namespace {

void PrintUsage(FILE* out) {
    std::fprintf(out, "usage: trellion-cli COMMAND [ARGS...]\n\ncommands:\n");
    for (const Command& command : CommandRegistry::Instance().All())
        std::fprintf(out, "  %-12s %s\n", command.name.c_str(), command.summary.c_str());
    std::fprintf(out, "\n'trellion-cli COMMAND --help' describes a command;\n"
                      "'trellion-cli [COMMAND] --version' prints the version.\n");
}

void PrintVersion() {
    std::printf("trellion-cli %s\n", TRELLION_VERSION);
}

// Whether a command's arguments ask for the version; every command answers it alike.
bool AsksForVersion(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--version") == 0)
            return true;
    return false;
}

} // namespace

int main(int argc, char** argv) {
    TuneAllocatorForBatches();
    if (argc < 2) {
        PrintUsage(stderr);
        return 2;
    }
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 ||
        std::strcmp(argv[1], "help") == 0) {
        PrintUsage(stdout);
        return 0;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        PrintVersion();
        return 0;
    }
    const Command* command = CommandRegistry::Instance().Find(argv[1]);
    if (command == nullptr) {
        std::fprintf(stderr, "trellion-cli: unknown command '%s'\n", argv[1]);
        PrintUsage(stderr);
        return 2;
    }
    if (AsksForVersion(argc - 1, argv + 1)) {
        PrintVersion();
        return 0;
    }
    // A file size limit makes a write fail, which the command reports, instead of killing the
    // process; Ctrl-C or a kill during a write leaves no temporary file behind.
    std::signal(SIGXFSZ, SIG_IGN);
    COutputFile::RemoveTemporariesOnTermination();
    try {
        return command->run(argc - 1, argv + 1);
    } catch (const std::bad_alloc&) {
        // The commands name the file they were at; this is for memory running out elsewhere.
        std::fprintf(stderr, "trellion-cli %s: not enough memory\n", argv[1]);
        return 1;
    }
}
