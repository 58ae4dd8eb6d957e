#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/inputfile.h"

namespace fs = std::filesystem;

namespace {

// The error the next fstat of the process fails with, 0 for none.
int fstatFailure = 0;

template <class Status> int FailOrCall(const char* name, int fd, Status* info) {
    using Real = int (*)(int, Status*);
    if (fstatFailure != 0) {
        errno = fstatFailure;
        fstatFailure = 0;
        return -1;
    }
    const auto real = reinterpret_cast<Real>(::dlsym(RTLD_NEXT, name));
    return real(fd, info);
}

} // namespace

// A status that cannot be read, for the case no real file gives on demand (an I/O error or
// an overflow of the file's size). Both names, for either file offset size.
extern "C" int fstat(int fd, struct stat* info) {
    return FailOrCall("fstat", fd, info);
}
extern "C" int fstat64(int fd, struct stat64* info) {
    return FailOrCall("fstat64", fd, info);
}

namespace {

class InputFileTest : public testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/inputfile-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        dir_ = name;
        std::ofstream(dir_ / "show.ild", std::ios::binary) << "ILDA";
    }
    void TearDown() override {
        fstatFailure = 0;
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    fs::path dir_;
};

// The open file's own status decides; each refusal says why, in the system's words when the
// system refused.
TEST_F(InputFileTest, OnlyARegularFileOpensAndEveryRefusalSaysWhy) {
    ASSERT_EQ(::mkfifo((dir_ / "fifo").c_str(), 0600), 0);
    fs::create_directory(dir_ / "folder");
    struct Row {
        const char* name;
        std::string path;
        int fstatError;
        std::string why; // empty: the file opens
    };
    const Row rows[] = {
        {"regular file", (dir_ / "show.ild").string(), 0, ""},
        {"missing file", (dir_ / "gone.ild").string(), 0, std::strerror(ENOENT)},
        {"directory", (dir_ / "folder").string(), 0, "not a regular file"},
        {"FIFO without a writer", (dir_ / "fifo").string(), 0, "not a regular file"},
        {"status unreadable", (dir_ / "show.ild").string(), EIO, std::strerror(EIO)},
        {"status overflows", (dir_ / "show.ild").string(), EOVERFLOW, std::strerror(EOVERFLOW)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string why = "untouched";
        struct stat info {};
        fstatFailure = row.fstatError;
        const int fd = OpenRegularFile(row.path, &info, &why);
        fstatFailure = 0;
        if (row.why.empty()) {
            ASSERT_GE(fd, 0) << why;
            EXPECT_EQ(info.st_size, 4);
            EXPECT_EQ(why, "untouched");
            ::close(fd);
        } else {
            EXPECT_EQ(fd, -1);
            EXPECT_EQ(why, row.why);
        }
    }
}

} // namespace
