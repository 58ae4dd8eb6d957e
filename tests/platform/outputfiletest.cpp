#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "platform/outputfile.h"
#include "tests/platform/unprivileged.h"

namespace fs = std::filesystem;

namespace {

// Every case runs twice: with unnamed temporary files, and with the named fallback of file
// systems that have none.
class OutputFileTest : public testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        char name[] = "/tmp/outputfile-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        dir_ = name;
        COutputFile::SetUnnamedTemporaries(GetParam());
    }
    void TearDown() override {
        COutputFile::SetUnnamedTemporaries(true);
        std::error_code ec;
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(dir_, ec);
    }

public:
    static std::string ReadFile(const fs::path& p) { return Read(p); }

protected:
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

TEST_P(OutputFileTest, CommitReplacesTargetWithEveryByteInOrder) {
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

TEST_P(OutputFileTest, WriteAtPatchesBothFlushedAndBufferedBytes) {
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

TEST_P(OutputFileTest, AppendedRoomLandsInOrderWithWritesAndPatches) {
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

// Files larger than the buffer are written by the file's own thread while the caller fills the
// next buffer. A long mixed run of writes, appended room, large direct writes and patches of
// bytes that may still be on their way to the file must land exactly as a plain string built
// the same way, for a new file and for one that replaces another.
TEST_P(OutputFileTest, WritesHandedToTheBackgroundLandInOrderWithEveryPatch) {
    struct Case {
        const char* name;
        size_t buffer;
        bool replacing;
    };
    const Case cases[] = {
        {"new file, 64-byte buffer", 64, false},
        {"replacing, 64-byte buffer", 64, true},
        {"replacing, 4 KiB buffer", 4096, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path target = dir_ / "mixed.scn";
        std::error_code ec;
        fs::remove(target, ec);
        if (c.replacing)
            Put(target, "old");
        COutputFile out(target.string(), c.buffer);
        ASSERT_TRUE(out.Open());
        std::string expected;
        unsigned seed = 12345;
        const auto next = [&seed](unsigned range) {
            seed = seed * 1103515245u + 12345u;
            return (seed >> 8) % range;
        };
        for (int step = 0; step < 3000; ++step) {
            const unsigned kind = next(10);
            if (kind < 5) {
                const std::string piece(1 + next(unsigned(c.buffer / 2)), char('a' + next(26)));
                ASSERT_TRUE(out.Write(piece.data(), piece.size()));
                expected += piece;
            } else if (kind < 7) {
                const size_t size = 1 + next(unsigned(c.buffer));
                unsigned char* room = out.Append(size);
                ASSERT_NE(room, nullptr);
                for (size_t i = 0; i < size; ++i)
                    room[i] = static_cast<unsigned char>('A' + (step + i) % 26);
                for (size_t i = 0; i < size; ++i)
                    expected += char('A' + (step + i) % 26);
            } else if (kind < 8) {
                const std::string large(c.buffer + next(unsigned(c.buffer)), char('0' + step % 10));
                ASSERT_TRUE(out.Write(large.data(), large.size()));
                expected += large;
            } else if (!expected.empty()) {
                // Anywhere in what was written: long in the file, on its way, or buffered.
                const size_t length = 1 + next(8);
                const size_t at = next(unsigned(expected.size()));
                const std::string patch(std::min(length, expected.size() - at), '#');
                ASSERT_TRUE(out.WriteAt(at, patch.data(), patch.size()));
                expected.replace(at, patch.size(), patch);
            }
        }
        ASSERT_EQ(out.Tell(), expected.size());
        ASSERT_TRUE(out.Commit());
        EXPECT_EQ(Read(target), expected);
        EXPECT_EQ(EntryCount(), 1u);
    }
}

TEST_P(OutputFileTest, AbortAndDestructionLeaveTargetAndNoTemporary) {
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

TEST_P(OutputFileTest, RefusesReadOnlyTargetAndMissingDirectory) {
    const fs::path target = dir_ / "locked.scn";
    Put(target, "locked");
    fs::permissions(target, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(dir_, fs::perms::all); // an ordinary user may write beside it
    EXPECT_EQ(RunAsOrdinaryUser([&] {
                  COutputFile out(target.string());
                  return out.Open() ? 1 : 0;
              }),
              0);
    EXPECT_EQ(EntryCount(), 1u);
    COutputFile missing((dir_ / "no such dir" / "a.scn").string());
    EXPECT_FALSE(missing.Open());
    EXPECT_FALSE(missing.Write("x", 1));
    EXPECT_FALSE(missing.Commit());
    EXPECT_EQ(Read(target), "locked");
}

TEST_P(OutputFileTest, RefusesTargetInReadOnlyDirectoryForOrdinaryUsers) {
    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                              fs::perms::group_exec | fs::perms::others_read |
                              fs::perms::others_exec);
    EXPECT_EQ(RunAsOrdinaryUser([&] {
                  COutputFile out((dir_ / "a.scn").string());
                  return out.Open() ? 1 : 0;
              }),
              0);
    EXPECT_EQ(EntryCount(), 0u);
}

TEST_P(OutputFileTest, KeepsExistingModeAndWritesThroughSymbolicLink) {
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
TEST_P(OutputFileTest, FailureHalfwayLeavesPreviousTargetByteForByte) {
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

// Until the commit the directory shows nothing new: a killed process cannot leave a partial file
// behind. The named fallback shows its hidden temporary file only (removed on a signal).
TEST_P(OutputFileTest, NothingNewIsSeenInTheDirectoryBeforeTheCommit) {
    const fs::path fresh = dir_ / "fresh.scn";
    const fs::path existing = dir_ / "existing.scn";
    Put(existing, "old");
    COutputFile first(fresh.string(), 4096);
    COutputFile second(existing.string(), 4096);
    ASSERT_TRUE(first.Open());
    ASSERT_TRUE(second.Open());
    const std::string block(100000, 'b');
    ASSERT_TRUE(first.Write(block.data(), block.size()));
    ASSERT_TRUE(second.Write(block.data(), block.size()));
    std::vector<std::string> seen;
    for (const auto& entry : fs::directory_iterator(dir_))
        seen.push_back(entry.path().filename().string());
    std::sort(seen.begin(), seen.end());
    if (GetParam()) {
        EXPECT_EQ(seen, std::vector<std::string>{"existing.scn"});
    } else {
        ASSERT_EQ(seen.size(), 3u);
        EXPECT_EQ(seen[0].rfind(".existing.scn.", 0), 0u) << seen[0];
        EXPECT_EQ(seen[1].rfind(".fresh.scn.", 0), 0u) << seen[1];
        EXPECT_EQ(seen[2], "existing.scn");
    }
    ASSERT_TRUE(first.Commit());
    ASSERT_TRUE(second.Commit());
    EXPECT_EQ(Read(fresh), block);
    EXPECT_EQ(Read(existing), block);
    EXPECT_EQ(EntryCount(), 2u);
}

// A process ended in the middle of a write, by a signal it cannot catch (SIGKILL) or by one it
// handles (SIGINT, SIGTERM), leaves the directory as it was: the old target intact and no
// temporary file. With the named fallback only the signals that can be handled are covered.
TEST_P(OutputFileTest, ProcessEndedMidWriteLeavesNoTemporaryFile) {
    const fs::path target = dir_ / "show.scn";
    Put(target, "old contents");
    std::vector<int> signals = {SIGINT, SIGTERM};
    if (GetParam())
        signals.push_back(SIGKILL);
    for (const int signal : signals) {
        SCOPED_TRACE(strsignal(signal));
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            COutputFile::RemoveTemporariesOnTermination();
            COutputFile out(target.string(), 1 << 16);
            const std::string block(1 << 20, 'n');
            if (!out.Open() || !out.Write(block.data(), block.size()))
                ::_exit(3);
            (void)::write(ready[1], "r", 1);
            for (;;) {
                if (!out.Write(block.data(), block.size()))
                    ::_exit(4);
                ::usleep(1000);
            }
        }
        ::close(ready[1]);
        char byte = 0;
        ASSERT_EQ(::read(ready[0], &byte, 1), 1);
        ::close(ready[0]);
        ::kill(child, signal);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << WEXITSTATUS(status);
        EXPECT_EQ(WTERMSIG(status), signal) << "the process ends by the signal it was sent";
        EXPECT_EQ(Read(target), "old contents");
        EXPECT_EQ(EntryCount(), 1u);
    }
}

namespace {

// What fsync saw: the file synced, and the target's bytes at that moment.
struct SyncRecord {
    std::string synced;
    std::string targetThen;
};
std::vector<SyncRecord> syncs;
std::string syncWatched;

} // namespace

// Records every fsync of the process while a test watches a target, then syncs for real.
extern "C" int fsync(int fd) {
    using Real = int (*)(int);
    static const Real real = reinterpret_cast<Real>(::dlsym(RTLD_NEXT, "fsync"));
    if (!syncWatched.empty()) {
        char link[64];
        std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
        std::error_code ec;
        const fs::path synced = fs::read_symlink(link, ec);
        syncs.push_back({synced.string(), fs::exists(syncWatched)
                                              ? OutputFileTest::ReadFile(syncWatched)
                                              : "<none>"});
    }
    return real(fd);
}

// Replacing a file forces the new bytes to disk before they take the old file's place, and the
// directory after; a crash in between then finds the old file or the new one. A new file is not
// forced.
TEST_P(OutputFileTest, ReplacingForcesTheNewBytesToDiskBeforeTheRenameAndTheDirectoryAfter) {
    const fs::path existing = dir_ / "existing.scn";
    const fs::path fresh = dir_ / "fresh.scn";
    Put(existing, "old");
    struct Case {
        fs::path target;
        std::vector<std::string> expected; // "file" or "directory", with the target's bytes then
    };
    const Case cases[] = {
        {existing, {"file:old", "directory:new"}},
        {fresh, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target.filename().string());
        syncs.clear();
        syncWatched = c.target.string();
        COutputFile out(c.target.string());
        ASSERT_TRUE(out.Open());
        ASSERT_TRUE(out.Write("new", 3));
        ASSERT_TRUE(out.Commit());
        syncWatched.clear();
        std::vector<std::string> seen;
        for (const SyncRecord& record : syncs) {
            const bool directory = fs::path(record.synced) == dir_;
            seen.push_back((directory ? "directory:" : "file:") + record.targetThen);
            if (!directory) {
                EXPECT_NE(fs::path(record.synced), c.target) << "the new file, not the old one";
            }
        }
        EXPECT_EQ(seen, c.expected);
        EXPECT_EQ(Read(c.target), "new");
    }
}

// A failed file says why, and whether its destination is at fault (every other file written
// there would fail alike) or the file itself; the last failure of the thread says the same after
// the file is gone. Each row runs in a child process: as an ordinary user where permissions
// matter, under a small file size limit where a write fails halfway.
TEST_P(OutputFileTest, AFailureGivesItsReasonAndWhoseFaultItIs) {
    enum class Run { AsRoot, AsOrdinaryUser, UnderSizeLimit };
    struct Case {
        const char* name;
        Run run;
        int error;
        bool destination;
    };
    const Case cases[] = {
        {"MissingDirectory", Run::AsRoot, ENOENT, true},
        {"DirectoryIsARegularFile", Run::AsRoot, ENOTDIR, true},
        {"ReadOnlyDirectory", Run::AsOrdinaryUser, EACCES, true},
        {"ReadOnlyTargetInAWritableDirectory", Run::AsOrdinaryUser, EACCES, false},
        {"DirectoryInPlaceOfTheTarget", Run::AsRoot, EISDIR, false},
        {"FileSizeLimitHalfway", Run::UnderSizeLimit, EFBIG, false},
    };
    fs::permissions(dir_, fs::perms::all);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path place = dir_ / c.name;
        fs::create_directory(place);
        fs::permissions(place, fs::perms::all);
        fs::path target = place / "a.scn";
        if (c.error == ENOENT)
            target = place / "gone" / "a.scn";
        if (c.error == ENOTDIR) {
            Put(place / "plain", "a file");
            target = place / "plain" / "a.scn";
        }
        if (c.error == EACCES && c.destination)
            fs::permissions(place, fs::perms::owner_read | fs::perms::owner_exec |
                                       fs::perms::group_read | fs::perms::group_exec |
                                       fs::perms::others_read | fs::perms::others_exec);
        if (c.error == EACCES && !c.destination) {
            Put(target, "locked");
            fs::permissions(target,
                            fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
        }
        if (c.error == EISDIR)
            fs::create_directory(target);
        // The child's status: the error, plus 128 when the destination is blamed; 255 when the
        // file succeeded or the thread's last failure disagrees with the file.
        const auto attempt = [&]() -> int {
            ClearLastOutputFailure();
            COutputFile out(target.string(), 1024);
            const std::string block(1000, 'n');
            bool ok = out.Open();
            for (int i = 0; ok && i < 10; ++i)
                ok = out.Write(block.data(), block.size());
            ok = ok && out.Commit();
            const COutputFailure last = LastOutputFailure();
            if (ok || last.target != target.string() || last.error != out.Error() ||
                last.destination != out.DestinationFailed())
                return 255;
            return out.Error() + (out.DestinationFailed() ? 128 : 0);
        };
        int status = -1;
        if (c.run == Run::AsOrdinaryUser) {
            status = RunAsOrdinaryUser(attempt);
        } else {
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                if (c.run == Run::UnderSizeLimit) {
                    std::signal(SIGXFSZ, SIG_IGN);
                    struct rlimit limit {
                        4096, 4096
                    };
                    ::setrlimit(RLIMIT_FSIZE, &limit);
                }
                ::_exit(attempt());
            }
            int waited = 0;
            ASSERT_EQ(::waitpid(child, &waited, 0), child);
            ASSERT_TRUE(WIFEXITED(waited));
            status = WEXITSTATUS(waited);
        }
        EXPECT_EQ(status, c.error + (c.destination ? 128 : 0))
            << "expected " << std::strerror(c.error);
    }
}

// The errors that blame the destination, and some that do not.
TEST(OutputFileErrorTest, DestinationErrorsAreThoseOfTheDirectoryAndItsRoom) {
    for (const int error : {EACCES, EPERM, EROFS, ENOENT, ENOTDIR, ENOSPC, EDQUOT})
        EXPECT_TRUE(COutputFile::IsDestinationError(error)) << std::strerror(error);
    for (const int error : {0, EFBIG, ENAMETOOLONG, EISDIR, EINVAL, EEXIST})
        EXPECT_FALSE(COutputFile::IsDestinationError(error)) << std::strerror(error);
}

INSTANTIATE_TEST_SUITE_P(Temporaries, OutputFileTest, testing::Values(true, false),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "Unnamed" : "NamedFallback";
                         });
