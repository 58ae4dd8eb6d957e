#pragma once

#include <functional>
#include <string>
#include <vector>

class ProgressLine;

// Where one input of a batch is written.
using BatchTarget = std::function<std::string(const std::string& source)>;

// Writes one input to its target; adds the points it loaded to `points`. False when it failed
// (the failure is already reported).
using BatchWrite = std::function<bool(const std::string& source, const std::string& target,
                                      ProgressLine& progress, long long* points)>;

// Runs a command over many inputs: one progress line on a terminal, each target claimed once per
// run (a second input of the same name is refused, not written over the first one's result).
// Gives the command's exit status: 0 when every input was written, 1 otherwise.
[[nodiscard]] int RunFileBatch(const std::vector<std::string>& inputs, const char* command,
                               const BatchTarget& targetOf, const BatchWrite& write);
