#include "platform/inputfile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int OpenRegularFile(const std::string& path, struct stat* info, std::string* why) {
    // O_NONBLOCK keeps the open itself from waiting for a FIFO's writer or a device; O_NOCTTY
    // keeps a terminal under the name from becoming ours.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        if (why != nullptr)
            *why = std::strerror(errno);
        return -1;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        const int saved = errno;
        ::close(fd);
        if (why != nullptr)
            *why = std::strerror(saved);
        return -1;
    }
    if (!S_ISREG(status.st_mode)) {
        ::close(fd);
        if (why != nullptr)
            *why = "not a regular file";
        return -1;
    }
    // Reads of a regular file never wait on the flag, but later readers need not know of it.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        (void)::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    if (info != nullptr)
        *info = status;
    return fd;
}

ssize_t ReadFully(int fd, void* data, size_t size) {
    // A single read stops at the system's limit per call (about 2 GiB) and at a signal; files on
    // network and pseudo file systems also deliver less than asked at any time.
    auto* const bytes = static_cast<unsigned char*>(data);
    size_t got = 0;
    while (got < size) {
        const ssize_t done = ::read(fd, bytes + got, size - got);
        if (done < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (done == 0)
            break;
        got += static_cast<size_t>(done);
    }
    return static_cast<ssize_t>(got);
}
