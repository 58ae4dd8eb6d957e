#pragma once

// Runs the built trellion-cli as a process, for the tests of its commands: the one runner every
// command test uses.

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <QString>
#include <QStringList>

struct CliRun {
    int status = -1; // the exit status, -1 when it did not exit normally or ran out of time
    std::string out;
    std::string err;
};

// How a run differs from a plain one.
struct CliSetting {
    // The whole environment ("NAME=value" each) when not empty; otherwise the test's own.
    std::vector<std::string> environment;
    // Limits of the process in bytes when not 0: the size of a file it writes (the program
    // itself must keep SIGXFSZ from killing it) and its address space.
    rlim_t fileSizeLimit = 0;
    rlim_t addressSpaceLimit = 0;
    // The directory it runs in when not empty; otherwise the test's own.
    std::string workingDirectory;
    // Killed, with status -1, when it runs longer.
    std::chrono::seconds timeLimit{120};
};

// The test's own environment with `extra` ("NAME=value" each) added or put in place.
[[nodiscard]] inline std::vector<std::string>
OwnEnvironmentWith(const std::vector<std::string>& extra) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('=') + 1);
        bool replaced = false;
        for (const std::string& added : extra)
            replaced = replaced || added.rfind(name, 0) == 0;
        if (!replaced)
            environment.push_back(text);
    }
    environment.insert(environment.end(), extra.begin(), extra.end());
    return environment;
}

[[nodiscard]] inline CliSetting FileSizeLimited(rlim_t bytes) {
    CliSetting setting;
    setting.fileSizeLimit = bytes;
    return setting;
}

[[nodiscard]] inline CliSetting AddressSpaceLimited(rlim_t bytes) {
    CliSetting setting;
    setting.addressSpaceLimit = bytes;
    return setting;
}

namespace clirun_detail {

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string TemporaryFile() {
    char name[] = "/tmp/clirun-XXXXXX";
    const int fd = ::mkstemp(name);
    if (fd >= 0)
        ::close(fd);
    return name;
}

} // namespace clirun_detail

// Runs trellion-cli with `args` (bytes, as a shell would pass them); standard input is empty.
inline CliRun RunCliBytes(const std::vector<std::string>& args, const CliSetting& setting = {}) {
    const std::string outFile = clirun_detail::TemporaryFile();
    const std::string errFile = clirun_detail::TemporaryFile();
    std::string program = TRELLION_CLI;
    std::vector<std::string> copies = args;
    std::vector<char*> argv = {program.data()};
    for (std::string& arg : copies)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<std::string> environment = setting.environment;
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    const pid_t child = ::fork();
    if (child == 0) {
        const int in = ::open("/dev/null", O_RDONLY);
        const int out = ::open(outFile.c_str(), O_WRONLY | O_TRUNC);
        const int err = ::open(errFile.c_str(), O_WRONLY | O_TRUNC);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        if (!setting.workingDirectory.empty() && ::chdir(setting.workingDirectory.c_str()) != 0)
            ::_exit(127);
        if (setting.fileSizeLimit > 0) {
            const struct rlimit limit = {setting.fileSizeLimit, setting.fileSizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (setting.addressSpaceLimit > 0) {
            const struct rlimit limit = {setting.addressSpaceLimit, setting.addressSpaceLimit};
            ::setrlimit(RLIMIT_AS, &limit);
        }
        if (setting.environment.empty())
            ::execv(program.c_str(), argv.data());
        else
            ::execve(program.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }
    CliRun run;
    if (child > 0) {
        const auto deadline = std::chrono::steady_clock::now() + setting.timeLimit;
        int status = 0;
        pid_t ended = 0;
        while ((ended = ::waitpid(child, &status, WNOHANG)) == 0 &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (ended == 0) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
        } else if (ended == child && WIFEXITED(status)) {
            run.status = WEXITSTATUS(status);
        }
    }
    run.out = clirun_detail::ReadAll(outFile);
    run.err = clirun_detail::ReadAll(errFile);
    std::remove(outFile.c_str());
    std::remove(errFile.c_str());
    return run;
}

inline CliRun RunCli(const QStringList& args) {
    std::vector<std::string> bytes;
    for (const QString& arg : args)
        bytes.push_back(arg.toStdString());
    return RunCliBytes(bytes);
}
