#pragma once

#include <string>
#include <vector>

#include "tools/commandline.h"

// The subcommands of trellion-cli. Each command's source registers itself with a static
// CommandRegistration, so adding a command is adding one source file.
//
// A command declares its options in its CommandSpec (made when first asked for, not during
// static initialisation) and gets its parsed arguments; it returns the process exit status: 0
// when every file succeeded, 1 when any failed, 2 for a usage error.
struct Command {
    std::string name;
    std::string summary;
    CommandSpec (*describe)();
    int (*run)(const CommandLine& line);
};

class CommandRegistry {
public:
    static CommandRegistry& Instance();

    void Add(Command command);
    const Command* Find(const std::string& name) const;
    const std::vector<Command>& All() const { return commands_; }

private:
    std::vector<Command> commands_;
};

struct CommandRegistration {
    CommandRegistration(const char* name, const char* summary, CommandSpec (*describe)(),
                        int (*run)(const CommandLine&)) {
        CommandRegistry::Instance().Add({name, summary, describe, run});
    }
};
