#include "platform/userdirectories.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string WithoutTrailingSeparators(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// `dir` followed by `tail`, or "" when there is no `dir`.
std::string Below(const std::string& dir, const char* tail) {
    if (dir.empty())
        return {};
    return (dir == "/" ? "" : dir) + tail;
}

} // namespace

std::string HomeDirectory() {
    std::string home = Environment("HOME");
    if (home.empty()) {
        if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir)
            home = entry->pw_dir;
    }
    return WithoutTrailingSeparators(home);
}

std::string UserDataDirectory() {
    const std::string data = Environment("XDG_DATA_HOME");
    if (!data.empty() && data.front() == '/')
        return WithoutTrailingSeparators(data);
    return Below(HomeDirectory(), "/.local/share");
}

std::string WinePrefix() {
    const std::string prefix = Environment("WINEPREFIX");
    if (!prefix.empty())
        return WithoutTrailingSeparators(prefix);
    return Below(HomeDirectory(), "/.wine");
}
