#pragma once

#include <string>
#include <string_view>
#include <vector>

class QMimeData;

// Names the desktop hands the window: the file arguments of `trellion FILE...` and the files
// and folders dropped on it. Names are bytes, as the file system gives them; a name that is not
// valid UTF-8 is kept exactly.

// What the names given name, each list in the order given and each name in it once.
struct TOpenedNames {
    std::vector<std::string> files;       // regular files, absolute
    std::vector<std::string> directories; // directories, absolute
    std::vector<std::string> missing;     // anything else (nothing there, a device), absolute
};

// `name` made absolute against `currentDir` (itself absolute) and cleaned as the directory
// lists clean their paths: no empty or "." components, ".." taking away the component before
// it, no trailing separator except for "/". An empty name stays empty.
[[nodiscard]] std::string AbsoluteFileName(std::string_view name, std::string_view currentDir);

// The process's current directory as the file system names it; "/" when it cannot be told.
[[nodiscard]] std::string CurrentDirectoryName();

// The names of argv[1] to argv[argc - 1], made absolute against the current directory. A
// first "--" only ends the options (none are read) and is not a name. Call it before anything
// changes the current directory: the window's directory lists do.
[[nodiscard]] std::vector<std::string> CommandLineNames(int argc, const char* const* argv);

// Sorts names (absolute; cleaned here) into files, directories and names that are neither; a name
// already seen (after cleaning) is left out.
[[nodiscard]] TOpenedNames SortOpenedNames(const std::vector<std::string>& names);

// The local files and folders of a drag (its URLs with the file scheme), in the drag's order,
// as bytes: each taken from the URL's percent-encoded path, so that a name that is not valid
// UTF-8 arrives unchanged. Other URLs are left out.
[[nodiscard]] std::vector<std::string> DroppedFileNames(const QMimeData& data);
