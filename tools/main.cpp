// trellion-cli: the utility's file operations for scripts and terminals.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "platform/allocatortuning.h"
#include "platform/outputfile.h"
#include "tools/bashcompletion.h"
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

// The bash completion script, which the build installs: not a command of the user's.
int PrintCompletion(int argc, char** argv) {
    if (argc != 3 || std::strcmp(argv[2], "bash") != 0) {
        std::fprintf(stderr, "trellion-cli: --completion takes one shell: bash\n");
        return 2;
    }
    std::vector<NamedCommandSpec> commands;
    for (const Command& command : CommandRegistry::Instance().All())
        commands.push_back({command.name, command.describe()});
    const std::string script = BashCompletion(commands);
    std::fwrite(script.data(), 1, script.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
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
    if (std::strcmp(argv[1], "--completion") == 0)
        return PrintCompletion(argc, argv);
    const Command* command = CommandRegistry::Instance().Find(argv[1]);
    if (command == nullptr) {
        std::fprintf(stderr, "trellion-cli: unknown command '%s'\n", argv[1]);
        PrintUsage(stderr);
        return 2;
    }
    const CommandSpec spec = command->describe();
    CommandLine line;
    switch (line.Parse(command->name, spec, argc - 1, argv + 1)) {
    case CommandLine::Run:
        break;
    case CommandLine::WantsVersion:
        PrintVersion();
        return 0;
    case CommandLine::ShowedHelp:
        return std::fflush(stdout) == 0 ? 0 : 1;
    case CommandLine::UsageError:
        return 2;
    }
    // A file size limit makes a write fail, which the command reports, instead of killing the
    // process; Ctrl-C or a kill during a write leaves no temporary file behind.
    std::signal(SIGXFSZ, SIG_IGN);
    COutputFile::RemoveTemporariesOnTermination();
    try {
        return command->run(line);
    } catch (const std::bad_alloc&) {
        // The commands name the file they were at; this is for memory running out elsewhere.
        std::fprintf(stderr, "trellion-cli %s: not enough memory\n", argv[1]);
        return 1;
    }
}
