#include "platform/workingdirectories.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string WithTrailingSeparator(const std::string& dir) {
    return dir.empty() || dir.back() == '/' ? dir : dir + '/';
}

bool IsBinDirectory(const std::string& dir) {
    std::string path = dir;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return fs::path(path).filename() == "bin";
}

// Creates each name below base (base itself must exist). Empty on success, else the reason.
std::string CreateBelow(const std::string& base, std::initializer_list<std::string> names) {
    for (const std::string& name : names) {
        const std::string path = base + name;
        if (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST)
            return path + ": " + std::strerror(errno);
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0)
            return path + ": " + std::strerror(errno);
        if (!S_ISDIR(info.st_mode))
            return path + ": " + std::strerror(ENOTDIR);
        if (::access(path.c_str(), W_OK | X_OK) != 0)
            return path + ": " + std::strerror(errno);
    }
    return {};
}

} // namespace

TWorkingDirectories PlaceWorkingDirectories(const std::string& programDir,
                                            const std::string& dataDir,
                                            std::initializer_list<std::string> names) {
    TWorkingDirectories result;
    const std::string program = WithTrailingSeparator(programDir);
    if (programDir.empty()) {
        result.problem = "the program's directory is unknown\n";
    } else if (IsBinDirectory(programDir)) {
        result.problem = program + ": a program directory\n";
    } else if (std::string reason = CreateBelow(program, names); !reason.empty()) {
        result.problem = reason + '\n';
    } else {
        result.base = program;
        result.ready = true;
        return result;
    }

    result.base = WithTrailingSeparator(dataDir);
    if (dataDir.empty()) {
        result.problem += "no data directory: neither XDG_DATA_HOME nor HOME is set\n";
        return result;
    }
    std::error_code error;
    fs::create_directories(dataDir, error);
    if (error) {
        result.problem += dataDir + ": " + error.message() + '\n';
        return result;
    }
    if (std::string reason = CreateBelow(result.base, names); !reason.empty()) {
        result.problem += reason + '\n';
        return result;
    }
    result.ready = true;
    result.problem.clear();
    return result;
}
