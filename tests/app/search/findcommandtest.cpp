// Runs the built trellion-cli binary.
#include <fstream>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Result {
    int status = -1;
    QStringList lines;
    QString errors;
};

Result RunCli(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(TRELLION_CLI), QStringList{"find"} + arguments);
    EXPECT_TRUE(process.waitForFinished(30000));
    Result result;
    result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    result.lines = out.split(u'\n', Qt::SkipEmptyParts);
    result.errors = QString::fromUtf8(process.readAllStandardError());
    return result;
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

    QTemporaryDir dir_;
    QString root_;
};

TEST_F(FindCommand, SortedListsEveryMatchInTheWindowsOrder) {
    const Result result = RunCli({"--sorted", root_});
    EXPECT_EQ(result.status, 0);
    const QStringList expected = {root_ + "/a.ild", root_ + "/A.ILD", root_ + "/b.ild",
                                  root_ + "/sub/deeper/m.ild", root_ + "/sub/Zed.ild"};
    EXPECT_EQ(result.lines, expected);
}

TEST_F(FindCommand, JsonListsWhatTheTextLists) {
    for (const bool sorted : {true, false}) {
        SCOPED_TRACE(sorted ? "sorted" : "as found");
        const QStringList options = sorted ? QStringList{"--sorted"} : QStringList{};
        const Result text = RunCli(options + QStringList{"--masks", "*.ild;*.scn", root_});
        QProcess process;
        process.start(QStringLiteral(TRELLION_CLI),
                      QStringList{"find", "--json"} + options +
                          QStringList{"--masks", "*.ild;*.scn", root_});
        ASSERT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitCode(), 0);
        EXPECT_TRUE(process.readAllStandardError().isEmpty());
        QJsonParseError error{};
        const QJsonObject doc =
            QJsonDocument::fromJson(process.readAllStandardOutput(), &error).object();
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
    const Result result = RunCli({root_});
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
    const Result result = RunCli({"--masks", "*.scn; *.BAK", "--sorted", root_ + "/sub",
                                  root_ + "/missing", "--", root_ + "/sub/deeper"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.lines, QStringList{root_ + "/sub/show.scn"});
    EXPECT_TRUE(result.errors.isEmpty()) << result.errors.toStdString();

    const Result bak = RunCli({"--masks=*.bak", root_});
    EXPECT_EQ(bak.lines, QStringList{root_ + "/c.ild.bak"});
}

TEST_F(FindCommand, MissingDirectoryIsNoError) {
    const Result result = RunCli({root_ + "/missing"});
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(result.lines.isEmpty());
    EXPECT_TRUE(result.errors.isEmpty());
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
        const Result result = RunCli(row.arguments);
        EXPECT_EQ(result.status, row.status);
        EXPECT_TRUE(result.errors.contains(QString::fromUtf8(row.message)))
            << result.errors.toStdString();
        if (row.status == 0) {
            EXPECT_TRUE(result.lines.value(0).startsWith("usage: trellion-cli find"));
        }
    }
}

} // namespace
