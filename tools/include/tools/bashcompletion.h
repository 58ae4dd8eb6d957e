#pragma once

#include <string>
#include <vector>

#include "tools/commandline.h"

struct NamedCommandSpec {
    std::string name;
    CommandSpec spec;
};

// The bash completion script of trellion-cli for these commands, made from their option tables:
// the command names, each command's options (its own and the common ones), what each option's
// value completes to and what its operands are. The script asks the program nothing when it
// runs.
[[nodiscard]] std::string BashCompletion(const std::vector<NamedCommandSpec>& commands);
