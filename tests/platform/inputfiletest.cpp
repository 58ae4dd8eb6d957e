#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <pthread.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/inputfile.h"

namespace {

// A pipe's two ends, closed with the object.
struct Pipe {
    int read = -1;
    int write = -1;
    Pipe() {
        int fds[2];
        EXPECT_EQ(::pipe(fds), 0);
        read = fds[0];
        write = fds[1];
    }
    ~Pipe() {
        CloseWrite();
        if (read >= 0)
            ::close(read);
    }
    void CloseWrite() {
        if (write >= 0)
            ::close(write);
        write = -1;
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
};

std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i * 7 + i / 251);
    return bytes;
}

// A regular file holding `bytes`, opened for reading and removed at once.
int OpenFileOf(const std::string& bytes) {
    char name[] = "/tmp/inputfiletest-XXXXXX";
    const int out = ::mkstemp(name);
    EXPECT_GE(out, 0);
    EXPECT_EQ(::write(out, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ::close(out);
    const int fd = OpenRegularFile(name);
    ::unlink(name);
    return fd;
}

TEST(ReadFully, RegularFiles) {
    struct Row {
        const char* name;
        size_t fileSize;
        size_t asked;
        size_t expected;
    };
    const Row rows[] = {
        {"whole file", 100000, 100000, 100000},
        {"empty file", 0, 0, 0},
        {"empty file, more asked", 0, 16, 0},
        {"file shorter than asked ends the read", 5000, 8000, 5000},
        {"no more than asked", 5000, 1234, 1234},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string bytes = Pattern(row.fileSize);
        const int fd = OpenFileOf(bytes);
        ASSERT_GE(fd, 0);
        std::vector<char> data(row.asked + 1, '\x55');
        EXPECT_EQ(ReadFully(fd, data.data(), row.asked), static_cast<ssize_t>(row.expected));
        EXPECT_EQ(std::string(data.data(), row.expected), bytes.substr(0, row.expected));
        EXPECT_EQ(data[row.asked], '\x55'); // nothing written past what was asked
        ::close(fd);
    }
}

// A pipe hands over what its writer wrote so far, so the reads bring the pieces one by one.
TEST(ReadFully, GoesOnAfterShortReads) {
    const std::string bytes = Pattern(3 * 70000 + 11);
    Pipe pipe;
    std::thread writer([&] {
        for (size_t at = 0; at < bytes.size(); at += 70000) {
            const size_t piece = std::min<size_t>(70000, bytes.size() - at);
            for (size_t done = 0; done < piece;) {
                const ssize_t n = ::write(pipe.write, bytes.data() + at + done, piece - done);
                if (n <= 0)
                    return;
                done += static_cast<size_t>(n);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        pipe.CloseWrite();
    });
    std::string data(bytes.size() + 100, '\0');
    const ssize_t got = ReadFully(pipe.read, data.data(), data.size());
    writer.join();
    EXPECT_EQ(got, static_cast<ssize_t>(bytes.size()));
    data.resize(got > 0 ? static_cast<size_t>(got) : 0);
    EXPECT_EQ(data, bytes);
}

// A signal that arrives while a read waits interrupts it (the handler is installed without
// SA_RESTART); the read is taken up again.
TEST(ReadFully, GoesOnAfterInterruptedReads) {
    static std::atomic<int> signals{0};
    struct sigaction action {};
    action.sa_handler = [](int) { ++signals; };
    struct sigaction previous {};
    ASSERT_EQ(::sigaction(SIGUSR1, &action, &previous), 0);
    const std::string bytes = Pattern(1000);
    Pipe pipe;
    const pthread_t reader = ::pthread_self();
    std::thread writer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ::pthread_kill(reader, SIGUSR1);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_EQ(::write(pipe.write, bytes.data(), bytes.size()),
                  static_cast<ssize_t>(bytes.size()));
        pipe.CloseWrite();
    });
    std::string data(bytes.size(), '\0');
    const ssize_t got = ReadFully(pipe.read, data.data(), data.size());
    writer.join();
    ::sigaction(SIGUSR1, &previous, nullptr);
    EXPECT_EQ(signals.load(), 1);
    EXPECT_EQ(got, static_cast<ssize_t>(bytes.size()));
    EXPECT_EQ(data, bytes);
}

// The first read brings what is there; the next fails (a pipe that would block), and the whole
// read fails with the reason rather than passing the first part off as everything.
TEST(ReadFully, ErrorAfterPartOfTheDataFailsTheRead) {
    Pipe pipe;
    ASSERT_EQ(::fcntl(pipe.read, F_SETFL, O_NONBLOCK), 0);
    ASSERT_EQ(::write(pipe.write, "ILDA", 4), 4);
    char data[64];
    errno = 0;
    EXPECT_EQ(ReadFully(pipe.read, data, sizeof data), -1);
    EXPECT_EQ(errno, EAGAIN);
}

TEST(ReadFully, ErrorOnTheFirstRead) {
    const int fd = ::open("/tmp", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    char data[16];
    errno = 0;
    EXPECT_EQ(ReadFully(fd, data, sizeof data), -1);
    EXPECT_EQ(errno, EISDIR);
    ::close(fd);
}

} // namespace
