#pragma once

#include <functional>
#include <grp.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

// Runs fn in a child process as an ordinary user, so that file permissions apply to it: a test
// run by root gives up root first and becomes "nobody" (uid and gid 65534); anyone else runs fn
// as they are. The child's exit status is fn's result. Returns that status, or -1 when the
// child could not give up root or did not end normally. Paths fn uses must be reachable for
// "nobody".
inline int RunAsOrdinaryUser(const std::function<int()>& fn) {
    const pid_t child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 ||
                                 ::setuid(65534) != 0 || ::geteuid() == 0))
            ::_exit(100);
        ::_exit(fn());
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) == 100)
        return -1;
    return WEXITSTATUS(status);
}
