#pragma once

// Runs a program for a benchmark, its standard output sent to /dev/null, and waits for it. A
// name without a slash is looked up in PATH.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

// The program's exit status, or -1 when it could not be started or did not exit; *usage (when
// given) gets the resources it used (CPU time, peak resident size) as its parent sees them.
inline int RunQuietly(const std::vector<std::string>& arguments, struct rusage* usage) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int error = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        return -1;
    int status = 0;
    ::wait4(pid, &status, 0, usage);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
