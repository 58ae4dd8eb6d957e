#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <grp.h>
#include <pwd.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/workingdirectories.h"

namespace fs = std::filesystem;

namespace {

const std::string kIlda = " ILDA Files";
const std::string kScene = " SCENE Files";

// What PlaceWorkingDirectories answered in the child that ran it.
struct Placed {
    bool ready = false;
    std::string base;
    std::string problem;
};

// Runs PlaceWorkingDirectories in a child process as an ordinary user: root gives up its
// privileges (to "nobody"), since root may write into any directory whatever its mode says.
Placed PlaceAsOrdinaryUser(const std::string& programDir, const std::string& dataDir) {
    int channel[2];
    if (::pipe(channel) != 0)
        return {false, "", "pipe failed"};
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        if (::geteuid() == 0) {
            const passwd* nobody = ::getpwnam("nobody");
            if (nobody == nullptr || ::setgroups(0, nullptr) != 0 ||
                ::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0)
                ::_exit(3);
        }
        const TWorkingDirectories placed =
            PlaceWorkingDirectories(programDir, dataDir, {kIlda, kScene});
        const std::string answer =
            std::string(placed.ready ? "1" : "0") + placed.base + '\0' + placed.problem;
        const bool written = ::write(channel[1], answer.data(), answer.size()) ==
                             static_cast<ssize_t>(answer.size());
        ::_exit(written ? 0 : 4);
    }
    ::close(channel[1]);
    std::string answer;
    char block[4096];
    for (ssize_t got; (got = ::read(channel[0], block, sizeof block)) > 0;)
        answer.append(block, static_cast<size_t>(got));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || answer.empty())
        return {false, "", "the child failed, status " + std::to_string(status)};
    const size_t end = answer.find('\0', 1);
    return {answer[0] == '1', answer.substr(1, end - 1), answer.substr(end + 1)};
}

class WorkingDirectoriesTest : public testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/workdirs-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        root_ = name;
        previousCurrent_ = fs::current_path();
        // Open to the unprivileged child; each case narrows what it needs.
        fs::permissions(root_, fs::perms::all);
    }
    void TearDown() override {
        std::error_code ec;
        fs::current_path(previousCurrent_, ec);
        for (const auto& entry : fs::recursive_directory_iterator(root_, ec))
            if (entry.is_directory(ec))
                fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(root_, ec);
    }
    // A directory that the unprivileged child may or may not write.
    std::string Directory(const std::string& name, bool writable) const {
        const std::string path = root_ + "/" + name;
        fs::create_directories(path);
        fs::permissions(path, writable ? fs::perms::all
                                       : fs::perms::owner_read | fs::perms::owner_exec |
                                             fs::perms::group_read | fs::perms::group_exec |
                                             fs::perms::others_read | fs::perms::others_exec);
        return path;
    }
    static bool HasBoth(const std::string& dir) {
        return fs::is_directory(dir + "/" + kIlda) && fs::is_directory(dir + "/" + kScene);
    }
    static bool HasEither(const std::string& dir) {
        return fs::exists(dir + "/" + kIlda) || fs::exists(dir + "/" + kScene);
    }
    std::string root_;
    fs::path previousCurrent_;
};

TEST_F(WorkingDirectoriesTest, AWritableProgramDirectoryKeepsThemBesideTheExecutable) {
    const std::string program = Directory("Trellion copy", true);
    const std::string data = root_ + "/home/.local/share/trellion";

    const Placed placed = PlaceAsOrdinaryUser(program, data);
    ASSERT_TRUE(placed.ready) << placed.problem;
    EXPECT_EQ(placed.base, program + "/");
    EXPECT_TRUE(HasBoth(program));
    EXPECT_FALSE(fs::exists(root_ + "/home")) << "the data directory is not made when unused";
}

TEST_F(WorkingDirectoriesTest, AnInstalledProgramKeepsThemInTheDataDirectory) {
    struct Case {
        const char* what;
        std::function<std::string()> programDir;
    };
    const Case cases[] = {
        {"a read-only program directory", [this] { return Directory("prefix/libexec", false); }},
        {"a writable directory named bin", [this] { return Directory("prefix/bin", true) + "/"; }},
        {"a program directory that does not exist", [this] { return root_ + "/gone/app"; }},
        {"an unknown program directory (nothing is made in the current one)",
         [this] {
             fs::current_path(Directory("current", true));
             return std::string();
         }},
        {"a file where a working directory should be",
         [this] {
             const std::string dir = Directory("unpacked", true);
             std::ofstream(dir + "/" + kIlda) << "not a directory";
             return dir;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string program = c.programDir();
        Directory("home", true);
        const std::string data = root_ + "/home/.local/share/trellion";

        const Placed placed = PlaceAsOrdinaryUser(program, data);
        ASSERT_TRUE(placed.ready) << placed.problem;
        EXPECT_EQ(placed.base, data + "/");
        EXPECT_TRUE(HasBoth(data)) << "created with its parents";
        EXPECT_FALSE(fs::is_directory(program + "/" + kIlda));
        EXPECT_FALSE(fs::exists(program + "/" + kScene));
        EXPECT_FALSE(HasEither(fs::current_path()));
        fs::remove_all(root_ + "/home");
    }
}

TEST_F(WorkingDirectoriesTest, ExistingDirectoriesAndTheirFilesAreKept) {
    const std::string data = Directory("data", true);
    fs::create_directory(data + "/" + kIlda);
    fs::permissions(data + "/" + kIlda, fs::perms::all);
    std::ofstream(data + "/" + kIlda + "/show.ild") << "ILDA";
    const Placed placed = PlaceAsOrdinaryUser(Directory("usr/bin", false), data);
    ASSERT_TRUE(placed.ready) << placed.problem;
    EXPECT_EQ(placed.base, data + "/");
    EXPECT_TRUE(HasBoth(data));
    EXPECT_TRUE(fs::exists(data + "/" + kIlda + "/show.ild"));
}

// Neither place will do: the answer says why for each, and nothing is thrown. These hold for
// root too (a missing parent, a path through a file, no data directory at all).
TEST_F(WorkingDirectoriesTest, NeitherPlaceGivesAReasonForEach) {
    std::ofstream(root_ + "/plain file") << "x";
    const std::string program = root_ + "/missing/bin-less";
    struct Case {
        const char* what;
        std::string dataDir;
        std::string reason;
    };
    const Case cases[] = {
        {"a data directory below a file", root_ + "/plain file/trellion", root_ + "/plain file"},
        {"no data directory", "", "no data directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TWorkingDirectories placed =
            PlaceWorkingDirectories(program, c.dataDir, {kIlda, kScene});
        EXPECT_FALSE(placed.ready);
        EXPECT_NE(placed.problem.find(program + "/" + kIlda), std::string::npos) << placed.problem;
        EXPECT_NE(placed.problem.find(c.reason), std::string::npos) << placed.problem;
        EXPECT_EQ(placed.base, c.dataDir.empty() ? "" : c.dataDir + "/");
        EXPECT_FALSE(HasEither(root_ + "/missing"));
    }
}

TEST_F(WorkingDirectoriesTest, AReadOnlyDataDirectoryIsNotReady) {
    const std::string data = Directory("share/trellion", false);
    const Placed placed = PlaceAsOrdinaryUser(Directory("opt/app", false), data);
    EXPECT_FALSE(placed.ready);
    EXPECT_NE(placed.problem.find(data + "/" + kIlda), std::string::npos) << placed.problem;
    EXPECT_FALSE(HasEither(data));
}

} // namespace
