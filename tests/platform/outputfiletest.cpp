#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/outputfile.h"

namespace fs = std::filesystem;

namespace {

class OutputFileTest : public testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/outputfile-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        dir_ = name;
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(dir_, ec);
    }

    static std::string Read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void Put(const fs::path& p, const std::string& bytes) {
        std::ofstream(p, std::ios::binary) << bytes;
    }
    size_t EntryCount() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(dir_), {}));
    }

    fs::path dir_;
};

} // namespace

TEST_F(OutputFileTest, CommitReplacesTargetWithEveryByteInOrder) {
    const fs::path target = dir_ / "show.scn";
    Put(target, "old contents");
    COutputFile out(target.string(), 4); // a tiny buffer, so writes cross block boundaries
    ASSERT_TRUE(out.Open());
    EXPECT_EQ(Read(target), "old contents"); // untouched until the commit
    std::string expected;
    for (int i = 0; i < 100; ++i) {
        const std::string piece = std::to_string(i) + ",";
        ASSERT_TRUE(out.Write(piece.data(), piece.size()));
        expected += piece;
    }
    EXPECT_EQ(out.Tell(), expected.size());
    ASSERT_TRUE(out.Commit());
    EXPECT_EQ(Read(target), expected);
    EXPECT_EQ(EntryCount(), 1u);
}

TEST_F(OutputFileTest, WriteAtPatchesBothFlushedAndBufferedBytes) {
    const fs::path target = dir_ / "patched";
    COutputFile out(target.string(), 8);
    ASSERT_TRUE(out.Open());
    const std::string body = "0123456789abcdefghij";
    ASSERT_TRUE(out.Write(body.data(), body.size()));
    ASSERT_TRUE(out.Write("XYZ", 3));
    ASSERT_TRUE(out.WriteAt(2, "--", 2));        // long since in the file
    ASSERT_TRUE(out.WriteAt(18, "<==>", 4));     // straddles the file and the buffer
    EXPECT_FALSE(out.WriteAt(22, "toolong", 7)); // beyond what was written
    EXPECT_TRUE(out.Failed());
    EXPECT_FALSE(out.Commit());
    EXPECT_FALSE(fs::exists(target));
    EXPECT_EQ(EntryCount(), 0u);

    COutputFile again(target.string(), 8);
    ASSERT_TRUE(again.Open());
    ASSERT_TRUE(again.Write(body.data(), body.size()));
    ASSERT_TRUE(again.Write("XYZ", 3));
    ASSERT_TRUE(again.WriteAt(2, "--", 2));
    ASSERT_TRUE(again.WriteAt(18, "<==>", 4));
    ASSERT_TRUE(again.Commit());
    EXPECT_EQ(Read(target), "01--456789abcdefgh<==>Z");
}

TEST_F(OutputFileTest, AppendedRoomLandsInOrderWithWritesAndPatches) {
    const fs::path target = dir_ / "runs";
    COutputFile out(target.string(), 8);
    EXPECT_EQ(out.Append(1), nullptr); // not open yet
    ASSERT_TRUE(out.Open());
    ASSERT_TRUE(out.Write("ab", 2));
    unsigned char* room = out.Append(5); // fits beside the buffered bytes
    ASSERT_NE(room, nullptr);
    std::memcpy(room, "cdefg", 5);
    room = out.Append(8); // a whole buffer: what was buffered goes to the file first
    ASSERT_NE(room, nullptr);
    std::memcpy(room, "hijklmno", 8);
    EXPECT_EQ(out.Tell(), 15u);
    ASSERT_TRUE(out.Write("p", 1));
    ASSERT_TRUE(out.WriteAt(6, "G", 1));
    ASSERT_TRUE(out.WriteAt(14, "O", 1));
    ASSERT_TRUE(out.Commit());
    EXPECT_EQ(Read(target), "abcdefGhijklmnOp");

    COutputFile tooLarge((dir_ / "large").string(), 8);
    ASSERT_TRUE(tooLarge.Open());
    EXPECT_EQ(tooLarge.Append(9), nullptr); // more than the buffer holds: a failed write
    EXPECT_TRUE(tooLarge.Failed());
    EXPECT_FALSE(tooLarge.Commit());
    EXPECT_FALSE(fs::exists(dir_ / "large"));
}

TEST_F(OutputFileTest, AbortAndDestructionLeaveTargetAndNoTemporary) {
    const fs::path target = dir_ / "keep.ild";
    Put(target, "precious");
    {
        COutputFile out(target.string());
        ASSERT_TRUE(out.Open());
        ASSERT_TRUE(out.Write("garbage", 7));
    }
    EXPECT_EQ(Read(target), "precious");
    EXPECT_EQ(EntryCount(), 1u);
}

TEST_F(OutputFileTest, RefusesReadOnlyTargetAndMissingDirectory) {
    const fs::path target = dir_ / "locked.scn";
    Put(target, "locked");
    fs::permissions(target, fs::perms::owner_read);
    if (::geteuid() != 0) { // root may write anything; the check still runs for others
        COutputFile out(target.string());
        EXPECT_FALSE(out.Open());
    }
    COutputFile missing((dir_ / "no such dir" / "a.scn").string());
    EXPECT_FALSE(missing.Open());
    EXPECT_FALSE(missing.Write("x", 1));
    EXPECT_FALSE(missing.Commit());
    EXPECT_EQ(Read(target), "locked");
}

TEST_F(OutputFileTest, RefusesTargetInReadOnlyDirectoryForOrdinaryUsers) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only directories";
    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
    COutputFile out((dir_ / "a.scn").string());
    EXPECT_FALSE(out.Open());
}

TEST_F(OutputFileTest, KeepsExistingModeAndWritesThroughSymbolicLink) {
    const fs::path real = dir_ / "real.ild";
    const fs::path link = dir_ / "link.ild";
    Put(real, "before");
    ::chmod(real.c_str(), 0640);
    fs::create_symlink(real, link);
    COutputFile out(link.string());
    ASSERT_TRUE(out.Open());
    ASSERT_TRUE(out.Write("after", 5));
    ASSERT_TRUE(out.Commit());
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Read(real), "after");
    struct stat st {};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

// A write that fails halfway for real: a child process under a small file size limit.
TEST_F(OutputFileTest, FailureHalfwayLeavesPreviousTargetByteForByte) {
    const fs::path target = dir_ / "big.scn";
    const std::string previous(3000, 'p');
    Put(target, previous);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit {
            4096, 4096
        };
        ::setrlimit(RLIMIT_FSIZE, &limit);
        COutputFile out(target.string(), 1024);
        if (!out.Open())
            ::_exit(3);
        const std::string block(1000, 'n');
        bool wrote = true;
        for (int i = 0; i < 10; ++i)
            wrote = out.Write(block.data(), block.size()) && wrote;
        const bool committed = out.Commit();
        ::_exit(committed ? 0 : (wrote ? 4 : 5));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 5) << "the failed write must be seen, and the commit refused";
    EXPECT_EQ(Read(target), previous);
    EXPECT_EQ(EntryCount(), 1u) << "no temporary file may stay behind";
}
