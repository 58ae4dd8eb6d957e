#pragma once

#include <map>
#include <string>

class ProgressLine;

// The files a command over many inputs has written in this run. Two inputs of the same name
// from different directories map to the same file in the output directory; the second would
// silently replace the first one's result, so it is refused instead.
class TargetClaims {
public:
    // True when no earlier input of this run claimed `target`; it is then claimed for `source`.
    // Otherwise prints "trellion-cli COMMAND: SOURCE: not written, TARGET holds EARLIER" on
    // standard error (after clearing the progress line) and gives false.
    bool Claim(const std::string& target, const std::string& source, const char* command,
               ProgressLine& progress);

private:
    std::map<std::string, std::string> sources_; // by target
};

// The last component of a path: what follows its last '/'.
[[nodiscard]] std::string BaseName(const std::string& path);
