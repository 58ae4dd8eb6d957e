#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "platform/backgroundwriter.h"

namespace {

constexpr size_t kCapacity = 4096;

class BackgroundWriterTest : public testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/backgroundwriter-XXXXXX";
        fd_ = ::mkstemp(name);
        ASSERT_GE(fd_, 0);
        path_ = name;
    }
    void TearDown() override {
        if (fd_ >= 0)
            ::close(fd_);
        ::unlink(path_.c_str());
    }
    std::string Contents() const {
        std::string bytes(size_t(::lseek(fd_, 0, SEEK_END)), '\0');
        const ssize_t got = ::pread(fd_, bytes.data(), bytes.size(), 0);
        bytes.resize(got < 0 ? 0 : size_t(got));
        return bytes;
    }
    static std::unique_ptr<unsigned char[]> Filled(char c, size_t size) {
        std::unique_ptr<unsigned char[]> buffer(new unsigned char[kCapacity]);
        std::memset(buffer.get(), c, size);
        return buffer;
    }

    int fd_ = -1;
    std::string path_;
};

size_t OpenDescriptors() {
    size_t count = 0;
    if (DIR* dir = ::opendir("/proc/self/fd")) {
        while (::readdir(dir) != nullptr)
            ++count;
        ::closedir(dir);
    }
    return count;
}

// Blocks land at their offsets, each hand-over gives back a buffer to fill, and the writer's
// own descriptor goes with it while the caller's stays open.
TEST_F(BackgroundWriterTest, WritesEveryBlockAtItsOffsetThroughADescriptorOfItsOwn) {
    const size_t before = OpenDescriptors();
    std::string expected;
    {
        auto writer = CBackgroundWriter::Start(fd_, kCapacity, false);
        ASSERT_NE(writer, nullptr);
        EXPECT_EQ(OpenDescriptors(), before + 1);
        uint64_t offset = 0;
        for (int i = 0; i < 20; ++i) {
            const size_t size = i % 3 == 0 ? kCapacity : size_t(100 + i);
            auto buffer = Filled(char('a' + i), size);
            const unsigned char* handed = buffer.get();
            ASSERT_TRUE(writer->HandOver(buffer, size, offset));
            ASSERT_NE(buffer, nullptr);
            EXPECT_NE(buffer.get(), handed) << "the block handed over is the writer's now";
            expected.append(size, char('a' + i));
            offset += size;
        }
        ASSERT_TRUE(writer->Wait());
        EXPECT_EQ(writer->Error(), 0);
        EXPECT_EQ(Contents(), expected);
    }
    EXPECT_EQ(OpenDescriptors(), before);
    EXPECT_NE(::fcntl(fd_, F_GETFD), -1) << "the caller's descriptor stays open";
}

// A write that fails is reported with its errno by the next hand-over or wait, and from then
// on nothing more is taken: the caller keeps its buffer and nothing more reaches the file.
TEST_F(BackgroundWriterTest, AFailedWriteIsReportedAndEndsTheWriting) {
    struct Row {
        const char* name;
        bool readOnly; // the file open for reading only: every write fails
        int sizeLimit; // or a file size limit, reached by the second block
        int error;
    };
    const Row rows[] = {
        {"descriptor open for reading", true, 0, EBADF},
        {"file size limit", false, int(kCapacity + kCapacity / 2), EFBIG},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_EQ(::ftruncate(fd_, 0), 0);
        // In a child: the size limit is the process's, and it must not outlive the row.
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (row.sizeLimit > 0) {
                std::signal(SIGXFSZ, SIG_IGN);
                const struct rlimit limit { rlim_t(row.sizeLimit), rlim_t(row.sizeLimit) };
                ::setrlimit(RLIMIT_FSIZE, &limit);
            }
            const int fd = row.readOnly ? ::open(path_.c_str(), O_RDONLY) : fd_;
            auto writer = CBackgroundWriter::Start(fd, kCapacity, false);
            if (!writer)
                ::_exit(100);
            // Blocks go on until one is refused; the refusal must be the failure's.
            uint64_t offset = 0;
            for (int i = 0; i < 4; ++i, offset += kCapacity) {
                auto buffer = Filled('x', kCapacity);
                const unsigned char* mine = buffer.get();
                if (!writer->HandOver(buffer, kCapacity, offset)) {
                    if (buffer.get() != mine)
                        ::_exit(101); // the buffer was taken all the same
                    if (writer->Wait() || writer->HandOver(buffer, kCapacity, offset))
                        ::_exit(102); // a later call succeeds
                    ::_exit(writer->Error());
                }
            }
            ::_exit(writer->Wait() ? 103 : writer->Error());
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), row.error) << std::strerror(row.error);
        if (row.sizeLimit > 0) {
            // The first block is whole; the failing one got no further than the limit.
            const std::string written = Contents();
            EXPECT_LE(written.size(), size_t(row.sizeLimit));
            EXPECT_GE(written.size(), kCapacity);
        } else {
            EXPECT_EQ(Contents(), "");
        }
    }
}

// A writer going away with a block it has not finished does not hang, and leaves the file to
// its owner.
TEST_F(BackgroundWriterTest, DestroyingAWriterWithABlockInHandEndsIt) {
    for (int round = 0; round < 50; ++round) {
        auto writer = CBackgroundWriter::Start(fd_, kCapacity, true);
        ASSERT_NE(writer, nullptr);
        auto buffer = Filled('z', kCapacity);
        ASSERT_TRUE(writer->HandOver(buffer, kCapacity, 0));
        writer.reset();
    }
    const std::string written = Contents();
    EXPECT_TRUE(written.empty() || written == std::string(kCapacity, 'z'));
    EXPECT_EQ(::pwrite(fd_, "!", 1, 0), 1);
}

} // namespace
