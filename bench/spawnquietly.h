#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

// Runs a program (looked up on PATH when its name holds no slash) with its standard output sent
// to /dev/null and waits for it. Returns its exit status, or -1 when it could not start or did
// not exit; fills *usage (when given) with what the program used.
inline int SpawnQuietly(const std::vector<std::string>& arguments, struct rusage* usage = nullptr) {
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
    struct rusage used {};
    ::wait4(pid, &status, 0, &used);
    if (usage != nullptr)
        *usage = used;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// As above, adding the CPU time the program used (user and system) to cpuMs.
inline int SpawnQuietly(const std::vector<std::string>& arguments, double& cpuMs) {
    struct rusage used {};
    const int status = SpawnQuietly(arguments, &used);
    cpuMs += double(used.ru_utime.tv_sec + used.ru_stime.tv_sec) * 1e3 +
             double(used.ru_utime.tv_usec + used.ru_stime.tv_usec) / 1e3;
    return status;
}
