#pragma once

#include <string>
#include <vector>

// The subcommands of trellion-cli. Each command's source registers itself with a static
// CommandRegistration, so adding a command is adding one source file.
//
// A command gets its own arguments (argv[0] is the command's name) and returns the process
// exit status: 0 when every file succeeded, 1 when any failed, 2 for a usage error.
struct Command {
    std::string name;
    std::string summary;
    int (*run)(int argc, char** argv);
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
    CommandRegistration(const char* name, const char* summary, int (*run)(int, char**)) {
        CommandRegistry::Instance().Add({name, summary, run});
    }
};
