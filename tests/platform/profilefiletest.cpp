#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <random>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/profile.h"
#include "platform/profilefile.h"
#include "tests/platform/unprivileged.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kBuffer = 260;

std::string Lookup(const CProfileFile& file, const char* section, const char* key,
                   const char* defaultText = "<default>") {
    char buffer[kBuffer];
    file.GetString(section, key, defaultText, buffer, sizeof buffer);
    return buffer;
}

struct LookupCase {
    const char* name;
    std::string text;
    const char* section;
    const char* key;
    const char* expected;
};

void PrintTo(const LookupCase& row, std::ostream* os) {
    *os << row.name;
}

class ProfileLookupTest : public testing::TestWithParam<LookupCase> {};

TEST_P(ProfileLookupTest, FindsTheValue) {
    const LookupCase& row = GetParam();
    CProfileFile file;
    file.Parse(row.text);
    EXPECT_EQ(Lookup(file, row.section, row.key), row.expected);
}

const LookupCase kLookupCases[] = {
    {"Plain", "[A]\nk=v\n", "A", "k", "v"},
    {"SectionCaseIgnored", "[Scene]\nk=v\n", "SCENE", "k", "v"},
    {"KeyCaseIgnored", "[A]\nZoom_In_Flag=v\n", "A", "zoom_in_FLAG", "v"},
    {"BlanksAroundKeyAndValue", "[A]\n  k \t=  two words \t\n", "A", "k", "two words"},
    {"BlanksInsideBrackets", "  [ A ]  \nk=v\n", "A", "k", "v"},
    {"FirstKeyWins", "[A]\nk=first\nk=second\n", "A", "k", "first"},
    {"FirstKeyWinsAcrossCase", "[A]\nK=first\nk=second\n", "A", "k", "first"},
    {"RepeatedSectionIsOne", "[A]\nx=1\n[B]\nk=b\n[a]\nk=second a\n", "A", "k", "second a"},
    {"RepeatedSectionFirstWins", "[A]\nk=1\n[A]\nk=2\n", "A", "k", "1"},
    {"EmptyValueIsEmptyNotDefault", "[A]\nk=\n", "A", "k", ""},
    {"BlankValueIsEmpty", "[A]\nk=   \n", "A", "k", ""},
    {"MissingKeyGivesDefault", "[A]\nother=v\n", "A", "k", "<default>"},
    {"MissingSectionGivesDefault", "[B]\nk=v\n", "A", "k", "<default>"},
    {"KeyOfOtherSectionNotTaken", "[A]\n[B]\nk=v\n", "A", "k", "<default>"},
    {"EqualsInValueKept", "[A]\nk=a=b\n", "A", "k", "a=b"},
    {"LineWithoutEqualsIgnored", "[A]\nk\nk=v\n", "A", "k", "v"},
    {"EmptyKeyIgnored", "[A]\n=v\n", "A", "", "<default>"},
    {"CommentIgnored", "[A]\n;k=comment\nk=v\n", "A", "k", "v"},
    {"KeyBeforeAnySectionIgnored", "k=v\n[A]\n", "A", "k", "<default>"},
    {"UnclosedBracketIgnored", "[A]\n[B\nk=v\n", "A", "k", "v"},
    {"TextAfterBracketIgnored", "[A] trailing\nk=v\n", "A", "k", "v"},
    {"CrLfLines", "[A]\r\nk=v\r\nm=w\r\n", "A", "k", "v"},
    {"CrOnlyLines", "[A]\rk=v\r", "A", "k", "v"},
    {"NoFinalNewline", "[A]\nk=v", "A", "k", "v"},
    {"Utf8ByteOrderMark", "\xEF\xBB\xBF[A]\nk=v\n", "A", "k", "v"},
    {"DoubleQuotesRemoved", "[A]\nk=\" padded \"\n", "A", "k", " padded "},
    {"SingleQuotesRemoved", "[A]\nk='v'\n", "A", "k", "v"},
    {"UnmatchedQuoteKept", "[A]\nk=\"v'\n", "A", "k", "\"v'"},
    {"LineWithNulIgnored", std::string("[A]\nk=v\0x\nk=w\n", 15), "A", "k", "w"},
    {"SectionWithNulIgnored", std::string("[A\0]\nk=v\n", 9), "A", "k", "<default>"},
};

INSTANTIATE_TEST_SUITE_P(Rows, ProfileLookupTest, testing::ValuesIn(kLookupCases),
                         [](const testing::TestParamInfo<LookupCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(ProfileFileTest, LongValueIsCutToBufferLess1) {
    CProfileFile file;
    const std::string value(300, 'x');
    file.Parse("[A]\nk=" + value + "\n");
    char buffer[kBuffer];
    std::fill(std::begin(buffer), std::end(buffer), '#');
    EXPECT_EQ(file.GetString("A", "k", "", buffer, sizeof buffer), 259u);
    EXPECT_EQ(std::string(buffer), value.substr(0, 259));

    const std::string exact(259, 'y');
    file.Parse("[A]\nk=" + exact + "\n");
    EXPECT_EQ(file.GetString("A", "k", "", buffer, sizeof buffer), 259u);
    EXPECT_EQ(std::string(buffer), exact);
}

TEST(ProfileFileTest, DefaultIsCutTooAndNullDefaultIsEmpty) {
    CProfileFile file;
    char buffer[4];
    EXPECT_EQ(file.GetString("A", "k", "abcdef", buffer, sizeof buffer), 3u);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(file.GetString("A", "k", nullptr, buffer, sizeof buffer), 0u);
    EXPECT_STREQ(buffer, "");
}

TEST(ProfileFileTest, TinyBuffers) {
    CProfileFile file;
    file.Parse("[A]\nk=v\n");
    char one[1] = {'#'};
    EXPECT_EQ(file.GetString("A", "k", "", one, 1), 0u);
    EXPECT_EQ(one[0], '\0');
    char untouched = '#';
    EXPECT_EQ(file.GetString("A", "k", "", &untouched, 0), 0u);
    EXPECT_EQ(untouched, '#');
}

TEST(ProfileFileTest, ParseReplacesEarlierContent) {
    CProfileFile file;
    file.Parse("[A]\nk=v\n");
    file.Parse("[B]\nm=w\n");
    EXPECT_EQ(file.Find("A", "k"), nullptr);
    ASSERT_NE(file.Find("b", "M"), nullptr);
    EXPECT_EQ(*file.Find("b", "M"), "w");
}

class ProfileFileOnDiskTest : public testing::Test {
protected:
    void SetUp() override {
        char name[] = "/tmp/profilefile-XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        dir_ = name;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = dir_ + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    std::string dir_;
};

TEST_F(ProfileFileOnDiskTest, LoadsAFile) {
    CProfileFile file;
    EXPECT_TRUE(file.Load(Write("a.ini", "[A]\nk=v\n")));
    EXPECT_EQ(Lookup(file, "a", "K"), "v");
}

TEST_F(ProfileFileOnDiskTest, MissingFileDirectoryAndEmptyPathLoadNothing) {
    const std::string directory = dir_ + "/Tarvexa.ini";
    fs::create_directory(directory);
    for (const std::string& path : {dir_ + "/absent.ini", directory, std::string()}) {
        SCOPED_TRACE(path);
        CProfileFile file;
        file.Parse("[A]\nk=stale\n");
        EXPECT_FALSE(file.Load(path));
        EXPECT_EQ(Lookup(file, "A", "k"), "<default>");
    }
}

TEST_F(ProfileFileOnDiskTest, UnreadableFileLoadsNothing) {
    const std::string path = Write("locked.ini", "[A]\nk=v\n");
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    // root reads anything; the check runs as an ordinary user.
    ASSERT_EQ(::chmod(dir_.c_str(), 0755), 0);
    EXPECT_EQ(RunAsOrdinaryUser([&] {
                  CProfileFile file;
                  const bool loaded = file.Load(path);
                  return !loaded && Lookup(file, "A", "k") == "<default>" ? 0 : 1;
              }),
              0);
}

TEST_F(ProfileFileOnDiskTest, DeviceIsNotRead) {
    // /dev/zero never ends; reading it would hang start-up.
    CProfileFile file;
    EXPECT_FALSE(file.Load("/dev/zero"));
}

TEST_F(ProfileFileOnDiskTest, OversizedFileLoadsNothing) {
    std::string bytes = "[A]\nk=v\n";
    bytes.resize(CProfileFile::kMaxFileSize + 1, '\n');
    CProfileFile file;
    EXPECT_FALSE(file.Load(Write("big.ini", bytes)));
    EXPECT_EQ(Lookup(file, "A", "k"), "<default>");
}

TEST_F(ProfileFileOnDiskTest, BinaryGarbageGivesDefaults) {
    std::mt19937 random(7);
    std::string bytes(1 << 16, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random());
    CProfileFile file;
    EXPECT_TRUE(file.Load(Write("garbage.ini", bytes)));
    for (const char* key : {"k", "selected", "laser_scan_speed"})
        EXPECT_EQ(Lookup(file, "CHANNEL", key), "<default>");
}

TEST_F(ProfileFileOnDiskTest, PlatformLookupReadsTheNamedFile) {
    const std::string path = Write("t.ini", "[COLOURS]\nselected = 0xff\n[SCENE]\nk=\n");
    char buffer[kBuffer];
    EXPECT_EQ(GetPrivateProfileString("colours", "SELECTED", "d", buffer, sizeof buffer, path), 4u);
    EXPECT_STREQ(buffer, "0xff");
    EXPECT_EQ(GetPrivateProfileString("SCENE", "k", "d", buffer, sizeof buffer, path), 0u);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(GetPrivateProfileString("SCENE", "m", "d", buffer, sizeof buffer, path), 1u);
    EXPECT_STREQ(buffer, "d");
    GetPrivateProfileString("SCENE", "k", "d", buffer, sizeof buffer, dir_ + "/none.ini");
    EXPECT_STREQ(buffer, "d");
    GetPrivateProfileString(nullptr, nullptr, "d", buffer, sizeof buffer, path);
    EXPECT_STREQ(buffer, "d");
}

} // namespace
