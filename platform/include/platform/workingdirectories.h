#pragma once

#include <initializer_list>
#include <string>

// Where the window's working directories are put, and what became of creating them.
struct TWorkingDirectories {
    // The directory they lie in, ending with '/': each name is appended to it unchanged.
    std::string base;
    // Both exist there as directories the process can write into.
    bool ready = false;
    // When not ready: why neither place would do, one line per place tried.
    std::string problem;
};

// Creates the working directories `names` (each a single path component) and says where they
// are. A copy run in place keeps them beside the executable, in programDir, when they can be
// created and written there. An installed program (programDir not writable, or a directory
// named "bin": such a directory holds programs, not data, even where the user may write it,
// as root may in /usr/bin) keeps them in dataDir instead, which is created with its parents.
// An empty dataDir cannot be used. Never throws; existing directories are kept as they are.
[[nodiscard]] TWorkingDirectories PlaceWorkingDirectories(const std::string& programDir,
                                                          const std::string& dataDir,
                                                          std::initializer_list<std::string> names);
