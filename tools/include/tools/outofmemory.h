#pragma once

#include <cstdio>
#include <string>

// The one line a command prints when memory runs out while it handles a file, as in
// "trellion-cli info: not enough memory to load show.ild". `action` is "load" or "save".
inline void ReportOutOfMemory(const char* command, const char* action, const std::string& file) {
    std::fprintf(stderr, "trellion-cli %s: not enough memory to %s %s\n", command, action,
                 file.c_str());
}
