#include "tools/targetclaims.h"

#include <cstdio>

#include "tools/progressline.h"

bool TargetClaims::Claim(const std::string& target, const std::string& source, const char* command,
                         ProgressLine& progress) {
    const auto [earlier, isNew] = sources_.emplace(target, source);
    if (isNew)
        return true;
    progress.Clear();
    std::fprintf(stderr, "trellion-cli %s: %s: not written, %s holds %s\n", command, source.c_str(),
                 target.c_str(), earlier->second.c_str());
    return false;
}

std::string BaseName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
