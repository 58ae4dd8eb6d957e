// The names the desktop hands the window: made absolute, sorted into files, directories and
// names that are neither, and read from a drag's URLs, all as bytes.

#include <QByteArray>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/openednames.h"

namespace {

using Names = std::vector<std::string>;

struct AbsoluteCase {
    const char* name;
    std::string given;
    std::string current;
    std::string expected;
};

class AbsoluteFileNameTest : public ::testing::TestWithParam<AbsoluteCase> {};

TEST_P(AbsoluteFileNameTest, JoinsAndCleansAsTheDirectoryListsDo) {
    EXPECT_EQ(AbsoluteFileName(GetParam().given, GetParam().current), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Names, AbsoluteFileNameTest,
    ::testing::Values(
        AbsoluteCase{"RelativeJoinsTheCurrentDirectory", "show.ild", "/home/op",
                     "/home/op/show.ild"},
        AbsoluteCase{"AbsoluteKeepsItsOwnDirectory", "/mnt/a.ild", "/home/op", "/mnt/a.ild"},
        AbsoluteCase{"DotAndDoubleSeparatorsGo", "./shows//a.ild", "/home/op/",
                     "/home/op/shows/a.ild"},
        AbsoluteCase{"DotDotTakesTheComponentBefore", "../b/./a.ild", "/home/op", "/home/b/a.ild"},
        AbsoluteCase{"DotDotStopsAtTheRoot", "../../../a.ild", "/x", "/a.ild"},
        AbsoluteCase{"TrailingSeparatorGoes", "shows/", "/home", "/home/shows"},
        AbsoluteCase{"RootStaysRoot", "/", "/home", "/"},
        AbsoluteCase{"EmptyStaysEmpty", "", "/home", ""},
        AbsoluteCase{"LeadingSpaceIsKept", " ILDA Files/a.ild", "/opt/t",
                     "/opt/t/ ILDA Files/a.ild"},
        AbsoluteCase{"BytesThatAreNoUtf8AreKept", "caf\xe9.ild", "/m\xfc", "/m\xfc/caf\xe9.ild"}),
    [](const ::testing::TestParamInfo<AbsoluteCase>& info) {
        return std::string(info.param.name);
    });

class SortOpenedNamesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(temp.isValid());
        root = temp.path().toStdString();
        ASSERT_EQ(::mkdir((root + "/shows").c_str(), 0755), 0);
        for (const char* file : {"/a.ild", "/caf\xe9.ild", "/shows/b.ild"}) {
            const int fd = ::open((root + file).c_str(), O_WRONLY | O_CREAT, 0644);
            ASSERT_GE(fd, 0) << file;
            ::close(fd);
        }
        ASSERT_EQ(::mkfifo((root + "/pipe.ild").c_str(), 0644), 0);
    }
    // QTemporaryDir cannot remove a name that is not UTF-8.
    void TearDown() override { ::unlink((root + "/caf\xe9.ild").c_str()); }

    QTemporaryDir temp;
    std::string root;
};

TEST_F(SortOpenedNamesTest, FilesDirectoriesAndTheRestEachInTheOrderGivenAndOnce) {
    const TOpenedNames sorted = SortOpenedNames({
        root + "/shows/b.ild",
        root + "/missing.ild",
        root + "/caf\xe9.ild",
        root + "/shows",
        root + "/a.ild",
        root + "/shows/../a.ild", // the same file named another way
        root + "/shows/",         // the same directory
        root + "/pipe.ild",       // exists, but is neither
        root + "/missing.ild",
        "",
    });
    EXPECT_EQ(sorted.files, (Names{root + "/shows/b.ild", root + "/caf\xe9.ild", root + "/a.ild"}));
    EXPECT_EQ(sorted.directories, Names{root + "/shows"});
    EXPECT_EQ(sorted.missing, (Names{root + "/missing.ild", root + "/pipe.ild"}));
}

TEST_F(SortOpenedNamesTest, CommandLineNamesAreTakenAgainstTheCurrentDirectory) {
    const std::string previous = CurrentDirectoryName();
    ASSERT_EQ(::chdir((root + "/shows").c_str()), 0);
    const char* argv[] = {"trellion", "--", "b.ild", "../caf\xe9.ild", "", "--", nullptr};
    const Names names = CommandLineNames(6, argv);
    ASSERT_EQ(::chdir(previous.c_str()), 0);
    // Only the first "--" ends the options; a later one is a name like any other.
    EXPECT_EQ(names, (Names{root + "/shows/b.ild", root + "/caf\xe9.ild", root + "/shows/--"}));
}

struct DropCase {
    const char* name;
    QList<QUrl> urls;
    Names expected;
};

class DroppedFileNamesTest : public ::testing::TestWithParam<DropCase> {};

TEST_P(DroppedFileNamesTest, LocalNamesAsBytes) {
    QMimeData data;
    data.setUrls(GetParam().urls);
    EXPECT_EQ(DroppedFileNames(data), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Urls, DroppedFileNamesTest,
    ::testing::Values(
        DropCase{"PlainFile", {QUrl(QStringLiteral("file:///shows/a.ild"))}, {"/shows/a.ild"}},
        DropCase{"SpacesAndUtf8",
                 {QUrl::fromLocalFile(QString::fromUtf8("/s/ ILDA Files/caf\u00e9 1.ild"))},
                 {"/s/ ILDA Files/caf\xc3\xa9 1.ild"}},
        // A file manager writes a Latin-1 name's byte percent-encoded; it must come back as
        // that byte, not as U+FFFD.
        DropCase{"Latin1ByteFromTheEncodedPath",
                 {QUrl::fromEncoded(QByteArray("file:///shows/caf%E9.ild"))},
                 {"/shows/caf\xe9.ild"}},
        DropCase{"FolderAndFileInOrder",
                 {QUrl(QStringLiteral("file:///b")), QUrl(QStringLiteral("file:///a.ild"))},
                 {"/b", "/a.ild"}},
        DropCase{"OtherSchemesAreLeftOut",
                 {QUrl(QStringLiteral("https://example.org/a.ild")),
                  QUrl(QStringLiteral("file:///a.ild"))},
                 {"/a.ild"}},
        DropCase{"NoUrls", {}, {}}),
    [](const ::testing::TestParamInfo<DropCase>& info) { return std::string(info.param.name); });

} // namespace
