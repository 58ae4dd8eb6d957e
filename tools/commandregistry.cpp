#include "tools/commandregistry.h"

#include <algorithm>

CommandRegistry& CommandRegistry::Instance() {
    static CommandRegistry registry;
    return registry;
}

void CommandRegistry::Add(Command command) {
    const auto at =
        std::lower_bound(commands_.begin(), commands_.end(), command,
                         [](const Command& a, const Command& b) { return a.name < b.name; });
    commands_.insert(at, std::move(command));
}

const Command* CommandRegistry::Find(const std::string& name) const {
    for (const Command& command : commands_)
        if (command.name == name)
            return &command;
    return nullptr;
}
