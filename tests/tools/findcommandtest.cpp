// Runs the built trellion-cli binary.
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "tests/tools/clirun.h"

namespace {

struct Result {
    int status = -1;
    QStringList lines;
    QString errors;
};

Result RunFind(const QStringList& arguments) {
    const CliRun run = RunCli(QStringList{"find"} + arguments);
    EXPECT_NE(run.status, -1);
    Result result;
    result.status = run.status;
    const QString out = QString::fromStdString(run.out);
    result.lines = out.split(u'\n', Qt::SkipEmptyParts);
    result.errors = QString::fromStdString(run.err);
    return result;
}

// Runs find with arguments given as bytes under a locale; returns the exit status and the raw
// bytes of standard output.
std::pair<int, std::string> RunFindBytes(const std::vector<std::string>& arguments,
                                         const std::string& locale) {
    std::vector<std::string> args = {"find"};
    args.insert(args.end(), arguments.begin(), arguments.end());
    CliSetting setting;
    setting.environment = {"LANG=" + locale, "LC_ALL=" + locale};
    const CliRun run = RunCliBytes(args, setting);
    return {run.status, run.out};
}

class FindCommand : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        root_ = dir_.path();
        ASSERT_TRUE(QDir().mkpath(root_ + "/sub/deeper"));
        for (const char* name : {"b.ild", "A.ILD", "a.ild", "notes.txt", "c.ild.bak", "sub/Zed.ild",
                                 "sub/show.scn", "sub/deeper/m.ild"}) {
            std::ofstream out((root_ + "/" + name).toStdString());
        }
    }

    // QTemporaryDir cannot remove names that are not UTF-8.
    void TearDown() override { std::filesystem::remove_all(root_.toStdString()); }

    QTemporaryDir dir_;
    QString root_;
};

TEST_F(FindCommand, SortedListsEveryMatchInTheWindowsOrder) {
    const Result result = RunFind({"--sorted", root_});
    EXPECT_EQ(result.status, 0);
    const QStringList expected = {root_ + "/a.ild", root_ + "/A.ILD", root_ + "/b.ild",
                                  root_ + "/sub/deeper/m.ild", root_ + "/sub/Zed.ild"};
    EXPECT_EQ(result.lines, expected);
}

TEST_F(FindCommand, JsonListsWhatTheTextLists) {
    for (const bool sorted : {true, false}) {
        SCOPED_TRACE(sorted ? "sorted" : "as found");
        const QStringList options = sorted ? QStringList{"--sorted"} : QStringList{};
        const Result text = RunFind(options + QStringList{"--masks", "*.ild;*.scn", root_});
        const CliRun process = RunCli(QStringList{"find", "--json"} + options +
                                      QStringList{"--masks", "*.ild;*.scn", root_});
        ASSERT_NE(process.status, -1);
        EXPECT_EQ(process.status, 0);
        EXPECT_TRUE(process.err.empty());
        QJsonParseError error{};
        const QJsonObject doc =
            QJsonDocument::fromJson(QByteArray::fromStdString(process.out), &error).object();
        ASSERT_EQ(error.error, QJsonParseError::NoError);
        EXPECT_EQ(doc["dirs"].toArray(), QJsonArray{root_});
        EXPECT_EQ(doc["masks"].toString(), "*.ild;*.scn");
        EXPECT_EQ(doc["sorted"].toBool(), sorted);
        QStringList paths;
        for (const QJsonValue& entry : doc["found"].toArray()) {
            paths.append(entry["path"].toString());
            EXPECT_FALSE(entry.toObject().contains("path_base64"));
        }
        ASSERT_EQ(paths.size(), 6);
        // Unsorted, both come in the order of the walk, which repeats itself over a tree that
        // has not changed.
        EXPECT_EQ(paths, text.lines);
    }
}

TEST_F(FindCommand, UnsortedListsEachDirectoryBeforeItsSubdirectories) {
    const Result result = RunFind({root_});
    EXPECT_EQ(result.status, 0);
    ASSERT_EQ(result.lines.size(), 5);
    // The order within one directory is the file system's; the walk's order across
    // directories is fixed.
    QStringList top = result.lines.mid(0, 3);
    top.sort();
    EXPECT_EQ(top, (QStringList{root_ + "/A.ILD", root_ + "/a.ild", root_ + "/b.ild"}));
    EXPECT_EQ(result.lines[3], root_ + "/sub/Zed.ild");
    EXPECT_EQ(result.lines[4], root_ + "/sub/deeper/m.ild");
}

TEST_F(FindCommand, MasksAndSeveralDirectories) {
    const Result result = RunFind({"--masks", "*.scn; *.BAK", "--sorted", root_ + "/sub",
                                   root_ + "/missing", "--", root_ + "/sub/deeper"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.lines, QStringList{root_ + "/sub/show.scn"});
    EXPECT_TRUE(result.errors.isEmpty()) << result.errors.toStdString();

    const Result bak = RunFind({"--masks=*.bak", root_});
    EXPECT_EQ(bak.lines, QStringList{root_ + "/c.ild.bak"});
}

// A directory linked into the tree is searched, once however many links lead to it.
TEST_F(FindCommand, FollowsLinksToDirectoriesOnce) {
    QTemporaryDir elsewhere;
    ASSERT_TRUE(elsewhere.isValid());
    std::ofstream(elsewhere.filePath("linked.ild").toStdString());
    ASSERT_TRUE(QFile::link(elsewhere.path(), root_ + "/sub/show"));
    ASSERT_TRUE(QFile::link(root_, root_ + "/sub/deeper/back"));
    const Result result = RunFind({"--sorted", root_});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.lines, (QStringList{root_ + "/a.ild", root_ + "/A.ILD", root_ + "/b.ild",
                                         root_ + "/sub/deeper/m.ild",
                                         root_ + "/sub/show/linked.ild", root_ + "/sub/Zed.ild"}));
}

TEST_F(FindCommand, MissingDirectoryIsNoError) {
    const Result result = RunFind({root_ + "/missing"});
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.lines.isEmpty());
    EXPECT_TRUE(result.errors.isEmpty());
}

// Names from older disks are often Latin-1: the list must hold the bytes the file system gave,
// for the file and for a start directory so named, whatever the locale says.
TEST_F(FindCommand, NamesThatAreNotUtf8AreWrittenAsTheirBytes) {
    const std::string root = root_.toStdString();
    const std::string latin = root + "/Sh\xf6ws";
    ASSERT_EQ(::mkdir(latin.c_str(), 0755), 0);
    std::ofstream(root + "/caf\xe9.ild").put('x');
    std::ofstream(latin + "/\xe9t\xe9.ild").put('x');
    for (const char* locale : {"C.UTF-8", "C"}) {
        for (const bool sorted : {false, true}) {
            SCOPED_TRACE(std::string(locale) + (sorted ? " sorted" : " unsorted"));
            std::vector<std::string> arguments = {latin, root + "/sub/deeper"};
            if (sorted)
                arguments.insert(arguments.begin(), "--sorted");
            const auto [status, out] = RunFindBytes(arguments, locale);
            EXPECT_EQ(status, 0);
            EXPECT_EQ(out, latin + "/\xe9t\xe9.ild\n" + root + "/sub/deeper/m.ild\n");

            const auto [allStatus, all] = RunFindBytes({"--masks", "caf?.ild", root}, locale);
            EXPECT_EQ(allStatus, 0);
            EXPECT_EQ(all, root + "/caf\xe9.ild\n");
        }
    }

    // The JSON list shows the name as text and gives its bytes beside it.
    const auto [status, out] = RunFindBytes({"--json", latin}, "C.UTF-8");
    EXPECT_EQ(status, 0);
    const QJsonArray found =
        QJsonDocument::fromJson(QByteArray::fromStdString(out)).object()["found"].toArray();
    ASSERT_EQ(found.size(), 1);
    const QJsonObject entry = found[0].toObject();
    EXPECT_EQ(entry["path"].toString(), root_ + "/Sh\ufffdws/\ufffdt\ufffd.ild");
    EXPECT_EQ(QByteArray::fromBase64(entry["path_base64"].toString().toLatin1()).toStdString(),
              latin + "/\xe9t\xe9.ild");
}

TEST(FindCommandUsage, WrongArgumentsGiveStatusTwoAndOneClearLine) {
    struct Case {
        const char* name;
        QStringList arguments;
        int status;
        const char* message;
    };
    const Case cases[] = {
        {"no_directory", {}, 2, "no directory given"},
        {"unknown_option", {"--fast", "/tmp"}, 2, "unknown option '--fast'"},
        {"masks_without_value", {"--masks"}, 2, "--masks needs a value"},
        {"semicolon_in_name", {"/tmp/a;b"}, 2, "contains ';'"},
        {"help", {"--help"}, 0, ""},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        const Result result = RunFind(row.arguments);
        EXPECT_EQ(result.status, row.status);
        EXPECT_TRUE(result.errors.contains(QString::fromUtf8(row.message)))
            << result.errors.toStdString();
        if (row.status == 0) {
            EXPECT_TRUE(result.lines.value(0).startsWith("usage: trellion-cli find"));
        }
    }
}

} // namespace
