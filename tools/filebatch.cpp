#include "tools/filebatch.h"

#include <cstdio>

#include "tools/progressline.h"
#include "tools/targetclaims.h"

int RunFileBatch(const std::vector<std::string>& inputs, const char* command,
                 const BatchTarget& targetOf, const BatchWrite& write) {
    ProgressLine progress(stderr, static_cast<int>(inputs.size()));
    TargetClaims claims;
    long long points = 0;
    int failed = 0;
    int n = 0;
    for (const std::string& source : inputs) {
        progress.Show(++n, source, points);
        const std::string target = targetOf(source);
        if (!claims.Claim(target, source, command, progress) ||
            !write(source, target, progress, &points))
            ++failed;
    }
    progress.Clear();
    return failed == 0 ? 0 : 1;
}
